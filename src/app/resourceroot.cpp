#include "app/resourceroot.h"

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace resourceroot {
namespace {
const char* const FOLDERS[] = {"gfx", "sfx", "font", "lvl"};
const char* INSTALLED = "../share/games/morvane";
const char* MSG_NOT_FOUND = "Cannot start: no resources/ folder in %s\n";
} // namespace

std::vector<std::string> candidates(const std::string& workingDir, const std::string& programDir)
{
    std::vector<std::string> folders = {workingDir};
    if (!programDir.empty()) {
        folders.push_back(programDir);
        folders.push_back((fs::path(programDir) / INSTALLED).lexically_normal().string());
    }
    return folders;
}

bool holdsResources(const std::string& dir)
{
    std::error_code ignored;
    for (const char* folder : FOLDERS)
        if (!fs::is_directory(fs::path(dir) / "resources" / folder, ignored))
            return false;
    return true;
}

std::string find(const std::vector<std::string>& folders)
{
    for (const std::string& folder : folders)
        if (holdsResources(folder))
            return folder;
    return std::string();
}

std::string programDir()
{
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.parent_path().string();
}

bool enter()
{
    std::error_code error;
    const std::vector<std::string> folders = candidates(fs::current_path(error).string(), programDir());
    const std::string found = find(folders);
    if (!found.empty())
        fs::current_path(found, error);
    if (found.empty() || error) {
        std::string tried;
        for (const std::string& folder : folders)
            tried += (tried.empty() ? "" : ", ") + folder;
        std::printf(MSG_NOT_FOUND, tried.c_str());
        std::fflush(stdout);
        return false;
    }
    return true;
}

} // namespace resourceroot
