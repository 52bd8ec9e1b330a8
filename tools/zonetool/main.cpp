// zonetool: zone files to text and back, and checks of a set of zones.
//   zonetool dump FILE.zn                 the text form on standard output
//   zonetool build FILE.txt -o FILE.zn    the exact bytes of a text form
//   zonetool check [--tiles DIR] FILE.zn ...
// Needs no display: it works on bytes only.

#include "zonefair.h"
#include "zonetext.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* USAGE =
    "usage: zonetool dump FILE.zn\n"
    "       zonetool build FILE.txt -o FILE.zn\n"
    "       zonetool check [--tiles DIR] FILE.zn [FILE.zn ...]\n";

bool readFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream all;
    all << in.rdbuf();
    bytes = all.str();
    return true;
}

bool loadZone(const std::string& path, zonetext::ZoneData& zone)
{
    std::string bytes, why;
    if (!readFile(path, bytes)) {
        std::fprintf(stderr, "%s: cannot be read\n", path.c_str());
        return false;
    }
    if (!zonetext::decode(bytes, zone, why)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), why.c_str());
        return false;
    }
    return true;
}

int dump(const std::string& path)
{
    zonetext::ZoneData zone;
    if (!loadZone(path, zone))
        return 1;
    std::cout << zonetext::toText(zone);
    return 0;
}

int build(const std::string& source, const std::string& target)
{
    std::string text, why;
    if (!readFile(source, text)) {
        std::fprintf(stderr, "%s: cannot be read\n", source.c_str());
        return 1;
    }
    zonetext::ZoneData zone;
    if (!zonetext::fromText(text, zone, why)) {
        std::fprintf(stderr, "%s:%s\n", source.c_str(), why.c_str());
        return 1;
    }
    // Beside the target first, so a failed write leaves the old file whole.
    const std::string temp = target + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << zonetext::encode(zone);
        if (!out.flush()) {
            std::fprintf(stderr, "%s: cannot be written\n", target.c_str());
            std::remove(temp.c_str());
            return 1;
        }
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        std::fprintf(stderr, "%s: cannot be written\n", target.c_str());
        std::remove(temp.c_str());
        return 1;
    }
    return 0;
}

int check(const std::vector<std::string>& files, const std::string& tileDir)
{
    const int tileImages = zonetext::countTileImages(tileDir);
    if (tileImages == 0)
        std::fprintf(stderr, "warning: no tile images in %s; every image number counts as missing\n",
                     tileDir.c_str());
    int problems = 0;
    std::vector<zonetext::NamedZone> zones;
    for (const std::string& file : files) {
        zonetext::NamedZone named{file, zonetext::ZoneData()};
        if (!loadZone(file, named.zone)) {
            ++problems;
            continue;
        }
        std::vector<std::string> found = zonetext::checkZone(named.zone, tileImages);
        const std::vector<std::string> unfair = zonefair::check(named.zone);
        found.insert(found.end(), unfair.begin(), unfair.end());
        for (const std::string& p : found) {
            std::fprintf(stderr, "%s: %s\n", file.c_str(), p.c_str());
            ++problems;
        }
        zones.push_back(named);
    }
    for (const std::string& p : zonetext::checkLinks(zones)) {
        std::fprintf(stderr, "%s\n", p.c_str());
        ++problems;
    }
    if (problems == 0)
        std::printf("%d zone%s, no problems\n", static_cast<int>(files.size()), files.size() == 1 ? "" : "s");
    return problems == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "dump")
        return dump(args[1]);
    if (args.size() == 4 && args[0] == "build" && args[2] == "-o")
        return build(args[1], args[3]);
    if (args.size() >= 2 && args[0] == "check") {
        std::string tileDir = "resources/gfx/tiles";
        std::vector<std::string> files;
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--tiles" && i + 1 < args.size())
                tileDir = args[++i];
            else
                files.push_back(args[i]);
        }
        if (!files.empty())
            return check(files, tileDir);
    }
    std::fputs(USAGE, stderr);
    return 2;
}
