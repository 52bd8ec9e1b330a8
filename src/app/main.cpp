#include "app/commandline.h"
#include "app/displaycheck.h"
#include "app/mainloop.h"
#include "app/settingsfile.h"
#include "core/printable.h"
#include "play/replayfile.h"
#include "world/pack.h"

#include <cstdio>
#include <filesystem>
#include <string>

// Present only in sanitizer builds.
extern "C" __attribute__((weak)) void __lsan_do_leak_check();

namespace {
const char* const MSG_CANNOT_START = "Cannot start: %s\n";
const char* const MSG_CANNOT_PLAY = "Cannot play %s: %s\n";
const char* const MSG_RECORD_AND_REPLAY = "options --record and --replay cannot go together";
// A command line that cannot be used: the usual status for it, and nothing started. A
// replay that cannot be played ends the same way.
const int STATUS_USAGE = 2;
const int STATUS_BAD_REPLAY = 2;

// The whole file checked before a window opens; false, with one line, for one that cannot be played.
bool readReplay(const std::string& path, replayfile::Replay& replay)
{
    std::string why;
    if (replayfile::read(path, replay, why))
        return true;
    std::printf(MSG_CANNOT_PLAY, printable(path).c_str(), printable(why).c_str());
    return false;
}

// The game moves into the folder of its resources: a path from the command line is taken
// from where it was given.
std::string fromHere(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}
} // namespace

int main(int argc, char** argv)
{
    const commandline::Parsed line = commandline::parse(std::vector<std::string>(argv + 1, argv + argc));
    const std::string refused = line.error.empty() && line.has(commandline::RECORD) && line.has(commandline::REPLAY)
                                    ? MSG_RECORD_AND_REPLAY
                                    : line.error;
    if (!refused.empty()) {
        // The line quotes what was typed: a control byte in it must not reach the terminal.
        std::fprintf(stderr, "morvane: %s\n%s", printable(refused).c_str(), commandline::usage().c_str());
        return STATUS_USAGE;
    }
    if (line.has(commandline::HELP) || line.has(commandline::VERSION)) {
        std::fputs((line.has(commandline::HELP) ? commandline::usage() : commandline::version()).c_str(), stdout);
        return 0;
    }
    GameOptions options;
    replayfile::Replay replay;
    if (line.has(commandline::REPLAY)) {
        options.replayName = line.value(commandline::REPLAY);
        if (!readReplay(options.replayName, replay))
            return STATUS_BAD_REPLAY;
        options.replay = &replay;
    }
    if (line.has(commandline::RECORD))
        options.recordPath = fromHere(line.value(commandline::RECORD));
    // A refused pack is said before any window could open.
    Pack pack = Pack::builtIn();
    if (line.has(commandline::PACK) && !openPack(line.value(commandline::PACK), pack))
        return 1;
    options.pack = &pack;
    const std::string noDisplay = displaycheck::problem();
    if (!noDisplay.empty()) {
        std::printf(MSG_CANNOT_START, noDisplay.c_str());
        return 1;
    }
    options.settingsPath = line.has(commandline::NO_SETTINGS) ? std::string() : SettingsFile::defaultPath();
    const int status = runGame(options);
    // The leak check, here rather than at exit: our own resources are released by now, and
    // the static destructors still to run are the media libraries' own.
    if (__lsan_do_leak_check)
        __lsan_do_leak_check();
    return status;
}
