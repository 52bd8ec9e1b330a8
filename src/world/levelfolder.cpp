#include "world/levelfolder.h"

#include "world/pack.h"
#include "world/zone.h"
#include "world/zonefile.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

std::string LevelFolder::user;
std::string LevelFolder::packs;

namespace {

Pack& current()
{
    static Pack chosen = Pack::builtIn();
    return chosen;
}

bool anythingAt(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

std::vector<int> zonesIn(const std::string& folder)
{
    return Pack::newFolder(folder, PackInfo()).zoneIds();
}

} // namespace

void LevelFolder::choose(bool resourcesWritableIn, const std::string& userDir)
{
    user = resourcesWritableIn || userDir.empty() ? std::string() : userDir;
}

bool LevelFolder::resourcesWritable() { return ::access(Zone::LEVEL_DIR.c_str(), W_OK) == 0; }

void LevelFolder::usePack(const Pack& chosen) { current() = chosen; }

const Pack& LevelFolder::pack() { return current(); }

bool LevelFolder::builtIn() { return current().kind() == Pack::Kind::BUILT_IN; }

void LevelFolder::choosePacks(const std::string& folder) { packs = folder; }

const std::string& LevelFolder::packsFolder() { return packs; }

const std::string& LevelFolder::userFolder() { return user; }

std::string LevelFolder::readPath(int zoneId)
{
    if (!builtIn())
        return current().zonePath(zoneId);
    // Anything there counts, a broken link too: the load then says what is wrong with the
    // player's copy instead of quietly taking the shipped one.
    if (!user.empty() && anythingAt(user + Pack::zoneFileName(zoneId)))
        return user + Pack::zoneFileName(zoneId);
    return Zone::fileName(zoneId);
}

safefile::Found LevelFolder::read(int zoneId, std::string& bytes, std::string& why)
{
    if (!builtIn())
        return current().readZone(zoneId, bytes, why);
    return safefile::read(readPath(zoneId), bytes, why, zonefile::MAX_FILE_BYTES);
}

bool LevelFolder::exists(int zoneId)
{
    struct stat info;
    return builtIn() ? ::stat(readPath(zoneId).c_str(), &info) == 0 : current().hasZone(zoneId);
}

std::vector<int> LevelFolder::zoneIds()
{
    if (!builtIn())
        return current().zoneIds();
    std::vector<int> ids = zonesIn(Zone::LEVEL_DIR);
    if (!user.empty()) {
        const std::vector<int> own = zonesIn(user);
        ids.insert(ids.end(), own.begin(), own.end());
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    }
    return ids;
}

bool LevelFolder::writable() { return !current().readOnly(); }

std::string LevelFolder::writePath(int zoneId)
{
    const std::string folder = writeFolder();
    return folder.empty() ? folder : folder + Pack::zoneFileName(zoneId);
}

std::string LevelFolder::writeFolder()
{
    if (builtIn() && !user.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(user, ignored);
    }
    return saveFolder();
}

std::string LevelFolder::savePath(int zoneId)
{
    const std::string folder = saveFolder();
    return folder.empty() ? folder : folder + Pack::zoneFileName(zoneId);
}

std::string LevelFolder::saveFolder()
{
    if (!builtIn())
        return current().readOnly() ? std::string() : current().path();
    return user.empty() ? Zone::LEVEL_DIR : user;
}

void LevelFolder::removeLeftoverSaves()
{
    if (!saveFolder().empty())
        safefile::removeLeftovers(saveFolder(), Zone::FILE_EXTENSION);
}
