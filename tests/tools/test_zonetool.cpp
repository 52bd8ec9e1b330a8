// zonetool's text form and checks, and the shipped levels built with it.

#include "world/entity.h"
#include "characters/player.h"
#include "core/grid.h"
#include "characters/robber.h"
#include "testsupport.h"
#include "world/tile.h"
#include "world/zone.h"
#include "buildrecord.h"
#include "packtesting.h"
#include "world/pack.h"
#include "world/zonefair.h"
#include "zonetext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using zonetext::EntityRec;
using zonetext::ZoneData;

const int SHIPPED_ZONES = 4;

using testsupport::readFile;

std::string shipped(int zone) { return testsupport::repoDir() + "/resources/lvl/" + std::to_string(zone) + ".zn"; }

// Bytes to text and back again must give the very same bytes.
void expectRoundTrip(const std::string& bytes, const std::string& label)
{
    ZoneData decoded, rebuilt;
    std::string why;
    ASSERT_TRUE(zonetext::decode(bytes, decoded, why)) << label << ": " << why;
    const std::string text = zonetext::toText(decoded);
    ASSERT_TRUE(zonetext::fromText(text, rebuilt, why)) << label << ": " << why << "\n" << text;
    EXPECT_EQ(zonetext::encode(rebuilt), bytes) << label << "\n" << text;
}

float fromBits(uint32_t bits)
{
    float f = 0;
    std::memcpy(&f, &bits, 4);
    return f;
}

EntityRec entity(int32_t type, int32_t id, float x, float y, float radius)
{
    EntityRec e;
    e.type = type;
    e.id = id;
    e.x = x;
    e.y = y;
    e.radius = radius;
    return e;
}

// Everything the format can hold, including what the game would refuse.
ZoneData oddZone()
{
    ZoneData z;
    z.id = -7;
    z.name = std::string("quote \" back \\ tab \t nl \n bell \x07 high \xc3\xa9 nul ", 44) + std::string(1, '\0');
    z.width = 5;
    z.height = 3;
    z.tiles.resize(15);
    const int32_t kinds[] = {0, 1, 2, 3, 9, -1};
    for (std::size_t i = 0; i < z.tiles.size(); ++i) {
        z.tiles[i].type = kinds[i % 6];
        z.tiles[i].texture = i < 12 ? static_cast<int32_t>(i) : static_cast<int32_t>(100 + i) * (i % 2 ? -1 : 1);
        z.tiles[i].link = i % 4 == 0 ? -1 : static_cast<int32_t>(i * 1000);
    }
    z.entities.push_back(entity(Entity::TYPE_PLAYER, 5, 0.1f, -0.0f, 16));
    z.entities.push_back(entity(Entity::TYPE_ROBBER, 2, 1e-30f, 3.4e38f, fromBits(0x7fc00001)));
    z.entities.push_back(entity(Entity::TYPE_MALE_PEDESTRIAN, 3, 123456.789f, -2.5f, fromBits(0x7f800000)));
    z.entities.push_back(entity(Entity::TYPE_CLERK, 4, 1.0f / 3.0f, 12345678.0f, 15));
    EntityRec prop = entity(Entity::TYPE_DOODAD, 6, 40, 60, 16);
    prop.image = 99;
    z.entities.push_back(prop);
    EntityRec trigger = entity(Entity::TYPE_TRIGGER, 7, 64, 64, 32);
    trigger.fireOnEnter = false;
    trigger.uses = -3;
    trigger.team = 2;
    Event dialog;
    dialog.dialogLines.push_back({"Hi\nthere \"you\"", 1, 3});
    dialog.dialogLines.push_back({"", -4, 9});
    dialog.entityId = 11;
    dialog.destX = 12;
    dialog.destY = 13;
    Event move;
    move.type = 1;
    move.entityId = 4;
    move.destX = 2;
    move.destY = 1;
    move.dialogLines.push_back({"kept though unused", 0, 0});
    Event strange;
    strange.type = 7;
    trigger.events = {dialog, move, strange};
    z.entities.push_back(trigger);
    z.entities.push_back(entity(Entity::TYPE_TRIGGER, 8, 0, 0, 1));
    z.entities.back().events.push_back(Event());
    z.trailing = std::string("\x01\x00\xff", 3);
    return z;
}

TEST(ZoneText, CraftedZonesRoundTripByteForByte)
{
    expectRoundTrip(zonetext::encode(oddZone()), "odd zone");

    ZoneData smallest;
    smallest.tiles.resize(1);
    const std::string bytes = zonetext::encode(smallest);
    const unsigned char expected[32] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,
                                        2, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 0xff, 0xff, 0, 0, 0, 0};
    EXPECT_EQ(bytes, std::string(reinterpret_cast<const char*>(expected), 32));
    expectRoundTrip(bytes, "smallest zone");

    // More image numbers than spare legend characters: the rest go to image lines.
    ZoneData many;
    many.width = 40;
    many.height = 3;
    many.tiles.resize(120);
    for (std::size_t i = 0; i < many.tiles.size(); ++i)
        many.tiles[i].texture = static_cast<int32_t>(i * 7);
    expectRoundTrip(zonetext::encode(many), "many images");
}

TEST(ZoneText, ReadsTheGamesOwnZoneFilesExactly)
{
    testsupport::loadTestResources();
    Zone zone(42, 3, 2, nullptr);
    zone.name = "saved by the game";
    zone.getTile(1, 0)->setType(TILE_LINKOUT);
    zone.getTile(1, 0)->link = 5;
    zone.getTile(2, 1)->setType(TILE_WALL);
    zone.getTile(2, 1)->setTexture(1);
    Robber* robber = zone.entities.add(std::make_unique<Robber>(&zone.entities));
    robber->id = 3;
    robber->position = sf::Vector2f(48.5f, 20.25f);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(zone.save());
    testing::internal::GetCapturedStdout();
    const std::string bytes = readFile(Zone::fileName(42));
    std::remove(Zone::fileName(42).c_str());

    ZoneData decoded;
    std::string why;
    ASSERT_TRUE(zonetext::decode(bytes, decoded, why)) << why;
    EXPECT_EQ(decoded.id, 42);
    EXPECT_EQ(decoded.name, "saved by the game");
    EXPECT_EQ(decoded.tile(1, 0).type, TILE_LINKOUT);
    EXPECT_EQ(decoded.tile(1, 0).link, 5);
    EXPECT_EQ(decoded.tile(2, 1).texture, 1);
    ASSERT_EQ(decoded.entities.size(), 1u);
    EXPECT_EQ(decoded.entities[0].type, Entity::TYPE_ROBBER);
    EXPECT_FLOAT_EQ(decoded.entities[0].x, 48.5f);
    expectRoundTrip(bytes, "saved zone");
}

TEST(ZoneText, DecodeRefusesTruncatedAndImpossibleFiles)
{
    const std::string whole = zonetext::encode(oddZone());
    ZoneData z;
    std::string why;
    // Every cut inside the records fails with a reason; a cut after them is trailing data.
    const std::size_t recordsEnd = whole.size() - 3;
    for (std::size_t cut = 0; cut < recordsEnd; cut += 7) {
        EXPECT_FALSE(zonetext::decode(whole.substr(0, cut), z, why)) << cut;
        EXPECT_NE(why.find("at byte"), std::string::npos) << why;
    }
    ZoneData huge;
    huge.width = 100000;
    EXPECT_FALSE(zonetext::decode(zonetext::encode(huge), z, why));
    EXPECT_NE(why.find("impossible size"), std::string::npos) << why;
}

struct BadText {
    const char* text;
    const char* where; // "LINE: start of the reason"
};

TEST(ZoneText, BuildErrorsNameTheLine)
{
    const std::string head = "zone 1\nname \"x\"\nsize 3 2\n";
    const std::string maps = "kinds\n|...\n|.#.\nimages\nlegend g 0\n|ggg\n|ggg\n";
    const BadText cases[] = {
        {"zone one\n", "1: expected a whole number"},
        {"zone 1\nsize 0 4\n", "2: impossible size"},
        {"zone 1\nkinds\n", "2: 'size' must come before"},
        {"zone 1\nsize 3 2\nkinds\n|..\n", "4: the row has 2 tiles"},
        {"zone 1\nsize 3 2\nkinds\n|.x.\n", "4: 'x' is not a tile kind"},
        {"zone 1\nsize 3 2\nkinds\n|...\nimages\n", "5: the map has 1 rows"},
        {"zone 1\nsize 3 2\nkinds\n|...\n|...\n|...\n", "6: more map rows"},
        {"zone 1\nsize 3 2\nkinds\n|...\n|...\nimages\n|gxg\n", "7: 'g' is not in the image legend"},
        {"zone 1\nname \"open\nsize 3 2\n", "2: unterminated string"},
        {"zone 1\nname \"bad \\q\"\n", "2: unknown escape"},
        {"zone 1\nsize 3 2\nimages\nkinds\n", "4: 'kinds' comes too late"},
        {"zone 1\nwidth 3\n", "2: unknown keyword 'width'"},
    };
    for (const BadText& c : cases) {
        ZoneData z;
        std::string why;
        EXPECT_FALSE(zonetext::fromText(c.text, z, why)) << c.text;
        EXPECT_EQ(why.rfind(c.where, 0), 0u) << "got '" << why << "' for:\n" << c.text;
    }

    const BadText late[] = {
        {"tiles\nlink 3 0 1\n", "12: tile 3 0 is outside"},
        {"entities\nrobber id 1 at 2 3\n", "12: expected 'radius'"},
        {"entities\nevent dialog entity 0 dest 0 0\n", "12: an event belongs under a trigger"},
        {"entities\ntrigger id 1 at 0 0 radius 9 fires sometimes uses 1 team 1\n", "12: a trigger fires on-enter"},
        {"entities\ntrigger id 1 at 0 0 radius 9 fires on-exit uses 1 team 1\n  line portrait 0 corner 0 \"x\"\n",
         "13: a line belongs under an event"},
        {"entities\nghost id 1 at 0 0 radius 1\n", "12: unknown entity 'ghost'"},
        {"entities\nclerk id 1 at 0 0 radius 1 extra\n", "12: unexpected 'extra'"},
    };
    for (const BadText& c : late) {
        ZoneData z;
        std::string why;
        const std::string text = head + maps + c.text;
        EXPECT_FALSE(zonetext::fromText(text, z, why)) << text;
        EXPECT_EQ(why.rfind(c.where, 0), 0u) << "got '" << why << "' for:\n" << c.text;
    }
    ZoneData ok;
    std::string why;
    // The game refuses a dialog line over its limit, and so does the tool, in text and bytes.
    const std::string longLine = head + maps + "entities\ntrigger id 1 at 0 0 radius 9 fires on-exit uses 1 team 1\n"
                               + "  event dialog entity 0 dest 0 0\n    line portrait 0 corner 0 \""
                               + std::string(zonefile::MAX_TEXT + 1, 'w') + "\"\n";
    EXPECT_FALSE(zonetext::fromText(longLine, ok, why));
    EXPECT_EQ(why, "14: a dialog line is 65537 bytes long, more than 65536");
    ZoneData tooLong = oddZone();
    tooLong.entities[5].events[0].dialogLines[0].text.assign(zonefile::MAX_TEXT + 1, 'w');
    EXPECT_FALSE(zonetext::decode(zonetext::encode(tooLong), ok, why));
    EXPECT_NE(why.find("a dialog line is 65537 bytes long"), std::string::npos) << why;
    EXPECT_TRUE(zonetext::fromText(head + maps, ok, why)) << why;
    EXPECT_EQ(ok.tile(1, 1).type, TILE_WALL);
}

std::vector<zonetext::NamedZone> shippedZones()
{
    std::vector<zonetext::NamedZone> zones;
    for (int n = 0; n < SHIPPED_ZONES; ++n) {
        zonetext::NamedZone named{std::to_string(n) + ".zn", ZoneData()};
        std::string why;
        EXPECT_TRUE(zonetext::decode(readFile(shipped(n)), named.zone, why)) << named.file << ": " << why;
        zones.push_back(named);
    }
    return zones;
}

TEST(ZoneCheck, FindsBrokenLinksAndBadRecords)
{
    std::vector<zonetext::NamedZone> zones = shippedZones();
    EXPECT_TRUE(zonetext::checkLinks(zones).empty());

    // Zone 2 loses its way back from the shop.
    for (zonetext::TileRec& t : zones[2].zone.tiles)
        if (t.type == TILE_LINKIN && t.link == 3)
            t.type = TILE_FLOOR;
    std::vector<std::string> problems = zonetext::checkLinks(zones);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("3.zn: tile 0,8: zone 2 (2.zn) has no link-in tile from zone 3"), std::string::npos)
        << problems[0];

    // Without the shop, zone 2's exit leads nowhere.
    zones.pop_back();
    problems = zonetext::checkLinks(zones);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("2.zn: tile 25,4: links out to zone 3, which is not among the files"), std::string::npos)
        << problems[0];

    ZoneData odd = oddZone();
    const std::string all = [&] {
        std::string joined;
        for (const std::string& p : zonetext::checkZone(odd, 12))
            joined += p + "\n";
        return joined;
    }();
    for (const char* expected : {"unknown kind 9", "image 112 does not exist", "prop number 99 does not exist",
                                 "unknown event type 7", "a dialog without lines", "impossible position or radius",
                                 "link tile without a zone", "stands outside the grid"})
        EXPECT_NE(all.find(expected), std::string::npos) << expected << " missing from:\n" << all;
}

int runTool(const std::string& arguments, std::string& output, const std::string& dir = testsupport::repoDir())
{
    const std::string command = "cd '" + dir + "' && '" MORVANE_ZONETOOL "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[512];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pipe ? pclose(pipe) : -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A street of floor, the given size, with its arrival on tile 0,1 and what more.
struct Street {
    ZoneData zone;
    explicit Street(int columns, int rows = 3, int id = 1)
    {
        zone.id = id;
        zone.width = columns;
        zone.height = rows;
        zone.tiles.resize(static_cast<std::size_t>(columns * rows));
        zone.tile(0, 1).type = TILE_LINKIN;
    }
    Street& out(int x, int y)
    {
        zone.tile(x, y).type = TILE_LINKOUT;
        return *this;
    }
    Street& wall(int x, int y)
    {
        zone.tile(x, y).type = TILE_WALL;
        return *this;
    }
    Street& add(int type, int id, int x, int y)
    {
        zone.entities.push_back(entity(type, id, (x + 0.5f) * TILE_SIZE, (y + 0.5f) * TILE_SIZE, 15));
        return *this;
    }
    Street& robber(int id, int x, int y) { return add(Entity::TYPE_ROBBER, id, x, y); }
    // A scene that walks entity id to x, y.
    Street& walk(int id, int x, int y)
    {
        EntityRec trigger = entity(Entity::TYPE_TRIGGER, 90, 16, 16, 16);
        Event move;
        move.type = Event::EVENT_MOVE;
        move.entityId = id;
        move.destX = x;
        move.destY = y;
        trigger.events.push_back(move);
        zone.entities.push_back(trigger);
        return *this;
    }
};

// Each rule on both sides of its limit, measured along the path a robber's own search walks
// (7.2 tiles is 4 s of a robber's walking, 5.4 tiles 3 s; a path is whole tiles and
// diagonals, so the nearest paths either side stand in for the limit itself).
TEST(ZoneCheck, MeasuresFairnessAlongPathsAndNamesEachProblemsTile)
{
    struct Case {
        const char* what;
        Street street;
        const char* problem; // empty when fair
    };
    const Case cases[] = {
        {"a way out 5 tiles on", Street(8).out(5, 1), ""},
        {"a way out 4 tiles on", Street(8).out(4, 1),
         "tile 0,1: arrival 4.0 tiles of path from the link-out at tile 4,1, under 5.0"},
        {"a robber 7.4 tiles off", Street(10).robber(2, 7, 2), ""},
        {"a robber on the arrival", Street(4).robber(2, 0, 1),
         "robber 2 at tile 0,1: walks to the arrival at tile 0,1 in 0.0 s, under 4.0"},
        {"a robber 7 tiles off", Street(10).robber(2, 7, 1),
         "robber 2 at tile 7,1: walks to the arrival at tile 0,1 in 3.9 s, under 4.0"},
        {"a robber 2 tiles off behind a wall, 20 round it",
         Street(11, 5).wall(0, 2).wall(1, 2).wall(2, 2).wall(3, 2).wall(4, 2).wall(5, 2).wall(6, 2).wall(7, 2).wall(8, 2)
             .wall(9, 2).robber(2, 0, 3), ""},
        {"a robber walked nearer by a scene", Street(14).robber(2, 12, 1).walk(2, 3, 1),
         "robber 2 walked by a scene to tile 3,1: walks to the arrival at tile 0,1 in 1.7 s, under 4.0"},
        {"a player's start with a robber by it", Street(20).add(Entity::TYPE_PLAYER, 1, 19, 1).robber(2, 15, 1),
         "robber 2 at tile 15,1: walks to the arrival at the player's start at tile 19,1 in 2.2 s, under 4.0"},
        {"the first fight 6 tiles from a way out", [] { Street s(16); s.zone.tile(0, 1).type = TILE_FLOOR;
             s.zone.tile(6, 1).type = TILE_LINKIN; return s.out(0, 1).robber(2, 14, 1); }(), ""},
        {"the first fight 5 tiles from a way out", [] { Street s(16); s.zone.tile(0, 1).type = TILE_FLOOR;
             s.zone.tile(5, 1).type = TILE_LINKIN; return s.out(0, 1).robber(2, 13, 1); }(),
         "tile 5,1: on the way of robber 2 at tile 13,1 to the arrival at tile 5,1, 5.0 tiles of path from the "
         "link-out at tile 0,1, under 6.0"},
        {"a way out on the first robber's way", Street(24).out(12, 0).robber(2, 20, 1).robber(3, 23, 2),
         "tile 12,1: on the way of robber 2 at tile 20,1 to the arrival at tile 0,1, 1.0 tiles of path from the "
         "link-out at tile 12,0, under 6.0"},
        {"the last zone's robbers 5.4 tiles apart", Street(16, 3, 3).robber(2, 8, 1).robber(3, 13, 2), ""},
        {"the last zone's robbers 5 tiles apart", Street(16, 3, 3).robber(2, 8, 1).robber(3, 13, 1),
         "robber 2 at tile 8,1 and robber 3 at tile 13,1: walk to the arrival at tile 0,1 2.8 s apart, under 3.0 "
         "(the last zone's robbers come one at a time)"},
        {"other zones' robbers may come together", Street(16, 3, 2).robber(2, 8, 1).robber(3, 13, 1), ""},
        {"no way in", [] { Street s(4); s.zone.tile(0, 1).type = TILE_FLOOR; return s; }(),
         "no arrival: the zone has neither a link-in tile nor a player"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::string> problems = zonefair::check(c.street.zone, Pack::BUILT_IN_ENDING);
        if (*c.problem == '\0') {
            EXPECT_TRUE(problems.empty()) << problems.front();
        } else {
            ASSERT_EQ(problems.size(), 1u) << problems.front();
            EXPECT_EQ(problems[0], c.problem);
        }
    }
    // The tool refuses such a zone as it refuses a broken one.
    const std::string file = testsupport::makeTempDir() + "/unfair.zn";
    std::ofstream(file, std::ios::binary) << zonetext::encode(Street(8).out(4, 1).zone);
    std::string output;
    EXPECT_EQ(runTool("check '" + file + "'", output), 1);
    EXPECT_NE(output.find("unfair.zn: tile 0,1: arrival 4.0 tiles"), std::string::npos) << output;
}

TEST(ShippedLevels, CommittedFilesAreAFreshBuildOfTheSources)
{
    const BuildRecord record(testsupport::repoDir() + "/levels/built.sums");
    for (int n = 0; n < SHIPPED_ZONES; ++n) {
        const std::string source = readFile(testsupport::repoDir() + "/levels/" + std::to_string(n) + ".txt");
        ZoneData built;
        std::string why;
        ASSERT_TRUE(zonetext::fromText(source, built, why)) << "levels/" << n << ".txt:" << why;
        EXPECT_EQ(zonetext::encode(built), readFile(shipped(n))) << "run make levels: zone " << n << " is stale";
        const std::string level = "resources/lvl/" + std::to_string(n) + ".zn";
        EXPECT_TRUE(record.unchangedSinceBuilt(level, readFile(shipped(n)), std::string()))
            << "levels/built.sums does not hold what make levels built into " << level;
        expectRoundTrip(readFile(shipped(n)), "zone " + std::to_string(n));
    }
    std::string output;
    EXPECT_EQ(runTool("check resources/lvl/0.zn resources/lvl/1.zn resources/lvl/2.zn resources/lvl/3.zn", output), 0)
        << output;
    output.clear();
    const std::string bad = testsupport::makeTempDir() + "/bad.txt";
    std::ofstream(bad) << "zone 4\nsize 2 2\nkinds\n|..\n|.\n";
    EXPECT_EQ(runTool("build '" + bad + "' -o /dev/null", output), 1);
    EXPECT_NE(output.find("bad.txt:5: the row has 1 tiles"), std::string::npos) << output;
}

// A level saved from the editor is never built over quietly: one line says what to do, and
// the file stays until the text catches up or the build is forced.
TEST(ZoneToolBuild, NeverBuildsOverALevelChangedSinceItsTextBuiltIt)
{
    const std::string dir = testsupport::makeTempDir();
    const std::string text = dir + "/5.txt", level = dir + "/5.zn", record = " --record '" + dir + "/built.sums'";
    std::ofstream(text) << readFile(testsupport::repoDir() + "/levels/1.txt");
    const std::string build = "build '" + text + "' -o '" + level + "'" + record;
    std::string output;
    ASSERT_EQ(runTool(build, output), 0) << output;
    const std::string built = readFile(level);

    std::ofstream(level, std::ios::binary | std::ios::app) << "saved in the editor";
    const std::string edited = readFile(level);
    EXPECT_EQ(runTool(build, output), 3);
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
    EXPECT_NE(output.find(level + ": changed since"), std::string::npos) << output;
    EXPECT_NE(output.find("zonetool dump"), std::string::npos) << output;
    EXPECT_EQ(readFile(level), edited);
    EXPECT_EQ(runTool(build + " --force", output), 0);
    EXPECT_EQ(readFile(level), built);

    // A changed text is built over what it built last; a file it never built is not.
    std::ofstream(text) << readFile(testsupport::repoDir() + "/levels/2.txt");
    EXPECT_EQ(runTool(build, output), 0);
    EXPECT_NE(readFile(level), built);
    std::ofstream(dir + "/6.zn") << "not built here";
    output.clear();
    EXPECT_EQ(runTool("build '" + text + "' -o '" + dir + "/6.zn'" + record, output), 3) << output;
}

// An output that is one of the build's inputs is never built over, --force or not; a file
// that holds no zone only with --force. A refusal is one line and leaves every byte.
TEST(ZoneToolBuild, NeverBuildsOverItsOwnInputsNorWithoutForceOverAFileThatIsNoZone)
{
    const std::string dir = testsupport::makeTempDir();
    const std::string source = readFile(testsupport::repoDir() + "/levels/1.txt");
    const std::string notes = "# notes, not a zone\n";
    const std::string zone = zonetext::encode(Street(14).out(5, 1).robber(2, 4, 1).zone);
    const struct {
        const char* output;
        const char* more; // further arguments
        int status;
        const char* said; // what the one line says, "" when nothing is said
    } cases[] = {
        {"X.txt", "", 1, "X.txt: is the same file as "},
        {"X.txt", " --force", 1, "X.txt: is the same file as "},
        {"link.txt", "", 1, "link.txt: is the same file as "},
        {"new.zn", " --record X.txt", 1, "X.txt: is the same file as "},
        {"sums", " --record sums", 1, "sums: is the same file as "},
        {"notes.txt", "", 3, "notes.txt: holds no zone ("},
        {"notes.txt", " --force", 0, ""},
        {"big.zn", "", 3, "big.zn: holds no zone (268435457 bytes, more than the 268435456 it may hold)"},
        {"old.zn", "", 0, ""},
        {"new.zn", "", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.output) + c.more);
        std::ofstream(dir + "/X.txt") << source;
        std::ofstream(dir + "/notes.txt") << notes;
        std::ofstream(dir + "/old.zn", std::ios::binary) << zone;
        std::ofstream(dir + "/sums") << "";
        std::remove((dir + "/new.zn").c_str());
        std::remove((dir + "/link.txt").c_str());
        ASSERT_EQ(symlink("X.txt", (dir + "/link.txt").c_str()), 0);
        testsupport::placeHostile(dir + "/big.zn", testsupport::Hostile::OVERSIZED);
        const bool big = std::string(c.output) == "big.zn"; // sparse: never read whole
        const std::string before = big ? "" : readFile(dir + "/" + c.output);
        std::string output;
        EXPECT_EQ(runTool(std::string("build X.txt -o ") + c.output + c.more, output, dir), c.status) << output;
        EXPECT_EQ(output.rfind(c.said, 0), 0u) << output;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), *c.said ? 1 : 0) << output;
        EXPECT_EQ(readFile(dir + "/X.txt"), source);
        const std::string expected = c.status == 0 ? readFile(testsupport::repoDir() + "/resources/lvl/1.zn") : before;
        if (!big) {
            EXPECT_EQ(readFile(dir + "/" + c.output), expected);
        }
        EXPECT_EQ(std::filesystem::file_size(dir + "/big.zn"), 268435457u);
    }
    std::filesystem::remove_all(dir);
}

TEST(ShippedLevels, LoadInTheGameAndEveryRobberCanReachTheArrivalTile)
{
    testsupport::loadRepoResources();
    for (int n = 0; n < SHIPPED_ZONES; ++n) {
        Zone zone(0, 1, 1, nullptr);
        testing::internal::CaptureStdout();
        Player* player = static_cast<Player*>(zone.load(n));
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out.find("Error"), std::string::npos) << out;
        EXPECT_EQ(out.find("stands in"), std::string::npos) << out;
        EXPECT_EQ(player != nullptr, n == 0) << "only the home street holds the player, zone " << n;
        EXPECT_TRUE(zone.getWidth() >= 16 && zone.getWidth() <= 48 && zone.getHeight() >= 16
                    && zone.getHeight() <= 48)
            << "zone " << n << " is " << zone.getWidth() << " x " << zone.getHeight();

        const sf::Vector2f arrival = n == 0 ? player->position : zone.findLinkIn(n - 1);
        ASSERT_GE(arrival.x, 0.0f) << "zone " << n << " has no arrival tile";
        const int row = static_cast<int>(arrival.y / 32), column = static_cast<int>(arrival.x / 32);
        EXPECT_NE(zone.getTile(column, row)->type, TILE_LINKOUT);
        for (const auto& entry : zone.entities) {
            if (entry.second->getType() != Entity::TYPE_ROBBER)
                continue;
            Robber* robber = static_cast<Robber*>(entry.second.get());
            robber->findPath(zone, row, column);
            EXPECT_TRUE(robber->hasPath()) << "robber " << robber->getID() << " of zone " << n << " is shut away";
        }
    }
}

// A folder pack checked, packed, packed again over its own archive, unpacked and checked
// again; each refusal one line or its problems, and nothing written where it was refused.
TEST(ZoneToolPack, PacksOnlyACheckedFolderAndUnpacksOnlyIntoANewOne)
{
    namespace fs = std::filesystem;
    const std::string dir = testsupport::makeTempDir();
    const auto files = packtesting::twoStreets("Two Streets", 0, 1);
    packtesting::writeFolder(dir + "/good", files);
    auto broken = files;
    broken[2].second = zonetext::encode(packtesting::street(1)); // no robbers, no way back
    packtesting::writeFolder(dir + "/broken", broken);
    std::ofstream(dir + "/notes.txt") << "my notes";
    ASSERT_EQ(symlink("good.zip", (dir + "/link.zip").c_str()), 0);
    const struct {
        const char* args;
        int status;
        const char* said; // the whole output
    } cases[] = {
        {"check good", 0, "Two Streets: 2 zones, no problems\n"},
        {"pack good -o good.zip", 0, "good.zip: Two Streets, 2 zones\n"},
        {"pack good -o good.zip", 0, "good.zip: Two Streets, 2 zones\n"},
        {"check good.zip", 0, "Two Streets: 2 zones, no problems\n"},
        {"pack good -o notes.txt", 1, "notes.txt: holds something other than a .zip pack; not written over\n"},
        {"pack good -o link.zip", 1, "link.zip: holds something other than a .zip pack; not written over\n"},
        {"pack good -o nowhere/x.zip", 1, "nowhere/x.zip: cannot be written ("},
        {"pack good.zip -o again.zip", 1, "good.zip: not a pack folder\n"},
        {"pack broken -o broken.zip", 1,
         "broken/0.zn: tile 11,3: links out to zone 1, which has no link-in back to zone 0\n"
         "broken/1.zn: no robbers in the ending zone 1: the game would end as the player arrives\n"
         "broken/1.zn: no arrival: the zone has neither a link-in tile nor a player\n"
         "broken.zip: not packed, 3 problems\n"},
        {"pack nothing -o x.zip", 1, "Zone pack nothing refused: No such file or directory\n"},
        {"unpack good.zip -o copy", 0, "copy: Two Streets, 2 zones\n"},
        {"unpack good.zip -o copy", 1, "copy: not unpacked (something is there already)\n"},
        {"unpack good -o other", 1, "good: not a .zip pack\n"},
        {"check copy", 0, "Two Streets: 2 zones, no problems\n"},
    };
    std::string first;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        std::string output;
        const std::string tiles = " --tiles " + testsupport::repoDir() + "/resources/gfx/tiles";
        const bool unpacking = std::strncmp(c.args, "unpack", 6) == 0;
        EXPECT_EQ(runTool(c.args + (unpacking ? std::string() : tiles), output, dir), c.status);
        EXPECT_EQ(output.rfind(c.said, 0), 0u) << output;
        if (first.empty() && fs::exists(dir + "/good.zip"))
            first = readFile(dir + "/good.zip");
    }
    EXPECT_EQ(readFile(dir + "/good.zip"), first) << "the same pack makes the same bytes";
    EXPECT_EQ(readFile(dir + "/notes.txt"), "my notes");
    EXPECT_TRUE(fs::is_symlink(dir + "/link.zip"));
    for (const char* never : {"broken.zip", "x.zip", "again.zip", "other", "nowhere"})
        EXPECT_FALSE(fs::exists(dir + "/" + never)) << never;
    for (const auto& file : files)
        EXPECT_EQ(readFile(dir + "/copy/" + file.first), file.second) << file.first;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir + "/copy"), fs::directory_iterator()), 3);
    fs::remove_all(dir);
}

} // namespace
