// zonetool: zone files to text and back, and checks of a set of zones.
//   zonetool dump FILE.zn                 the text form on standard output
//   zonetool build FILE.txt -o FILE.zn [--record RECORD] [--force]
//                                         the exact bytes of a text form; never over one
//                                         of its inputs, and without --force never over a
//                                         file that is no zone or, with a record, one
//                                         changed since it was built (status 3)
//   zonetool check [--tiles DIR] FILE.zn ...
//   zonetool check [--tiles DIR] PACK     a pack folder or .zip: its zones and the pack whole
//   zonetool pack [--tiles DIR] DIR -o FILE.zip
//                                         a folder pack as one .zip, only when check finds
//                                         nothing wrong
//   zonetool unpack FILE.zip -o DIR       a .zip pack into a new folder
// Needs no display: it works on bytes only.

#include "buildrecord.h"
#include "zonetext.h"

#include "core/printable.h"
#include "core/safefile.h"
#include "world/pack.h"
#include "world/packarchive.h"
#include "world/packcheck.h"
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
    "       zonetool check [--tiles DIR] FILE.zn [FILE.zn ...]\n"
    "       zonetool check [--tiles DIR] PACK\n"
    "       zonetool pack [--tiles DIR] DIR -o FILE.zip\n"
    "       zonetool unpack FILE.zip -o DIR\n";

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

const char* const MSG_NO_TILES = "warning: no tile images in %s; every image number counts as missing\n";

int check(const std::vector<std::string>& files, const std::string& tileDir)
{
    const int tileImages = zonetext::countTileImages(tileDir);
    if (tileImages == 0)
        std::fprintf(stderr, MSG_NO_TILES, printable(tileDir).c_str());
    int problems = 0;
    std::vector<zonetext::NamedZone> zones;
    for (const std::string& file : files) {
        zonetext::NamedZone named{file, zonetext::ZoneData()};
        if (!loadZone(file, named.zone)) {
            ++problems;
            continue;
        }
        std::vector<std::string> found = zonetext::checkZone(named.zone, tileImages);
        const std::vector<std::string> unfair = zonefair::check(named.zone, Pack::BUILT_IN_ENDING);
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

// A pack to be checked, packed or unpacked; one line when it cannot be opened at all.
bool openPack(const std::string& path, Pack& pack)
{
    std::string why;
    if (pack.open(path, why, false))
        return true;
    std::fprintf(stderr, "%s\n", Pack::refusal(path, why).c_str());
    return false;
}

// Where a pack's problem is, as the line names it: FOLDER/3.zn or FILE.zip:3.zn.
std::string packPlace(const Pack& pack)
{
    return pack.kind() == Pack::Kind::ARCHIVE ? pack.path() + ":" : pack.path();
}

// Every problem of every zone of the pack and of the pack whole, one line each; the count.
int checkPack(const Pack& pack, const std::string& tileDir)
{
    const int tileImages = zonetext::countTileImages(tileDir);
    if (tileImages == 0)
        std::fprintf(stderr, MSG_NO_TILES, printable(tileDir).c_str());
    packcheck::Zones zones;
    std::vector<std::string> problems;
    for (const int id : pack.zoneIds()) {
        std::string bytes, why;
        zonetext::ZoneData zone;
        if (pack.readZone(id, bytes, why) != safefile::Found::FILE || !zonetext::decode(bytes, zone, why)) {
            zones.refused[id] = why;
            continue;
        }
        for (const std::string& p : zonetext::checkZone(zone, tileImages))
            problems.push_back(Pack::zoneFileName(id) + ": " + p);
        zones.read[id] = zone;
    }
    const std::vector<std::string> whole = packcheck::pack(pack.info(), zones);
    problems.insert(problems.end(), whole.begin(), whole.end());
    for (const std::string& p : problems)
        std::fprintf(stderr, "%s%s\n", printable(packPlace(pack)).c_str(), printable(p).c_str());
    return static_cast<int>(problems.size());
}

int checkPackAt(const std::string& path, const std::string& tileDir)
{
    Pack pack;
    if (!openPack(path, pack))
        return 1;
    if (checkPack(pack, tileDir) > 0)
        return 1;
    const std::size_t zones = pack.zoneIds().size();
    std::printf("%s: %d zone%s, no problems\n", printable(pack.name()).c_str(), static_cast<int>(zones),
                zones == 1 ? "" : "s");
    return 0;
}

// What pack or unpack made: its path, the pack's name and its zones (the files but pack.ini).
void sayMade(const std::string& path, const Pack& pack, const Pack::Files& files)
{
    std::printf("%s: %s, %d zone%s\n", printable(path).c_str(), printable(pack.name()).c_str(),
                static_cast<int>(files.size() - 1), files.size() == 2 ? "" : "s");
}

// Only a .zip is packed over: an output path mistyped onto a zone or a text must not cost it.
bool mayPackOver(const std::string& target)
{
    struct stat info;
    std::string why;
    PackArchive old;
    if (::lstat(target.c_str(), &info) != 0 || (S_ISREG(info.st_mode) && old.open(target, why)))
        return true;
    std::fprintf(stderr, "%s: holds something other than a .zip pack; not written over\n", printable(target).c_str());
    return false;
}

int packUp(const std::string& folder, const std::string& target, const std::string& tileDir)
{
    Pack pack;
    if (!openPack(folder, pack))
        return 1;
    if (pack.kind() != Pack::Kind::FOLDER) {
        std::fprintf(stderr, "%s: not a pack folder\n", printable(folder).c_str());
        return 1;
    }
    if (!mayPackOver(target))
        return 1;
    const int problems = checkPack(pack, tileDir);
    if (problems > 0) {
        std::fprintf(stderr, "%s: not packed, %d problem%s\n", printable(target).c_str(), problems,
                     problems == 1 ? "" : "s");
        return 1;
    }
    Pack::Files files;
    std::string archive, why;
    if (!pack.files(files, why) || !PackArchive::make(files, archive, why)
        || !safefile::write(target, archive, why, safefile::Over::NO_LINK)) {
        std::fprintf(stderr, "%s: cannot be written (%s)\n", printable(target).c_str(), printable(why).c_str());
        return 1;
    }
    sayMade(target, pack, files);
    return 0;
}

int unpack(const std::string& source, const std::string& folder)
{
    Pack pack;
    if (!openPack(source, pack))
        return 1;
    Pack::Files files;
    std::string why;
    if (pack.kind() != Pack::Kind::ARCHIVE) {
        std::fprintf(stderr, "%s: not a .zip pack\n", printable(source).c_str());
        return 1;
    }
    if (!pack.files(files, why) || !Pack::makeFolder(folder, files, why)) {
        std::fprintf(stderr, "%s: not unpacked (%s)\n", printable(folder).c_str(), printable(why).c_str());
        return 1;
    }
    sayMade(folder, pack, files);
    return 0;
}

// A single argument to check that is a folder or a .zip is a pack.
bool isPackPath(const std::string& path)
{
    struct stat info;
    const std::string zip = Pack::ARCHIVE_EXTENSION;
    return (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        || (path.size() > zip.size() && path.compare(path.size() - zip.size(), zip.size(), zip) == 0);
}

// "--tiles DIR" anywhere among args; the rest in order.
std::vector<std::string> takeTiles(const std::vector<std::string>& args, std::size_t from, std::string& tileDir)
{
    std::vector<std::string> rest;
    for (std::size_t i = from; i < args.size(); ++i) {
        if (args[i] == "--tiles" && i + 1 < args.size())
            tileDir = args[++i];
        else
            rest.push_back(args[i]);
    }
    return rest;
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
    std::string tileDir = "resources/gfx/tiles";
    if (args.size() >= 2 && args[0] == "check") {
        const std::vector<std::string> files = takeTiles(args, 1, tileDir);
        if (files.size() == 1 && isPackPath(files[0]))
            return checkPackAt(files[0], tileDir);
        if (!files.empty())
            return check(files, tileDir);
    }
    if (!args.empty() && args[0] == "pack") {
        const std::vector<std::string> rest = takeTiles(args, 1, tileDir);
        if (rest.size() == 3 && rest[1] == "-o")
            return packUp(rest[0], rest[2], tileDir);
    }
    if (args.size() == 4 && args[0] == "unpack" && args[2] == "-o")
        return unpack(args[1], args[3]);
    std::fputs(USAGE, stderr);
    return 2;
}
