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

#include <string>

struct Settings {
    // Window sizes outside these are not kept: a window shrunk to a sliver by accident
    // should not come back that way.
    static constexpr unsigned MIN_WIDTH = 160;
    static constexpr unsigned MIN_HEIGHT = 120;
    static constexpr unsigned MAX_SIDE = 16384;

    int volume = 100;
    bool muted = false;
    bool fullscreen = false;
    unsigned width = 800;
    unsigned height = 600;
    // The play screen's health bar and guidance (F1).
    bool overlay = true;
    // Half of every blow, chosen after a second knock-out in a zone; off keeps the rules exact.
    bool assist = false;

    static bool validSize(long long w, long long h);

    std::string toText() const;
    // Every known key with a valid value replaces its default; the rest stay default.
    // problem names the first thing that was wrong, empty when nothing was.
    static Settings fromText(const std::string& text, std::string& problem);

    bool operator==(const Settings& other) const;
    bool operator!=(const Settings& other) const { return !(*this == other); }
};
