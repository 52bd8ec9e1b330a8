#include "world/levelfolder.h"

#include "core/safefile.h"
#include "world/zone.h"

#include <filesystem>
#include <unistd.h>

std::string LevelFolder::user;

namespace {
std::string nameOf(int zoneId) { return std::to_string(zoneId) + ".zn"; }
} // namespace

void LevelFolder::choose(bool resourcesWritableIn, const std::string& userDir)
{
    user = resourcesWritableIn || userDir.empty() ? std::string() : userDir;
}

bool LevelFolder::resourcesWritable() { return ::access(Zone::LEVEL_DIR.c_str(), W_OK) == 0; }

const std::string& LevelFolder::userFolder() { return user; }

std::string LevelFolder::readPath(int zoneId)
{
    if (!user.empty()) {
        // Anything there counts, a broken link too: the load then says what is wrong with
        // the player's copy instead of quietly taking the shipped one.
        std::error_code ignored;
        const std::string own = user + nameOf(zoneId);
        if (std::filesystem::exists(std::filesystem::symlink_status(own, ignored)))
            return own;
    }
    return Zone::fileName(zoneId);
}

std::string LevelFolder::writePath(int zoneId) { return writeFolder() + nameOf(zoneId); }

std::string LevelFolder::writeFolder()
{
    if (!user.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(user, ignored);
    }
    return saveFolder();
}

std::string LevelFolder::savePath(int zoneId) { return saveFolder() + nameOf(zoneId); }

std::string LevelFolder::saveFolder() { return user.empty() ? Zone::LEVEL_DIR : user; }

void LevelFolder::removeLeftoverSaves()
{
    safefile::removeLeftovers(saveFolder(), Zone::FILE_EXTENSION);
}
