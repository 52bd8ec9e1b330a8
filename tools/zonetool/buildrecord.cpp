#include "buildrecord.h"

#include "core/safefile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

BuildRecord::BuildRecord(const std::string& pathIn) : path(pathIn)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string file, hex;
        if (line.empty() || line[0] == '#')
            continue;
        if (words >> file >> hex)
            built[file] = std::strtoull(hex.c_str(), nullptr, 16);
    }
}

uint64_t BuildRecord::hashOf(const std::string& bytes)
{
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

bool BuildRecord::unchangedSinceBuilt(const std::string& file, const std::string& bytes,
                                      const std::string& wouldBuild) const
{
    if (bytes == wouldBuild)
        return true;
    const auto it = built.find(file);
    return it != built.end() && it->second == hashOf(bytes);
}

void BuildRecord::note(const std::string& file, const std::string& bytes) { built[file] = hashOf(bytes); }

bool BuildRecord::save() const
{
    std::ostringstream out;
    out << "# What zonetool last built into each level; make levels reads it before writing.\n";
    for (const auto& entry : built) {
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(entry.second));
        out << entry.first << ' ' << hex << '\n';
    }
    std::string why;
    return safefile::write(path, out.str(), why);
}
