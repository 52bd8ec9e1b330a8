#include "app/settingsfile.h"

#include "core/atomicfile.h"
#include "core/userdirs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

const char* const SettingsFile::NAME = "settings.ini";

namespace {
const char* MSG_MISSING = "Settings: no file at %s yet, using the defaults\n";
const char* MSG_UNREADABLE = "Settings: cannot read %s (%s), using the defaults\n";
const char* MSG_TOO_LARGE = "Settings: %s is larger than 64 KB, using the defaults\n";
const char* MSG_MALFORMED = "Settings: %s has a bad %s, using the default for it\n";
const char* MSG_CANNOT_SAVE = "Settings: cannot save %s (%s)\n";

void say(const char* format, const std::string& a, const std::string& b = std::string())
{
    std::printf(format, a.c_str(), b.c_str());
    std::fflush(stdout);
}
} // namespace

SettingsFile::SettingsFile(std::string filePath) : path(std::move(filePath)), quietFrames(0), failureReported(false) {}

std::string SettingsFile::defaultPath()
{
    const std::string dir = userdirs::configDir();
    return dir.empty() ? std::string() : dir + NAME;
}

Settings SettingsFile::load()
{
    written = pending = Settings();
    if (path.empty())
        return written;
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        say(MSG_MISSING, path);
        return written;
    }
    if (std::filesystem::is_directory(status)) {
        say(MSG_UNREADABLE, path, std::strerror(EISDIR));
        return written;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        say(MSG_UNREADABLE, path, std::strerror(errno));
        return written;
    }
    in.seekg(0, std::ios::end);
    if (static_cast<long long>(in.tellg()) > MAX_BYTES) {
        say(MSG_TOO_LARGE, path);
        return written;
    }
    in.seekg(0);
    std::ostringstream text;
    text << in.rdbuf();
    std::string problem;
    written = pending = Settings::fromText(text.str(), problem);
    if (!problem.empty())
        say(MSG_MALFORMED, path, problem);
    return written;
}

void SettingsFile::offer(const Settings& now)
{
    if (path.empty() || now == written)
        return;
    if (now != pending) {
        pending = now;
        quietFrames = 0;
    }
    if (++quietFrames >= QUIET_FRAMES)
        flush();
}

void SettingsFile::flush()
{
    if (path.empty() || pending == written)
        return;
    // Tried once per change: a folder that cannot be written is not hammered every frame.
    save(pending);
    written = pending;
}

bool SettingsFile::save(const Settings& settings)
{
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    int error = 0;
    if (writeFileAtomically(path, settings.toText(), error))
        return true;
    if (!failureReported)
        say(MSG_CANNOT_SAVE, path, std::strerror(error));
    failureReported = true;
    return false;
}
