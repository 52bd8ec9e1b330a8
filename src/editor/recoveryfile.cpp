#include "editor/recoveryfile.h"

#include "core/safefile.h"
#include "world/levelfolder.h"
#include "world/zone.h"

#include <algorithm>
#include <cerrno>
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

bool allDigits(const std::string& text, std::size_t most)
{
    return !text.empty() && text.size() <= most
        && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string numbered(const std::string& path, int number)
{
    return number == 0 ? path : path + "." + std::to_string(number);
}

} // namespace

std::string RecoveryFile::pathFor(int zoneId)
{
    const std::string stem = zoneId < 0 ? std::string(UNSAVED_NAME) : std::to_string(zoneId);
    return LevelFolder::saveFolder() + stem + SUFFIX;
}

bool RecoveryFile::idOfName(const std::string& name, int& zoneId)
{
    const std::string suffix = SUFFIX;
    const std::size_t at = name.find(suffix);
    if (at == std::string::npos || at == 0)
        return false;
    // After the suffix only a number of the next free names: ".1" to ".99", no zeros first.
    const std::string after = name.substr(at + suffix.size());
    if (!after.empty()) {
        const std::string number = after.substr(1);
        if (after[0] != '.' || !allDigits(number, 2) || number[0] == '0')
            return false;
    }
    const std::string stem = name.substr(0, at);
    if (stem == UNSAVED_NAME) {
        zoneId = NO_ID;
        return true;
    }
    if (!allDigits(stem, 9))
        return false;
    zoneId = std::atoi(stem.c_str());
    return true;
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
    struct stat link;
    if (::lstat(offer.path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        why = "it is a link, not a file";
        return nullptr;
    }
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

std::string RecoveryFile::timeText(std::time_t when, std::time_t now)
{
    std::tm local{};
    std::tm today{};
    localtime_r(&when, &local);
    localtime_r(&now, &today);
    const bool sameDay = local.tm_year == today.tm_year && local.tm_yday == today.tm_yday;
    char text[32];
    std::strftime(text, sizeof text, sameDay ? "%H:%M" : "%Y-%m-%d %H:%M", &local);
    return text;
}

bool RecoveryFile::stillOurs() const
{
    struct stat info;
    return !written.empty() && ::lstat(written.c_str(), &info) == 0 && S_ISREG(info.st_mode)
        && info.st_dev == device && info.st_ino == inode;
}

std::string RecoveryFile::choosePath(int zoneId) const
{
    const std::string plain = pathFor(zoneId);
    for (int number = 0; number <= MAX_NUMBER; ++number)
        if (numbered(plain, number) == written && stillOurs())
            return written;
    for (int number = 0; number <= MAX_NUMBER; ++number) {
        const std::string path = numbered(plain, number);
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0 && errno == ENOENT)
            return path;
    }
    return std::string();
}

void RecoveryFile::remember(const std::string& path)
{
    struct stat info;
    written = path;
    device = 0;
    inode = 0;
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        device = info.st_dev;
        inode = info.st_ino;
    }
}

bool RecoveryFile::write(const Zone& zone, std::string& why)
{
    LevelFolder::writeFolder();
    const std::string path = choosePath(zone.id);
    if (path.empty()) {
        why = "every name from " + pathFor(zone.id) + " to ." + std::to_string(MAX_NUMBER) + " is taken";
        return false;
    }
    const bool own = path == written;
    if (!safefile::write(path, zone.encode(), why, own ? safefile::Over::NO_LINK : safefile::Over::NOTHING))
        return false;
    if (!own)
        remove();
    remember(path);
    return true;
}

void RecoveryFile::adopt(const std::string& path)
{
    if (written != path)
        remove();
    remember(path);
}

void RecoveryFile::remove()
{
    if (stillOurs())
        std::remove(written.c_str());
    written.clear();
}
