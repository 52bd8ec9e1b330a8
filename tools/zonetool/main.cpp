// zonetool: zone files to text and back, and checks of a set of zones.
//   zonetool dump FILE.zn                 the text form on standard output
//   zonetool build FILE.txt -o FILE.zn [--record RECORD] [--force]
//                                         the exact bytes of a text form; never over one
//                                         of its inputs, and without --force never over a
//                                         file that is no zone or, with a record, one
//                                         changed since it was built (status 3)
//   zonetool check [--tiles DIR] FILE.zn ...
// Needs no display: it works on bytes only.

#include "buildrecord.h"
#include "zonetext.h"

#include "core/printable.h"
#include "core/safefile.h"
#include "world/zonefair.h"
#include "world/zonefile.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const char* USAGE =
    "usage: zonetool dump FILE.zn\n"
    "       zonetool build FILE.txt -o FILE.zn [--record RECORD] [--force]\n"
    "       zonetool check [--tiles DIR] FILE.zn [FILE.zn ...]\n";

// Sources and zones alike: nothing larger than the largest zone file is worth reading.
bool readFile(const std::string& path, std::string& bytes)
{
    std::string why;
    if (safefile::read(path, bytes, why, zonefile::MAX_FILE_BYTES) == safefile::Found::FILE)
        return true;
    std::fprintf(stderr, "%s: cannot be read (%s)\n", printable(path).c_str(), printable(why).c_str());
    return false;
}

bool loadZone(const std::string& path, zonetext::ZoneData& zone)
{
    std::string bytes, why;
    if (!readFile(path, bytes))
        return false;
    if (!zonetext::decode(bytes, zone, why)) {
        std::fprintf(stderr, "%s: %s\n", printable(path).c_str(), printable(why).c_str());
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

const char* MSG_SAME_FILE = "%s: is the same file as %s, not built over\n";
const char* MSG_NOT_A_ZONE = "%s: holds no zone (%s), not built over; build over it with --force\n";

// The same file, through links too; false when either is not there.
bool sameFile(const std::string& a, const std::string& b)
{
    struct stat first, second;
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

// An output that is also an input would be lost to the build: refused, with a line.
bool outputsAreNotInputs(const std::string& source, const std::string& target, const std::string& recordPath)
{
    const std::string pairs[][2] = {{target, source}, {target, recordPath}, {recordPath, source}};
    for (const auto& pair : pairs) {
        if (!pair[0].empty() && !pair[1].empty() && sameFile(pair[0], pair[1])) {
            std::fprintf(stderr, MSG_SAME_FILE, printable(pair[0]).c_str(), printable(pair[1]).c_str());
            return false;
        }
    }
    return true;
}

const char* MSG_CHANGED = "%s: changed since %s built it (saved from the editor?), not built over; bring the "
                          "change into the text with `zonetool dump %s > %s`, or build over it with `make levels FORCE=1`\n";

int build(const std::string& source, const std::string& target, const std::string& recordPath, bool force)
{
    std::string text, why;
    if (!readFile(source, text))
        return 1;
    zonetext::ZoneData zone;
    if (!zonetext::fromText(text, zone, why)) {
        std::fprintf(stderr, "%s:%s\n", printable(source).c_str(), printable(why).c_str());
        return 1;
    }
    if (!outputsAreNotInputs(source, target, recordPath))
        return 1;
    const std::string bytes = zonetext::encode(zone);
    BuildRecord record(recordPath);
    std::string old;
    const safefile::Found found = safefile::read(target, old, why, zonefile::MAX_FILE_BYTES);
    const bool existing = found == safefile::Found::FILE;
    zonefile::ZoneData oldZone;
    if (!force && (found == safefile::Found::TOO_LARGE || (existing && !zonefile::decode(old, oldZone, why)))) {
        std::fprintf(stderr, MSG_NOT_A_ZONE, printable(target).c_str(), printable(why).c_str());
        return 3;
    }
    if (!recordPath.empty() && !force && existing && !record.unchangedSinceBuilt(target, old, bytes)) {
        std::fprintf(stderr, MSG_CHANGED, printable(target).c_str(), printable(source).c_str(), printable(target).c_str(),
                     printable(source).c_str());
        return 3;
    }
    if (!safefile::write(target, bytes, why)) {
        std::fprintf(stderr, "%s: cannot be written (%s)\n", printable(target).c_str(), printable(why).c_str());
        return 1;
    }
    if (recordPath.empty())
        return 0;
    record.note(target, bytes);
    if (!record.save()) {
        std::fprintf(stderr, "%s: cannot be written\n", printable(recordPath).c_str());
        return 1;
    }
    return 0;
}

int check(const std::vector<std::string>& files, const std::string& tileDir)
{
    const int tileImages = zonetext::countTileImages(tileDir);
    if (tileImages == 0)
        std::fprintf(stderr, "warning: no tile images in %s; every image number counts as missing\n",
                     printable(tileDir).c_str());
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
            std::fprintf(stderr, "%s: %s\n", printable(file).c_str(), printable(p).c_str());
            ++problems;
        }
        zones.push_back(named);
    }
    for (const std::string& p : zonetext::checkLinks(zones)) {
        std::fprintf(stderr, "%s\n", printable(p).c_str());
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
    if (args.size() >= 4 && args[0] == "build" && args[2] == "-o") {
        std::string record;
        bool force = false;
        bool understood = true;
        for (std::size_t i = 4; i < args.size(); ++i) {
            if (args[i] == "--record" && i + 1 < args.size())
                record = args[++i];
            else if (args[i] == "--force")
                force = true;
            else
                understood = false;
        }
        if (understood)
            return build(args[1], args[3], record, force);
    }
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
