#include "world/packshelf.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <sys/stat.h>

namespace {

bool namedAsArchive(std::string name)
{
    const std::string extension = Pack::ARCHIVE_EXTENSION;
    if (name.size() <= extension.size())
        return false;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name.compare(name.size() - extension.size(), extension.size(), extension) == 0;
}

// A plain file of another name (a read-me beside the packs) is no pack.
bool looksLikePack(const std::string& path, const std::string& name)
{
    struct stat info;
    return namedAsArchive(name) || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode);
}

} // namespace

std::vector<PackShelf::Entry> PackShelf::list(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            names.push_back(entry->d_name);
            if (names.size() > MAX_PACKS * 4)
                break;
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    std::vector<Entry> packs;
    for (const std::string& name : names) {
        if (packs.size() == MAX_PACKS)
            break;
        Entry entry{base + name, Pack(), std::string()};
        if (!looksLikePack(entry.path, name))
            continue;
        if (!entry.pack.open(entry.path, entry.refusal) && entry.refusal.empty())
            entry.refusal = "cannot be opened";
        packs.push_back(entry);
    }
    return packs;
}
