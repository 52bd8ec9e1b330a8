#include "app/settingsfile.h"

#include "core/safefile.h"
#include "core/userdirs.h"

#include <cstdio>
#include <filesystem>

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
    std::string text, why;
    switch (safefile::read(path, text, why, MAX_BYTES)) {
    case safefile::Found::FILE:
        break;
    case safefile::Found::MISSING:
        say(MSG_MISSING, path);
        return written;
    case safefile::Found::TOO_LARGE:
        say(MSG_TOO_LARGE, path);
        return written;
    case safefile::Found::REFUSED:
        say(MSG_UNREADABLE, path, why);
        return written;
    }
    std::string problem;
    written = pending = Settings::fromText(text, problem);
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
    std::string why;
    if (safefile::write(path, settings.toText(), why))
        return true;
    if (!failureReported)
        say(MSG_CANNOT_SAVE, path, why.c_str());
    failureReported = true;
    return false;
}
