#pragma once
// Plays queued events one after another: dialogs typed into a box, and scripted walks.

#include "play/trigger.h"
#include "world/eventqueue.h"

#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/View.hpp>
#include <deque>
#include <string>

class FrameList;
class Unit;
class Zone;

class ScriptHandler final : public EventQueue {
public:
    // Slightly under 1/60: the box takes 61 frames to open and 61 to close.
    static constexpr float FADE_STEP = 0.0166666f;
    static constexpr float ADVANCE_STEP = 0.032f;
    static constexpr int TYPE_PERIOD = 3;
    static constexpr int BLINK_PERIOD = 6;
    // A walk is given up when it takes longer than this in all, or comes no closer along
    // its path for this long.
    static constexpr int WALK_FRAMES = 20 * 60;
    static constexpr int WALK_STALL_FRAMES = 2 * 60;
    static constexpr float WALK_PROGRESS = 0.1f;
    static const std::string TYPING_SOUND;

    ScriptHandler();

    // As constructed: nothing queued, no box, no walk.
    void clear();
    void addEvent(const Event& event) override;
    bool isRunning() const;
    void update(Zone& zone);
    // The dialog box, when one shows, and the pixels it covers: the world leaves them out.
    void submit(FrameList& frame) const;
    // The picture's pixels the dialog box paints over opaque when submitted now; empty when
    // no box shows. Whatever is drawn there before it never shows.
    sf::IntRect coveredPixels(const FrameList& frame) const;

    // What the play state and tests look at.
    bool isWalking() const { return walking; }
    bool isBoxVisible() const { return boxVisible; }
    bool isFading() const { return fading; }
    bool isAdvancing() const { return advancing; }
    bool isBlinkOn() const { return blinkOn; }
    float getOpenness() const { return openness; }
    int getLineIndex() const { return lineIndex; }
    int getCharsShown() const { return charsShown; }
    const std::deque<Event>& getQueue() const { return queue; }

private:
    void startEvent();
    void popEvent();
    void updateWalk(Zone& zone);
    void stepWalker(Unit& walker, Zone& zone);
    void endWalk();
    void updateDialog();
    void typeCharacters(const std::string& text);
    void waitForKey(bool held);
    static bool advanceKeyHeld();
    // The box's size in its own view and where that view lies on the target; false when
    // there is no box to draw.
    bool boxPlace(const FrameList& frame, sf::Vector2f& size, sf::FloatRect& viewport) const;

    std::deque<Event> queue;
    bool boxVisible;
    bool fading;
    bool fadingIn;
    float openness;
    int lineIndex;
    int charsShown;
    int typeTimer;
    bool advancing;
    float advanceProgress;
    bool blinkOn;
    int blinkTimer;
    bool walking;
    // An advance key was down in the dialog's last frame; a fresh press while a line types
    // shows it whole, and that press must end before it can advance the line.
    bool keyWasHeld;
    bool hurried;
    int walkFrames;
    int walkStill;
    float walkLeft; // the shortest way left along the path so far
};
