#include "core/userdirs.h"

#include <cstdlib>

namespace userdirs {
namespace {

const char* APP_FOLDER = "morvane/";

bool isAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

// Relative values of the variables are to be ignored, as the convention says.
std::string find(const char* variable, const char* underHome)
{
    const char* base = std::getenv(variable);
    if (isAbsolute(base))
        return std::string(base) + "/" + APP_FOLDER;
    const char* home = std::getenv("HOME");
    if (isAbsolute(home))
        return std::string(home) + "/" + underHome + "/" + APP_FOLDER;
    return std::string();
}

} // namespace

std::string configDir() { return find("XDG_CONFIG_HOME", ".config"); }
std::string dataDir() { return find("XDG_DATA_HOME", ".local/share"); }

} // namespace userdirs
