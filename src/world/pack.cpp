#include "world/pack.h"

#include "core/printable.h"
#include "world/packarchive.h"
#include "world/zonefile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const BUILT_IN_NAME = "The errand";
const char* const BUILT_IN_AUTHOR = "MORVANE";
const char* const BUILT_IN_DESCRIPTION = "From your home street to the corner shop, which is being held up.";

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Inside an archive the pack sits at the top, or in the one folder that holds its pack.ini
// (as zipping a folder makes it); "" or "folder/".
bool findRoot(const std::vector<std::string>& files, std::string& root)
{
    const std::string ini = PackInfo::FILE_NAME;
    int found = 0;
    for (const std::string& name : files) {
        if (name == ini) {
            root.clear();
            return true;
        }
        const std::size_t slash = name.find('/');
        if (slash != std::string::npos && slash + 1 + ini.size() == name.size() && endsWith(name, "/" + ini)) {
            root = name.substr(0, slash + 1);
            ++found;
        }
    }
    return found == 1;
}

} // namespace

Pack Pack::builtIn()
{
    Pack pack;
    pack.about.name = BUILT_IN_NAME;
    pack.about.author = BUILT_IN_AUTHOR;
    pack.about.version = MORVANE_VERSION;
    pack.about.description = BUILT_IN_DESCRIPTION;
    pack.about.start = BUILT_IN_START;
    pack.about.ending = BUILT_IN_ENDING;
    return pack;
}

Pack Pack::newFolder(const std::string& folder, const PackInfo& info)
{
    Pack pack;
    pack.type = Kind::FOLDER;
    pack.about = info;
    pack.where = endsWith(folder, "/") ? folder : folder + "/";
    return pack;
}

std::string Pack::refusal(const std::string& path, const std::string& why)
{
    return "Zone pack " + printable(path) + " refused: " + printable(why);
}

bool Pack::open(const std::string& path, std::string& why, bool needStart)
{
    Pack opened;
    std::string text;
    struct stat info;
    // Following links: a loop of them fails here with the system's reason.
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        why = path.empty() ? "no path" : std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        opened.type = Kind::FOLDER;
        opened.where = endsWith(path, "/") ? path : path + "/";
        if (!opened.readFolderIni(text, why))
            return false;
    } else if (S_ISREG(info.st_mode)) {
        opened.type = Kind::ARCHIVE;
        opened.where = path;
        if (!opened.readArchiveIni(text, why))
            return false;
    } else {
        why = safefile::notWanted(info.st_mode, "a pack folder or .zip");
        return false;
    }
    if (!PackInfo::parse(text, opened.about, why)) {
        why = std::string(PackInfo::FILE_NAME) + ": " + why;
        return false;
    }
    if (needStart && !opened.hasZone(opened.about.start)) {
        why = "its start zone " + std::to_string(opened.about.start) + " is not in it";
        return false;
    }
    *this = opened;
    return true;
}

bool Pack::readFolderIni(std::string& text, std::string& why)
{
    const safefile::Found found = safefile::read(where + PackInfo::FILE_NAME, text, why, PackInfo::MAX_FILE_BYTES);
    if (found == safefile::Found::MISSING)
        why = std::string("no ") + PackInfo::FILE_NAME;
    else if (found != safefile::Found::FILE)
        why = std::string(PackInfo::FILE_NAME) + ": " + why;
    return found == safefile::Found::FILE;
}

bool Pack::readArchiveIni(std::string& text, std::string& why)
{
    auto opened = std::make_shared<PackArchive>();
    if (!opened->open(where, why))
        return false;
    if (!findRoot(opened->files(), root)) {
        why = std::string("no ") + PackInfo::FILE_NAME + " at its top or in one folder there";
        return false;
    }
    archive = opened;
    if (!archive->read(root + PackInfo::FILE_NAME, text, why, PackInfo::MAX_FILE_BYTES)) {
        why = std::string(PackInfo::FILE_NAME) + ": " + why;
        return false;
    }
    return true;
}

std::string Pack::zoneFileName(int zoneId) { return std::to_string(zoneId) + ZONE_EXTENSION; }

bool Pack::zoneIdOf(const std::string& fileName, int& zoneId)
{
    if (!endsWith(fileName, ZONE_EXTENSION))
        return false;
    const std::string digits = fileName.substr(0, fileName.size() - std::strlen(ZONE_EXTENSION));
    if (digits.empty() || digits.size() > 9 || (digits.size() > 1 && digits[0] == '0')
        || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    zoneId = std::stoi(digits);
    return true;
}

std::string Pack::zonePath(int zoneId) const
{
    if (type == Kind::ARCHIVE)
        return where + ":" + root + zoneFileName(zoneId);
    return where + zoneFileName(zoneId);
}

safefile::Found Pack::readZone(int zoneId, std::string& bytes, std::string& why) const
{
    if (type != Kind::ARCHIVE)
        return safefile::read(zonePath(zoneId), bytes, why, zonefile::MAX_FILE_BYTES);
    const std::string name = root + zoneFileName(zoneId);
    if (!archive->has(name)) {
        why = "not in the pack";
        return safefile::Found::MISSING;
    }
    return archive->read(name, bytes, why, zonefile::MAX_FILE_BYTES) ? safefile::Found::FILE : safefile::Found::REFUSED;
}

std::vector<int> Pack::zoneIds() const
{
    std::vector<int> ids;
    int id = 0;
    if (type == Kind::ARCHIVE) {
        for (const std::string& name : archive->files())
            if (name.compare(0, root.size(), root) == 0 && zoneIdOf(name.substr(root.size()), id))
                ids.push_back(id);
    } else if (DIR* dir = ::opendir(where.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (zoneIdOf(entry->d_name, id))
                ids.push_back(id);
        ::closedir(dir);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool Pack::hasZone(int zoneId) const
{
    if (type == Kind::ARCHIVE)
        return archive->has(root + zoneFileName(zoneId));
    struct stat info;
    return ::stat(zonePath(zoneId).c_str(), &info) == 0;
}

bool Pack::files(Files& out, std::string& why) const
{
    Files all;
    std::string bytes;
    const bool ini = type == Kind::ARCHIVE
                   ? archive->read(root + PackInfo::FILE_NAME, bytes, why, PackInfo::MAX_FILE_BYTES)
                   : safefile::read(where + PackInfo::FILE_NAME, bytes, why, PackInfo::MAX_FILE_BYTES)
                         == safefile::Found::FILE;
    if (!ini) {
        why = std::string(PackInfo::FILE_NAME) + ": " + why;
        return false;
    }
    all.emplace_back(PackInfo::FILE_NAME, bytes);
    for (const int id : zoneIds()) {
        if (readZone(id, bytes, why) != safefile::Found::FILE) {
            why = zoneFileName(id) + ": " + why;
            return false;
        }
        all.emplace_back(zoneFileName(id), bytes);
    }
    out.swap(all);
    return true;
}

bool Pack::makeFolder(const std::string& folder, const Files& content, std::string& why)
{
    const std::string base = endsWith(folder, "/") ? folder : folder + "/";
    if (::mkdir(folder.c_str(), 0777) != 0) {
        why = errno == EEXIST ? "something is there already" : std::strerror(errno);
        return false;
    }
    std::vector<std::string> written;
    for (const auto& file : content) {
        if (!safefile::write(base + file.first, file.second, why, safefile::Over::NOTHING)) {
            why = file.first + ": " + why;
            for (const std::string& path : written)
                ::unlink(path.c_str());
            ::rmdir(folder.c_str());
            return false;
        }
        written.push_back(base + file.first);
    }
    return true;
}
