#pragma once
// What the player chose and the game keeps between runs, and its text form:
//
//   [morvane]
//   volume=80
//   mute=0
//   fullscreen=0
//   width=1280
//   height=720
//   overlay=1
//   assist=0
//   x=200
//   y=120

#include <string>

struct Settings {
    // Window sizes outside these are not kept: a window shrunk to a sliver by accident
    // should not come back that way.
    static constexpr unsigned MIN_WIDTH = 160;
    static constexpr unsigned MIN_HEIGHT = 120;
    static constexpr unsigned MAX_SIDE = 16384;
    // A window opens at least this large, and never larger than the screen.
    static constexpr unsigned START_MIN_WIDTH = 320;
    static constexpr unsigned START_MIN_HEIGHT = 240;
    // Where X can put a window's corner at all.
    static constexpr int MAX_PLACE = 32767;

    int volume = 100;
    bool muted = false;
    bool fullscreen = false;
    unsigned width = 800;
    unsigned height = 600;
    // The play screen's health bar and guidance (F1).
    bool overlay = true;
    // Half of every blow, chosen after a second knock-out in a zone; off keeps the rules exact.
    bool assist = false;
    // Where the normal window's corner was, when known (else the window opens centred).
    bool placed = false;
    int x = 0;
    int y = 0;

    static bool validSize(long long w, long long h);
    // The window as it may open on a screen of this size: no larger than the screen, at least
    // START_MIN_WIDTH x START_MIN_HEIGHT, its corner on the screen. A screen of 0 x 0 (none
    // known) limits nothing.
    Settings fittedTo(unsigned screenWidth, unsigned screenHeight) const;

    std::string toText() const;
    // Every known key with a valid value replaces its default; the rest stay default.
    // problem names the first thing that was wrong, empty when nothing was; its quoted
    // bytes are made printable.
    static Settings fromText(const std::string& text, std::string& problem);
    // The text is a settings file, ours to write over: nothing in it but blank lines,
    // comments, the [morvane] section and key=value lines, and no control bytes. A bad value
    // still counts (a typo in a setting); a zone, a script or another program's file not.
    static bool isSettingsText(const std::string& text);

    bool operator==(const Settings& other) const;
    bool operator!=(const Settings& other) const { return !(*this == other); }
};
