// Zone packs: pack.ini, the archive's guard against hostile entries, folders and .zip files
// read alike, the installed list and the checks across a pack's zones.

#include "packtesting.h"
#include "testsupport.h"
#include "world/pack.h"
#include "world/packarchive.h"
#include "world/packcheck.h"
#include "world/packinfo.h"
#include "world/packshelf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace packtesting;

namespace {

using testsupport::Scratch;

// pack.ini by hand or from a hostile file: each limit met and one past, and each refusal
// naming its line and changing nothing. What is read is written back as it was read, the
// keys this game does not know with it.
TEST(PackInfo, ReadsWhatItMayAndRefusesAnythingElseNamingTheLine)
{
    const std::string name64(64, 'n'), description200(200, 'd');
    const std::string GOOD = "[pack]\nname=N\nstart=0\nending=1\n";
    struct Case {
        std::string text;
        std::string said; // pack.ini written back, or why it was refused
    };
    const Case cases[] = {
        {"; a comment\r\n[pack]\r\n name = The Long Errand \r\nauthor=Kim\nstart=4\nending=999999999\nmusic=loud\n# done\n",
         "[pack]\nname=The Long Errand\nauthor=Kim\nversion=\ndescription=\nstart=4\nending=999999999\nmusic=loud\n"},
        {"[pack]\nname=" + name64 + "\ndescription=" + description200 + "\nstart=0\nending=0\n",
         "[pack]\nname=" + name64 + "\nauthor=\nversion=\ndescription=" + description200 + "\nstart=0\nending=0\n"},
        {"[pack]\nname=" + name64 + "n\n", "line 2: name longer than 64 bytes"},
        {"[pack]\ndescription=" + description200 + "d\n", "line 2: description longer than 200 bytes"},
        {"[pack]\nending=1000000000\n", "line 2: ending is no zone number (1000000000)"},
        {"", "no [pack] section"},
        {"\x89PNG\r\n\x1a\n\0\0\0", "line 1: holds bytes that are not text"},
        {"name=N\n[pack]\n", "line 1: before the [pack] section"},
        {GOOD + "[other]\n", "line 5: a section other than the one [pack]"},
        {GOOD + "[pack]\n", "line 5: a section other than the one [pack]"},
        {"[pack]\njust words\n", "line 2: not key=value"},
        {"[pack]\n=value\n", "line 2: not key=value"},
        {"[pack]\nname=a\tb\n", "line 2: holds bytes that are not text"},
        {"[pack]\nname=\xff\xfe\n", "line 2: holds bytes that are not text"},
        {"[pack]\nstart=-1\n", "line 2: start is no zone number (-1)"},
        {"[pack]\nstart=01\n", "line 2: start is no zone number (01)"},
        {"[pack]\nstart=\n", "line 2: start is no zone number ()"},
        {"[pack]\nstart=0\nending=0\n", "no name"},
        {"[pack]\nname=\nstart=0\nending=0\n", "no name"},
        {"[pack]\nname=N\nending=0\n", "no start zone"},
        {"[pack]\nname=N\nstart=0\n", "no ending zone"},
    };
    for (const Case& c : cases) {
        PackInfo info;
        info.name = "kept";
        std::string why;
        if (PackInfo::parse(c.text, info, why)) {
            EXPECT_EQ(info.toText(), c.said);
            PackInfo again;
            EXPECT_TRUE(PackInfo::parse(info.toText(), again, why) && again.toText() == c.said) << why;
        } else {
            EXPECT_EQ(why, c.said);
            EXPECT_EQ(info.name, "kept") << c.said;
        }
    }
    std::string why;
    for (const std::string& ok : {std::string("Two Streets"), std::string(64, 'x'), std::string("caf\xc3\xa9")})
        EXPECT_TRUE(PackInfo::validName(ok, why)) << ok << ": " << why;
    for (const std::string& bad : {std::string(), std::string(65, 'x'), std::string(" lead"), std::string("trail "),
                                  std::string(".hidden"), std::string(".."), std::string("a/b"), std::string("bell\x07")})
        EXPECT_FALSE(PackInfo::validName(bad, why)) << bad;
}

TEST(PackArchive, EachEntryIsJudgedBeforeAnythingIsExpanded)
{
    const long long MAX = PackArchive::MAX_ENTRY_BYTES;
    const unsigned FILE = S_IFREG | 0644;
    struct Case {
        PackArchive::Entry entry;
        std::string problem; // empty: accepted
    };
    const Case cases[] = {
        {{"pack.ini", 10, 10, FILE, false}, ""},
        {{"folder/3.zn", 10, 10, 0, false}, ""},
        {{"folder/", 0, 0, S_IFDIR | 0755, false}, ""},
        {{"a..b/..c", 1, 1, 0, false}, ""},
        {{"", 1, 1, 0, false}, "an entry without a name"},
        {{"/etc/passwd", 1, 1, 0, false}, "an absolute name"},
        {{"\\windows\\x", 1, 1, 0, false}, "an absolute name"},
        {{"C:/x", 1, 1, 0, false}, "an absolute name"},
        {{"../1.zn", 1, 1, 0, false}, "a name that climbs out with .."},
        {{"a/../../1.zn", 1, 1, 0, false}, "a name that climbs out with .."},
        {{"a\\..\\1.zn", 1, 1, 0, false}, "a name that climbs out with .."},
        {{"..", 1, 1, 0, false}, "a name that climbs out with .."},
        {{"1.zn", 6, 6, S_IFLNK | 0777, false}, "a link"},
        {{"1.zn", 0, 0, S_IFIFO | 0644, false}, "not a plain file"},
        {{"1.zn", 0, 0, S_IFDIR | 0755, false}, "not a plain file"},
        {{"1.zn", 10, 10, FILE, true}, "encrypted"},
        {{"big", MAX, MAX, FILE, false}, ""},
        {{"big", MAX + 1, MAX, FILE, false}, "would expand to 268435457 bytes, past 268435456"},
        {{"bomb", 1000 * 77, 77, FILE, false}, ""},
        {{"bomb", 1000 * 77 + 1, 77, FILE, false}, "would expand 77001 bytes from 77, more than 1000 times"},
        {{"empty", 0, 0, FILE, false}, ""},
        {{"empty", 1, 0, FILE, false}, "would expand 1 bytes from 0, more than 1000 times"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PackArchive::problem(c.entry), c.problem) << c.entry.name << " " << c.entry.size;
}

// The archive's own bytes, bent as a hostile one would be, each refused with one line that
// names the pack and why, before a byte of any entry is expanded, and the pack left as it was.
TEST(PackArchive, HostileArchivesAreRefusedWhole)
{
    Scratch scratch;
    writeFolder(scratch.at("kept"), twoStreets("Kept", 0, 1));
    const auto files = twoStreets("Hostile", 0, 1);
    auto with = [&files](const std::string& name, const std::string& bytes) {
        auto more = files;
        more.emplace_back(name, bytes);
        return more;
    };
    auto crowded = files;
    while (crowded.size() < PackArchive::MAX_ENTRIES)
        crowded.emplace_back("notes/" + std::to_string(crowded.size()), "");
    auto overfull = crowded;
    overfull.emplace_back("notes/one more", "");
    struct Case {
        std::vector<std::pair<std::string, std::string>> content;
        std::function<void(std::string&)> bendIt;
        std::string reason; // empty: opened; ending in a space: how it begins
    };
    const Case cases[] = {
        {with("xx/2.zn", "z"), [](std::string& z) { bend(z, "xx/2.zn", [](const Header& h) { h.setName("../2.zn"); }); },
         "entry \"../2.zn\": a name that climbs out with .."},
        {with("/etc/pwnd", "z"), nullptr, "entry \"/etc/pwnd\": an absolute name"},
        {files, [](std::string& z) { bend(z, "1.zn", [](const Header& h) { h.setUnixMode(S_IFLNK | 0777); }); },
         "entry \"1.zn\": a link"},
        {files, [](std::string& z) { bend(z, "1.zn", [](const Header& h) { h.setFlags(1); }); }, "entry \"1.zn\": encrypted"},
        {with("zeros", std::string(10 * 1000 * 1000, '\0')), nullptr, "entry \"zeros\": would expand 10000000 bytes from "},
        {files,
         [](std::string& z) {
             bend(z, "0.zn", [](const Header& h) { h.setSize(static_cast<uint32_t>(PackArchive::MAX_ENTRY_BYTES) + 1); });
         },
         "entry \"0.zn\": would expand to 268435457 bytes, past 268435456"},
        {crowded, nullptr, ""},
        {overfull, nullptr, "10001 entries, more than 10000"},
    };
    const std::string path = scratch.at("hostile.zip");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        std::string zip = archive(c.content);
        if (c.bendIt)
            c.bendIt(zip);
        writeFile(path, zip);
        Pack pack;
        std::string why;
        ASSERT_TRUE(pack.open(scratch.at("kept"), why)) << why;
        EXPECT_EQ(pack.open(path, why), c.reason.empty()) << why;
        if (c.reason.empty())
            continue;
        EXPECT_EQ(c.reason.back() == ' ' ? why.substr(0, c.reason.size()) : why, c.reason);
        EXPECT_EQ(pack.name(), "Kept");
        EXPECT_EQ(Pack::refusal(path, why), "Zone pack " + path + " refused: " + why);
    }
}

TEST(PackArchive, AnEntryLongerThanItsHeaderSaysStopsThereAndOneShorterIsRefused)
{
    Scratch scratch;
    const std::string zone = zonefile::encode(endingStreet(1, 0));
    for (const uint32_t lie : {static_cast<uint32_t>(zone.size() - 1), static_cast<uint32_t>(zone.size() + 1)}) {
        std::string zip = archive(twoStreets("Liar", 0, 1));
        bend(zip, "1.zn", [lie](const Header& h) { h.setSize(lie); });
        writeFile(scratch.dir + "/liar.zip", zip);
        Pack pack;
        std::string why, bytes = "kept";
        ASSERT_TRUE(pack.open(scratch.dir + "/liar.zip", why)) << "the header alone looks fine: " << why;
        EXPECT_EQ(pack.readZone(1, bytes, why), safefile::Found::REFUSED);
        EXPECT_EQ(bytes, "kept");
        if (lie < zone.size())
            EXPECT_EQ(why, "expands past the " + std::to_string(lie) + " bytes its header gives");
        else
            EXPECT_FALSE(why.empty());
        EXPECT_EQ(pack.readZone(0, bytes, why), safefile::Found::FILE) << "the honest entry still reads";
    }
}

// The same pack as a folder, as a .zip, and as a .zip of the folder: the same zones, byte for byte.
TEST(Pack, FolderAndArchiveHoldTheSameZonesAndAMissingOneIsMissing)
{
    Scratch scratch;
    const auto files = twoStreets("Two Streets", 4, 5);
    writeFolder(scratch.dir + "/folder", files);
    writeFile(scratch.dir + "/flat.zip", archive(files));
    std::vector<std::pair<std::string, std::string>> nested;
    for (const auto& f : files)
        nested.emplace_back("Two Streets/" + f.first, f.second);
    nested.emplace_back("Two Streets/", "");
    writeFile(scratch.dir + "/nested.zip", archive(nested));

    for (const std::string name : {"folder", "flat.zip", "nested.zip"}) {
        Pack pack;
        std::string why, bytes;
        ASSERT_TRUE(pack.open(scratch.dir + "/" + name, why)) << name << ": " << why;
        EXPECT_EQ(pack.kind(), name == "folder" ? Pack::Kind::FOLDER : Pack::Kind::ARCHIVE);
        EXPECT_EQ(pack.readOnly(), name != "folder");
        EXPECT_EQ(pack.info().start, 4);
        EXPECT_EQ(pack.info().ending, 5);
        EXPECT_EQ(pack.zoneIds(), (std::vector<int>{4, 5})) << name;
        ASSERT_EQ(pack.readZone(5, bytes, why), safefile::Found::FILE) << name << ": " << why;
        EXPECT_EQ(bytes, files[2].second) << name;
        EXPECT_EQ(pack.readZone(6, bytes, why), safefile::Found::MISSING) << name;
        Pack::Files all;
        ASSERT_TRUE(pack.files(all, why)) << why;
        EXPECT_EQ(all, files) << name << ": what it is made of, as it is";
    }
}

TEST(Pack, RefusedPacksSayWhyInOneLine)
{
    Scratch scratch;
    const std::string d = scratch.dir;
    auto files = twoStreets("Broken", 0, 1);
    writeFolder(d + "/no start", {files[0], files[2]});
    writeFolder(d + "/garbage", {{"pack.ini", "\x7f" "ELF\x02\x01"}});
    writeFolder(d + "/no ini", {files[1]});
    writeFile(d + "/not a zip.zip", "PK but not really");
    writeFile(d + "/no ini.zip", archive({files[1]}));
    ASSERT_EQ(::mkfifo((d + "/fifo").c_str(), 0644), 0);
    fs::create_symlink(d + "/loop", d + "/loop");
    writeFolder(d + "/ini fifo", {files[1]});
    ASSERT_EQ(::mkfifo((d + "/ini fifo/pack.ini").c_str(), 0644), 0);
    const std::pair<std::string, std::string> cases[] = {
        {"no start", "its start zone 0 is not in it"},
        {"garbage", "pack.ini: line 1: holds bytes that are not text"},
        {"no ini", "no pack.ini"},
        {"not a zip.zip", "not a readable .zip (Not a zip archive)"},
        {"no ini.zip", "no pack.ini at its top or in one folder there"},
        {"fifo", "a FIFO, not a pack folder or .zip"},
        {"loop", "Too many levels of symbolic links"},
        {"ini fifo", "pack.ini: a FIFO, not a file"},
        {"nothing here", "No such file or directory"},
    };
    for (const auto& c : cases) {
        Pack pack = Pack::builtIn();
        std::string why;
        EXPECT_FALSE(pack.open(d + "/" + c.first, why)) << c.first;
        EXPECT_EQ(why, c.second) << c.first;
        EXPECT_EQ(pack.kind(), Pack::Kind::BUILT_IN) << "unchanged";
    }
    Pack unfinished;
    std::string why;
    EXPECT_TRUE(unfinished.open(d + "/no start", why, false)) << "to be checked or repaired: " << why;
}

TEST(PackShelf, ListsFoldersAndZipsByNameWithTheRefusedOnesSaidWhy)
{
    Scratch scratch;
    const std::string d = scratch.dir;
    writeFile(d + "/b.zip", archive(twoStreets("Bee", 0, 1)));
    writeFolder(d + "/a", twoStreets("Ay", 0, 1));
    writeFolder(d + "/.hidden", twoStreets("Hidden", 0, 1));
    writeFile(d + "/README.txt", "not a pack");
    writeFile(d + "/c.ZIP", "garbage");
    ASSERT_EQ(::mkfifo((d + "/d").c_str(), 0644), 0);
    const std::vector<PackShelf::Entry> list = PackShelf::list(d);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].path, d + "/a");
    EXPECT_EQ(list[0].pack.name(), "Ay");
    EXPECT_EQ(list[1].pack.name(), "Bee");
    EXPECT_EQ(list[2].path, d + "/c.ZIP");
    EXPECT_NE(list[2].refusal.find("not a readable .zip"), std::string::npos);
    EXPECT_EQ(list[3].refusal, "a FIFO, not a pack folder or .zip");
    EXPECT_TRUE(PackShelf::list(d + "/nowhere").empty());
}

TEST(PackCheck, NamesEveryProblemOfAPackWithItsTile)
{
    PackInfo info;
    info.name = "Checked";
    info.start = 0;
    info.ending = 1;
    packcheck::Zones zones;
    zones.read[0] = startStreet(0, 1);
    zones.read[1] = endingStreet(1, 0);
    EXPECT_TRUE(packcheck::pack(info, zones).empty()) << packcheck::pack(info, zones).front();

    zones.read[0].entities.clear();                              // no player where the game starts
    setTile(zones.read[0], 11, 0, TILE_LINKOUT, 7);              // to a zone the pack lacks
    setTile(zones.read[0], 11, 5, TILE_LINKOUT, 7);              // the same, said once
    zones.read[1].entities.clear();                              // nothing to clear at the end
    setTile(zones.read[1], 11, 3, TILE_LINKOUT, 2);              // to a zone with no way back
    zones.read[2] = street(2);
    zones.read[3] = street(9);                                   // 3.zn holding zone 9
    zones.refused[4] = "truncated";
    info.ending = 8;
    const std::vector<std::string> expected = {
        "pack.ini: the ending zone 8 is not in the pack",
        "4.zn: refused (truncated)",
        "0.zn: tile 11,0: links out to zone 7, which the pack lacks",
        "0.zn: no player in the start zone 0",
        "1.zn: tile 11,3: links out to zone 2, which has no link-in back to zone 1",
        "3.zn: holds zone 9, not zone 3",
    };
    std::vector<std::string> found = packcheck::pack(info, zones);
    // Fairness lines come from zonefair and are tested there; here, the pack's own.
    found.erase(std::remove_if(found.begin(), found.end(),
                               [](const std::string& p) { return p.find("arrival") != std::string::npos; }),
                found.end());
    EXPECT_EQ(found, expected);

    info.ending = 1;
    info.start = 6;
    found = packcheck::pack(info, zones);
    EXPECT_EQ(found[0], "pack.ini: the start zone 6 is not in the pack");
    EXPECT_NE(std::find(found.begin(), found.end(),
                        "1.zn: no robbers in the ending zone 1: the game would end as the player arrives"),
              found.end());
}

} // namespace
