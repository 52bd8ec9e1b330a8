#include "world/zone.h"

#include "characters/player.h"
#include "play/trigger.h"
#include "world/resourcemanager.h"
#include "testsupport.h"
#include "worldprobe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>

namespace fs = std::filesystem;

namespace {

using testsupport::readFile;

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::size_t countLines(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A trigger with one dialog event of one two-byte line.
Bytes& dialogTrigger(Bytes& b, int triggerId)
{
    b.entity(13, triggerId, 64, 64, 32).b8(1).i32(1).i32(1).i32(1);
    b.i32(0).i32(1).str("Hi").i32(0).i32(2);
    return b.i32(0).i32(0).i32(0);
}

class ZoneFileTest : public ::testing::Test {
protected:
    ResourcesLoaded resources;

    void TearDown() override { fs::remove(Zone::fileName(FILE_ID)); }

    static constexpr int FILE_ID = 900;

    // Writes bytes as zone FILE_ID and loads them into zone; stdout goes to out.
    Player* loadBytes(Zone& zone, const std::string& bytes, std::string& out)
    {
        writeFile(Zone::fileName(FILE_ID), bytes);
        testing::internal::CaptureStdout();
        Player* player = static_cast<Player*>(zone.load(FILE_ID));
        out = testing::internal::GetCapturedStdout();
        return player;
    }

    std::string saveBytes(Zone& zone, std::string* out = nullptr)
    {
        testing::internal::CaptureStdout();
        const bool ok = zone.save();
        const std::string printed = testing::internal::GetCapturedStdout();
        if (out)
            *out = printed;
        EXPECT_TRUE(ok) << printed;
        return readFile(Zone::fileName(zone.id));
    }

    // Pedestrian, prop and trigger, with a two-byte name, over 2 x 1 tiles.
    std::string fullFile()
    {
        Bytes b;
        b.header(5, "ab", 2, 1).i32(3);
        b.entity(2, 1, 40, 20, 12);
        b.entity(10, 2, 10, 10, 16).i32(1);
        dialogTrigger(b, 3);
        return b.data;
    }
};

TEST_F(ZoneFileTest, SmallestFileIsThirtyTwoKnownBytes)
{
    Zone zone(FILE_ID, 1, 1, nullptr);
    zone.name.clear();
    zone.id = 0;
    const std::string bytes = saveBytes(zone);
    fs::remove(Zone::fileName(0));
    EXPECT_EQ(hex(bytes), "00 00 00 00 00 00 00 00 01 00 00 00 01 00 00 00 "
                          "02 00 00 00 00 00 00 00 ff ff ff ff 00 00 00 00");

    Zone other(3, 4, 4, nullptr);
    std::string out;
    EXPECT_EQ(loadBytes(other, bytes, out), nullptr);
    EXPECT_EQ(out, "0 entities to load\n");
    EXPECT_EQ(other.id, 0);
    EXPECT_EQ(other.getWidth(), 1);
    EXPECT_EQ(other.getHeight(), 1);
}

TEST_F(ZoneFileTest, TilesAreStoredColumnByColumn)
{
    Zone zone(FILE_ID, 2, 3, nullptr);
    zone.name = "c";
    for (int x = 0; x < 2; ++x)
        for (int y = 0; y < 3; ++y)
            zone.getTile(x, y)->link = 10 * x + y;
    const std::string bytes = saveBytes(zone);
    Bytes expected;
    expected.i32(FILE_ID).str("c").i32(2).i32(3);
    for (int link : {0, 1, 2, 10, 11, 12})
        expected.i32(2).i32(0).i32(link);
    expected.i32(0);
    EXPECT_EQ(hex(bytes), hex(expected.data));
}

TEST_F(ZoneFileTest, PlayerRecordComesBackWithIdZero)
{
    Zone zone(FILE_ID, 1, 1, nullptr);
    Player* player = zone.entities.add(std::make_unique<Player>(&zone.entities));
    player->id = 1;
    player->position = {48, 80};
    player->radius = 16;
    const std::string bytes = saveBytes(zone);
    EXPECT_EQ(hex(bytes.substr(bytes.size() - 20)),
              "01 00 00 00 01 00 00 00 00 00 40 42 00 00 a0 42 00 00 80 41");

    Zone other(0, 1, 1, nullptr);
    std::string out;
    Player* loaded = loadBytes(other, bytes, out);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(out, "1 entities to load\n");
    EXPECT_EQ(loaded->getID(), 0);
    EXPECT_EQ(other.entities.get(0), loaded);
    EXPECT_EQ(loaded->position, sf::Vector2f(48, 80));
}

TEST_F(ZoneFileTest, LoadThenSaveGivesTheSameBytes)
{
    Zone zone(0, 1, 1, nullptr);
    std::string out;
    const std::string bytes = fullFile();
    EXPECT_EQ(loadBytes(zone, bytes, out), nullptr);
    EXPECT_EQ(out, "3 entities to load\n");
    EXPECT_EQ(zone.id, 5);
    EXPECT_EQ(zone.name, "ab");
    EXPECT_EQ(zone.entities.size(), 3u);
    EXPECT_EQ(zone.entities.get(1)->getType(), Entity::TYPE_MALE_PEDESTRIAN);
    EXPECT_EQ(zone.entities.get(3)->getType(), Entity::TYPE_TRIGGER);

    // The file carries id 5, so the zone now saves as 5.zn.
    const std::string again = saveBytes(zone);
    fs::remove(Zone::fileName(5));
    EXPECT_EQ(hex(again), hex(bytes));
}

TEST_F(ZoneFileTest, LoadReplacesAndDestroysTheEntitiesItHeld)
{
    Zone zone(0, 3, 3, nullptr);
    int destroyed = 0;
    addProbe(zone.entities, {5, 5}, 1)->destroyed = &destroyed;
    addProbe(zone.entities, {9, 9}, 1)->destroyed = &destroyed;
    std::string out;
    loadBytes(zone, fullFile(), out);
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(zone.getWidth(), 2);
    EXPECT_EQ(zone.entities.countType(Entity::TYPE_TEST_ENTITY), 0);
}

TEST_F(ZoneFileTest, TrailingBytesAfterTheLastRecordAreIgnored)
{
    Zone zone(0, 1, 1, nullptr);
    std::string out;
    loadBytes(zone, fullFile() + std::string(7, '\x5a'), out);
    EXPECT_EQ(out, "3 entities to load\n");
    EXPECT_EQ(zone.entities.size(), 3u);
}

TEST_F(ZoneFileTest, UnknownTileImageIsKeptWithOneWarning)
{
    const int missing = static_cast<int>(ResourceManager::tileTextures.size()) + 5;
    Bytes b;
    b.i32(FILE_ID).str("").i32(1).i32(2).i32(3).i32(missing).i32(-1).i32(2).i32(missing).i32(4).i32(0);
    Zone zone(0, 1, 1, nullptr);
    std::string out;
    loadBytes(zone, b.data, out);
    EXPECT_EQ(countLines(out), 2u) << out;
    EXPECT_NE(out.find("0 entities to load"), std::string::npos);
    EXPECT_EQ(zone.getTile(0, 0)->texture, missing);
    EXPECT_FALSE(zone.getTile(0, 0)->walkable);
    EXPECT_EQ(saveBytes(zone), b.data);
}

TEST_F(ZoneFileTest, MissingFileLeavesTheZoneAlone)
{
    Zone zone(2, 3, 3, nullptr);
    testing::internal::CaptureStdout();
    EXPECT_EQ(zone.load(901), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error loading level: resources/lvl/901.zn!\n");
    EXPECT_EQ(zone.id, 2);
    EXPECT_EQ(zone.getWidth(), 3);
}

// ---- refused files ----

class CorruptZoneFileTest : public ZoneFileTest {
protected:
    Zone keep{42, 3, 3, nullptr};
    int destroyed = 0;

    void SetUp() override
    {
        keep.name = "keep";
        keep.getTile(1, 1)->link = 77;
        addProbe(keep.entities, {20, 20}, 4)->destroyed = &destroyed;
    }

    void expectRefused(const std::string& bytes, const std::string& label)
    {
        std::string out;
        EXPECT_EQ(loadBytes(keep, bytes, out), nullptr) << label;
        EXPECT_EQ(out.rfind("Error loading level: resources/lvl/900.zn! (", 0), 0u) << label << ": " << out;
        EXPECT_EQ(countLines(out), 1u) << label << ": " << out;
        EXPECT_EQ(keep.id, 42) << label;
        EXPECT_EQ(keep.name, "keep") << label;
        EXPECT_EQ(keep.getWidth(), 3) << label;
        EXPECT_EQ(keep.getHeight(), 3) << label;
        EXPECT_EQ(keep.getTile(1, 1)->link, 77) << label;
        EXPECT_EQ(keep.entities.size(), 1u) << label;
        EXPECT_EQ(destroyed, 0) << label;
    }

    static std::string withEntities(int count, const Bytes& records)
    {
        return Bytes().header(1, "z", 1, 1).i32(count).data + records.data;
    }
};

TEST_F(CorruptZoneFileTest, EveryTruncationIsRefused)
{
    const std::string full = fullFile();
    for (std::size_t n = 0; n < full.size(); ++n)
        expectRefused(full.substr(0, n), "cut at " + std::to_string(n));
}

TEST_F(CorruptZoneFileTest, ImpossibleSizesAndCountsAreRefused)
{
    expectRefused(Bytes().i32(1).str("").i32(-1).i32(1).data, "negative width");
    expectRefused(Bytes().i32(1).str("").i32(1).i32(0).data, "zero height");
    expectRefused(Bytes().i32(1).str("").i32(4096).i32(4096).data, "too many tiles");
    expectRefused(Bytes().i32(1).str("").i32(100).i32(100).i32(0).data, "tiles missing");
    expectRefused(Bytes().i32(1).i32(0x7fffffff).data, "huge name");
    expectRefused(Bytes().i32(1).i32(-4).i32(1).i32(1).data, "negative name length");
    expectRefused(Bytes().header(1, "", 1, 1).i32(0x7fffffff).data, "huge entity count");
    expectRefused(Bytes().header(1, "", 1, 1).i32(-1).data, "negative entity count");
}

TEST_F(CorruptZoneFileTest, RecordsTheFactoryCannotMakeAreRefused)
{
    for (int type : {0, 5, 6, 7, 8, 11, 14, -1, 1000})
        expectRefused(withEntities(1, Bytes().entity(type, 1, 0, 0, 1)), "type " + std::to_string(type));
    expectRefused(withEntities(1, Bytes().entity(10, 1, 0, 0, 1).i32(99)), "prop 99");
    expectRefused(withEntities(1, Bytes().entity(10, 1, 0, 0, 1).i32(-1)), "prop -1");
    const float nan = std::numeric_limits<float>::quiet_NaN();
    expectRefused(withEntities(1, Bytes().entity(2, 1, nan, 0, 1)), "NaN position");
    expectRefused(withEntities(1, Bytes().entity(2, 1, 0, 0, 1e9f)), "huge radius");
}

TEST_F(CorruptZoneFileTest, IdsMustBeUniqueInRangeAndOnePlayerAtMost)
{
    expectRefused(withEntities(2, Bytes().entity(2, 3, 0, 0, 1).entity(4, 3, 0, 0, 1)), "duplicate id");
    expectRefused(withEntities(2, Bytes().entity(1, 0, 0, 0, 1).entity(1, 1, 0, 0, 1)), "second player");
    // The player always becomes id 0, so it collides with a stored 0.
    expectRefused(withEntities(2, Bytes().entity(1, 4, 0, 0, 1).entity(2, 0, 0, 0, 1)), "player and id 0");
    expectRefused(withEntities(1, Bytes().entity(2, -1, 0, 0, 1)), "negative id");
    expectRefused(withEntities(1, Bytes().entity(2, EntityManager::MAX_ENTITIES, 0, 0, 1)), "id too big");
}

TEST_F(CorruptZoneFileTest, TriggerRecordsMustBeWhole)
{
    auto trigger = [](int fire, int events) {
        return Bytes().entity(13, 1, 64, 64, 32).b8(fire).i32(1).i32(1).i32(events);
    };
    expectRefused(withEntities(1, trigger(1, 0x7fffffff)), "huge event count");
    expectRefused(withEntities(1, trigger(7, 0)), "bad flag");
    expectRefused(withEntities(1, trigger(1, 1).i32(0).i32(0x10000000)), "huge line count");
    Bytes longLine = trigger(1, 1).i32(0).i32(1).i32(500);
    longLine.data.append(20, 'x');
    expectRefused(withEntities(1, longLine), "line longer than the file");
}

// A dialog line must reach the game whole or the file is refused: never a trigger that
// loads without its events while the load reports success.
TEST_F(CorruptZoneFileTest, DialogLineOverTheLimitRefusesTheFileAndOneAtItLoadsWhole)
{
    auto withLine = [](std::size_t length) {
        Bytes b = Bytes().entity(13, 1, 64, 64, 32).b8(1).i32(1).i32(1).i32(1);
        b.i32(0).i32(1).str(std::string(length, 'w')).i32(0).i32(2).i32(0).i32(0).i32(0);
        return withEntities(1, b);
    };
    expectRefused(withLine(Trigger::MAX_TEXT + 1), "a line one byte too long");
    std::string out;
    loadBytes(keep, withLine(Trigger::MAX_TEXT + 1), out);
    EXPECT_NE(out.find("a dialog line is 65537 bytes long, more than 65536"), std::string::npos) << out;

    ASSERT_EQ(loadBytes(keep, withLine(Trigger::MAX_TEXT), out), nullptr);
    const auto* trigger = static_cast<const Trigger*>(keep.entities.get(1));
    ASSERT_EQ(trigger->events.size(), 1u);
    EXPECT_EQ(trigger->events[0].dialogLines[0].text.size(), Trigger::MAX_TEXT);
    EXPECT_EQ(saveBytes(keep), withLine(Trigger::MAX_TEXT));
    fs::remove(Zone::fileName(1));
}

// A 16 MB name once made every editor frame take seconds.
TEST_F(CorruptZoneFileTest, NameOverTheLimitIsRefusedAndOneAtItLoads)
{
    const std::string atLimit(zonefile::MAX_NAME, 'n');
    std::string out;
    loadBytes(keep, Bytes().header(1, atLimit + "n", 1, 1).i32(0).data, out);
    EXPECT_EQ(out, "Error loading level: resources/lvl/900.zn! (the zone name is 257 bytes long, more than 256)\n");
    expectRefused(Bytes().i32(1).i32(16 << 20).data + std::string(16 << 20, 'n'), "a 16 MB name");
    ASSERT_EQ(loadBytes(keep, Bytes().header(1, atLimit, 1, 1).i32(0).data, out), nullptr);
    EXPECT_EQ(keep.name, atLimit);
}

// Event types beyond dialog and walk mean nothing yet; a file holding them keeps them.
TEST_F(ZoneFileTest, UnknownEventTypesLoadAndSaveByteForByte)
{
    Bytes b;
    b.header(FILE_ID, "odd", 1, 1).i32(1).entity(13, 4, 16, 16, 20).b8(0).i32(3).i32(2).i32(2);
    b.i32(5).i32(1).str("kept").i32(7).i32(1).i32(9).i32(8).i32(6);
    b.i32(-2).i32(0).i32(1).i32(2).i32(3);
    Zone zone(0, 1, 1, nullptr);
    std::string out;
    loadBytes(zone, b.data, out);
    EXPECT_EQ(out, "1 entities to load\n");
    const auto* trigger = static_cast<const Trigger*>(zone.entities.get(4));
    ASSERT_NE(trigger, nullptr);
    ASSERT_EQ(trigger->events.size(), 2u);
    EXPECT_EQ(trigger->events[0].type, 5);
    EXPECT_EQ(trigger->events[1].type, -2);
    EXPECT_EQ(hex(saveBytes(zone)), hex(b.data));
}

// Loading adds the entities one after another, so ids allocated afterwards continue past
// the last one loaded instead of filling a gap.
TEST_F(ZoneFileTest, NextIdAfterALoadIsWhereAddingTheRecordsInTurnLeavesIt)
{
    Bytes b;
    b.header(FILE_ID, "ids", 4, 4).i32(17);
    for (int id = 1; id <= 17; ++id)
        b.entity(10, id, 16, 16, 16).i32(0);
    Zone zone(0, 1, 1, nullptr);
    std::string out;
    loadBytes(zone, b.data, out);
    ASSERT_EQ(zone.entities.size(), 17u) << out;
    zone.entities.remove(3);
    EXPECT_EQ(zone.entities.allocateID(), 18);
}

// ---- saving ----

TEST_F(ZoneFileTest, SaveNeedsAValidId)
{
    for (int badId : {-1, -5}) {
        Zone zone(badId, 1, 1, nullptr);
        testing::internal::CaptureStdout();
        EXPECT_FALSE(zone.save());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Cannot save Zone until valid id is set! (id >= 0)\n");
        EXPECT_FALSE(fs::exists(Zone::fileName(badId)));
    }
}

TEST_F(ZoneFileTest, FirstSaveReportsTheNewFileAndAShrunkZoneLeavesNoStaleBytes)
{
    Zone zone(FILE_ID, 4, 4, nullptr);
    std::string out;
    saveBytes(zone, &out);
    EXPECT_EQ(out, "Successfully created file: resources/lvl/900.zn !\n");
    ASSERT_TRUE(zone.resize(1, 1));
    const std::string bytes = saveBytes(zone, &out);
    EXPECT_EQ(out, "");
    EXPECT_EQ(bytes.size(), 16u + 7u + 12u + 4u); // header with "unnamed", one tile, no entities
    EXPECT_FALSE(fs::exists(Zone::fileName(FILE_ID) + ".tmp"));
}

TEST_F(ZoneFileTest, FailedSavesSayWhyAndLeaveTheOldFileUntouched)
{
    Zone zone(FILE_ID, 2, 2, nullptr);
    // A directory where the level is: it stays, and the save says what is in the way.
    fs::create_directory(Zone::fileName(FILE_ID));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(zone.save());
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(fs::is_directory(Zone::fileName(FILE_ID)));
    fs::remove(Zone::fileName(FILE_ID));
    EXPECT_EQ(out, "a directory, not a file!\n\tCould not create file!: resources/lvl/900.zn\n");

    // A plain file stands where the level folder would be made.
    const std::string dir = testsupport::makeTempDir();
    writeFile(dir + "/resources", "not a folder");
    testsupport::ScopedCwd cwd(dir);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(zone.save());
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Not a directory"), std::string::npos);
}

} // namespace
