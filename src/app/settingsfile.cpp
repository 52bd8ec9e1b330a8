#include "app/settingsfile.h"

#include "core/printable.h"
#include "core/safefile.h"
#include "core/userdirs.h"

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>

const char* const SettingsFile::NAME = "settings.ini";

namespace {
const char* MSG_MALFORMED = "Settings: %s has a bad %s, using the default for it\n";
const char* MSG_NOT_SETTINGS = "Settings: %s is not a settings file (%s): it is left as it is, and changes last this run only\n";
const char* MSG_CANNOT_SAVE = "Settings: cannot save %s (%s)\n";

void say(const char* format, const std::string& a, const std::string& b = std::string())
{
    std::printf(format, printable(a).c_str(), b.c_str());
    std::fflush(stdout);
}
} // namespace

SettingsFile::SettingsFile(std::string filePath)
    : path(std::move(filePath)), quietFrames(0), failureReported(false), keptInMemory(false)
{
}

std::string SettingsFile::defaultPath()
{
    const std::string dir = userdirs::configDir();
    return dir.empty() ? std::string() : dir + NAME;
}

SettingsFile::Found SettingsFile::examine(std::string& text, std::string& reason) const
{
    std::string why;
    switch (safefile::read(path, text, why, MAX_BYTES)) {
    case safefile::Found::FILE:
        if (Settings::isSettingsText(text))
            return Found::SETTINGS;
        Settings::fromText(text, reason);
        reason = reason.empty() ? "not key=value lines" : "bad " + reason;
        return Found::OTHER;
    case safefile::Found::MISSING:
        return Found::NOTHING;
    case safefile::Found::TOO_LARGE:
        reason = "larger than 64 KB";
        return Found::OTHER;
    case safefile::Found::REFUSED:
        break;
    }
    // Unreadable, yet nothing there (a folder on the way that is a file): a write may try.
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0)
        return Found::NOTHING;
    reason = printable(why);
    return Found::OTHER;
}

Settings SettingsFile::load()
{
    written = pending = Settings();
    if (path.empty())
        return written;
    std::string text, reason;
    switch (examine(text, reason)) {
    case Found::NOTHING: // the first start: nothing to say
        return written;
    case Found::OTHER: {
        std::string ignored;
        written = pending = Settings::fromText(text, ignored); // what in it is valid still counts
        say(MSG_NOT_SETTINGS, path, reason);
        keptInMemory = true;
        return written;
    }
    case Found::SETTINGS:
        break;
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
    if (keptInMemory)
        return false;
    // Looked at again: what the path leads to may have changed since the start.
    std::string text, reason;
    if (examine(text, reason) == Found::OTHER) {
        say(MSG_NOT_SETTINGS, path, reason);
        keptInMemory = true;
        return false;
    }
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
