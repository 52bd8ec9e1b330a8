#include "app/mainloop.h"
#include "app/settingsfile.h"

#include <cstdio>
#include <cstring>

// Present only in sanitizer builds.
extern "C" __attribute__((weak)) void __lsan_do_leak_check();

namespace {
const char* NO_SETTINGS = "--no-settings";
const char* MSG_UNKNOWN_OPTION = "Unknown option %s ignored: the one option is --no-settings\n";
} // namespace

int main(int argc, char** argv)
{
    bool useSettings = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], NO_SETTINGS) == 0)
            useSettings = false;
        else
            std::printf(MSG_UNKNOWN_OPTION, argv[i]);
    }
    std::fflush(stdout);
    const int status = runGame(useSettings ? SettingsFile::defaultPath() : std::string());
    // The leak check, here rather than at exit: our own resources are released by now, and
    // the static destructors still to run are the media libraries' own.
    if (__lsan_do_leak_check)
        __lsan_do_leak_check();
    return status;
}
