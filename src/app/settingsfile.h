#pragma once
// The settings file: read once at start, written (atomically) only after the player has
// changed something and it has held still for half a second, and once more at exit.
// Trouble with the file never stops the game: one line on standard output, then defaults.
// Only a settings file is ever written over (or nothing at all): whatever else stands at
// its path, a zone behind a link too, is left as it is and the settings last this run only.
// A link to a settings file is followed, so the player may keep it elsewhere.

#include "app/settings.h"

#include <string>

class SettingsFile final {
public:
    static constexpr long long MAX_BYTES = 64 * 1024;
    static constexpr int QUIET_FRAMES = 30;
    static const char* const NAME;

    // An empty path reads and writes nothing (--no-settings).
    explicit SettingsFile(std::string filePath);
    // The usual place: settings.ini in the player's config folder.
    static std::string defaultPath();

    Settings load();
    // Called every frame with what is in force; writes once a change has settled.
    void offer(const Settings& now);
    // Writes a change still waiting.
    void flush();

    const std::string& getPath() const { return path; }

private:
    // What stands at the path now.
    enum class Found { NOTHING, SETTINGS, OTHER };
    Found examine(std::string& text, std::string& reason) const;
    bool save(const Settings& settings);

    std::string path;
    Settings written;
    Settings pending;
    int quietFrames;
    bool failureReported;
    bool keptInMemory; // said so, and nothing is written any more
};
