#include "app/commandline.h"
#include "app/displaycheck.h"
#include "app/mainloop.h"
#include "app/settingsfile.h"
#include "core/printable.h"
#include "world/pack.h"

#include <cstdio>
#include <string>

// Present only in sanitizer builds.
extern "C" __attribute__((weak)) void __lsan_do_leak_check();

namespace {
const char* const MSG_CANNOT_START = "Cannot start: %s\n";
// A command line that cannot be used: the usual status for it, and nothing started.
const int STATUS_USAGE = 2;
} // namespace

int main(int argc, char** argv)
{
    const commandline::Parsed line = commandline::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!line.error.empty()) {
        // The line quotes what was typed: a control byte in it must not reach the terminal.
        std::fprintf(stderr, "morvane: %s\n%s", printable(line.error).c_str(), commandline::usage().c_str());
        return STATUS_USAGE;
    }
    if (line.has(commandline::HELP) || line.has(commandline::VERSION)) {
        std::fputs((line.has(commandline::HELP) ? commandline::usage() : commandline::version()).c_str(), stdout);
        return 0;
    }
    // A refused pack is said before any window could open.
    Pack pack = Pack::builtIn();
    if (line.has(commandline::PACK) && !openPack(line.value(commandline::PACK), pack))
        return 1;
    const std::string noDisplay = displaycheck::problem();
    if (!noDisplay.empty()) {
        std::printf(MSG_CANNOT_START, noDisplay.c_str());
        return 1;
    }
    const int status = runGame(line.has(commandline::NO_SETTINGS) ? std::string() : SettingsFile::defaultPath(),
                               pack);
    // The leak check, here rather than at exit: our own resources are released by now, and
    // the static destructors still to run are the media libraries' own.
    if (__lsan_do_leak_check)
        __lsan_do_leak_check();
    return status;
}
