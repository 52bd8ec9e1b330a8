#pragma once
// The player's master volume and mute, over music and effects alike: M mutes and unmutes,
// minus and equals (and the keypad's) step the volume by a tenth. A small gauge shows
// the level for two seconds after each change. The play state's own music levels (half
// during dialogs, a quarter while paused) stay relative to it.

#include <SFML/Window/Keyboard.hpp>

class FrameList;

class SoundControl final {
public:
    static constexpr int STEP = 10;
    static constexpr int MAX_VOLUME = 100;
    static constexpr int SHOW_FRAMES = 120;

    // volume in percent, rounded to a step and kept within 0 to 100.
    SoundControl(int volume, bool muted);

    // True when the key was one of ours (and has acted).
    bool handleKey(sf::Keyboard::Key key);
    // One frame of the gauge's countdown.
    void update();
    // The gauge in picture pixels, while it shows.
    void submit(FrameList& frame) const;

    int getVolume() const { return volume; }
    bool isMuted() const { return muted; }
    bool isShowing() const { return showFrames > 0; }

private:
    void apply() const;

    int volume;
    bool muted;
    int showFrames;
};
