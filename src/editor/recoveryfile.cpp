#include "editor/recoveryfile.h"

#include "core/safefile.h"
#include "world/levelfolder.h"
#include "world/zone.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

const char* const RecoveryFile::SUFFIX = ".zn.recovery";

namespace {

const char* const UNSAVED_NAME = "unsaved";

bool modifiedAt(const std::string& path, std::time_t& when)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return false;
    when = info.st_mtime;
    return true;
}

// The zone id a recovery file's name stands for; false for names not of ours.
bool idOfName(const std::string& file, int& zoneId)
{
    const std::string suffix = RecoveryFile::SUFFIX;
    if (file.size() <= suffix.size() || file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::string stem = file.substr(0, file.size() - suffix.size());
    if (stem == UNSAVED_NAME) {
        zoneId = RecoveryFile::NO_ID;
        return true;
    }
    if (stem.empty() || stem.size() > 9 || !std::all_of(stem.begin(), stem.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    zoneId = std::atoi(stem.c_str());
    return true;
}

} // namespace

std::string RecoveryFile::pathFor(int zoneId)
{
    const std::string stem = zoneId < 0 ? std::string(UNSAVED_NAME) : std::to_string(zoneId);
    return LevelFolder::saveFolder() + stem + SUFFIX;
}

std::vector<RecoveryFile::Offer> RecoveryFile::findOffers()
{
    std::vector<Offer> offers;
    const std::string folder = LevelFolder::saveFolder();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return offers;
    while (const dirent* entry = ::readdir(dir)) {
        int zoneId = 0;
        if (!idOfName(entry->d_name, zoneId))
            continue;
        Offer offer{folder + entry->d_name, zoneId, 0};
        std::time_t level = 0;
        if (!modifiedAt(offer.path, offer.written))
            continue;
        if (zoneId >= 0 && modifiedAt(LevelFolder::readPath(zoneId), level) && level > offer.written)
            continue;
        offers.push_back(offer);
    }
    ::closedir(dir);
    std::sort(offers.begin(), offers.end(), [](const Offer& a, const Offer& b) {
        return a.written != b.written ? a.written > b.written : a.path < b.path;
    });
    return offers;
}

std::unique_ptr<Zone> RecoveryFile::read(const Offer& offer, std::string& why)
{
    std::string bytes;
    if (!Zone::readFile(offer.path, bytes, why)) {
        if (why.empty())
            why = "it cannot be opened";
        return nullptr;
    }
    auto zone = std::make_unique<Zone>(0, 1, 1, nullptr);
    if (!zone->loadBytes(bytes, why))
        return nullptr;
    if (zone->id != offer.zoneId) {
        why = "it holds zone " + std::to_string(zone->id) + ", not zone " + std::to_string(offer.zoneId);
        return nullptr;
    }
    return zone;
}

std::string RecoveryFile::clockTime(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M", &local);
    return text;
}

bool RecoveryFile::write(const Zone& zone, std::string& why)
{
    LevelFolder::writeFolder();
    const std::string path = pathFor(zone.id);
    if (!safefile::write(path, zone.encode(), why))
        return false;
    if (!written.empty() && written != path)
        std::remove(written.c_str());
    written = path;
    return true;
}

void RecoveryFile::adopt(const std::string& path)
{
    if (!written.empty() && written != path)
        std::remove(written.c_str());
    written = path;
}

void RecoveryFile::remove()
{
    if (written.empty())
        return;
    std::remove(written.c_str());
    written.clear();
}
