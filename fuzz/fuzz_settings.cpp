// Any bytes as the settings file. Whatever they hold, the game's own text of what it read
// must read back the same with nothing wrong, a reported problem must quote no control byte,
// and a change written afterwards may replace the file only when it read as a settings
// file: anything else keeps every byte. The escaping of quoted bytes is checked on the way.

#include "app/settings.h"
#include "app/settingsfile.h"
#include "core/printable.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string path;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "FUZZ FAILURE: %s\n", what);
    std::abort();
}

bool hasControlBytes(const std::string& text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return true;
    return false;
}

std::string readBack()
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Thousands of runs a second: the settings' report lines would drown libFuzzer's.
    if (!std::freopen("/dev/null", "w", stdout))
        fail("cannot silence standard output");
    const fs::path dir = fs::temp_directory_path() / ("morvane-fuzz-settings-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    path = (dir / "settings.ini").string();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string problem;
    const Settings read = Settings::fromText(text, problem);
    if (hasControlBytes(problem))
        fail("a problem quotes a control byte");
    const std::string shown = printable(text);
    if (hasControlBytes(shown) || printable(shown) != shown)
        fail("printable text is not printable");
    std::string again;
    if (Settings::fromText(read.toText(), again) != read || !again.empty() || !Settings::isSettingsText(read.toText()))
        fail("the game's own text does not read back as what it wrote");
    // A screen of any size from the first bytes, a tiny one too.
    const unsigned screenWidth = size > 0 ? 1 + data[0] % 64 * 40u : 640;
    const unsigned screenHeight = size > 1 ? 1 + data[1] * 8u : 480;
    const Settings fitted = read.fittedTo(screenWidth, screenHeight);
    if (fitted.width > screenWidth || fitted.height > screenHeight
        || (fitted.placed && (fitted.x < 0 || fitted.y < 0 || fitted.x + fitted.width > screenWidth)))
        fail("a fitted window is off the screen");

    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }
    SettingsFile file(path);
    Settings changed = file.load();
    changed.muted = !changed.muted;
    file.offer(changed);
    file.flush();
    const std::string after = readBack();
    const bool replaceable = Settings::isSettingsText(text) && size <= SettingsFile::MAX_BYTES;
    if (replaceable ? after != changed.toText() : after != text)
        fail("the settings file was written when it should not, or not when it should");
    return 0;
}
