#include "play/trigger.h"

#include "play/scripthandler.h"
#include "characters/unit.h"
#include "worldprobe.h"
#include "world/zone.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

class Walker final : public Unit {
public:
    Walker(EntityManager* owner, int teamValue) : Unit(TYPE_CLERK, owner, teamValue) { radius = 8.f; }
};

const sf::Vector2f FAR_AWAY(48.f, 48.f);
const sf::Vector2f CENTRE(160.f, 160.f);
const sf::Vector2f NEAR_CENTRE(165.f, 160.f);

Event say(const std::string& text)
{
    Event event;
    event.dialogLines.push_back(DialogLine{text, 0, 0});
    return event;
}

class TriggerTest : public ::testing::Test {
protected:
    Walker* addWalker(int teamValue, sf::Vector2f at = FAR_AWAY)
    {
        Walker* w = zone.entities.add(std::make_unique<Walker>(&zone.entities, teamValue));
        w->position = at;
        return w;
    }
    Trigger* addTrigger(bool onEnter, int uses, std::vector<Event> events = {say("hello")})
    {
        Trigger* t = zone.entities.add(std::make_unique<Trigger>(&zone.entities, 20.f, 1, onEnter, uses));
        t->position = CENTRE;
        t->events = events;
        return t;
    }
    void step() { zone.update(false); }
    std::size_t queued() const { return handler.getQueue().size(); }

    ResourcesLoaded resources; // before the zone
    ScriptHandler handler;
    Zone zone{0, 10, 10, &handler};
};

TEST_F(TriggerTest, OtherTeamsAndNonUnitsSetNothingOff)
{
    addWalker(2, NEAR_CENTRE);
    Trigger* t = addTrigger(true, 5);
    Trigger* other = addTrigger(true, 5);
    other->position = NEAR_CENTRE;
    for (int i = 0; i < 3; ++i)
        step();
    EXPECT_TRUE(t->inside.empty());
    EXPECT_EQ(t->uses, 5);
    EXPECT_FALSE(handler.isRunning());
}

TEST_F(TriggerTest, EnteringFiresOnceAndReentryOnlyTracks)
{
    Walker* w = addWalker(1);
    Trigger* t = addTrigger(true, 1);
    step();
    EXPECT_TRUE(t->inside.empty());

    w->position = NEAR_CENTRE;
    step();
    EXPECT_EQ(t->inside, std::vector<int>{w->getID()});
    EXPECT_EQ(queued(), 1u);
    step();
    EXPECT_EQ(queued(), 1u); // staying inside fires nothing more

    w->position = FAR_AWAY;
    step();
    EXPECT_TRUE(t->inside.empty());
    w->position = NEAR_CENTRE;
    step();
    EXPECT_EQ(t->inside.size(), 1u);
    EXPECT_EQ(queued(), 1u);
    EXPECT_EQ(t->uses, 0);
}

TEST_F(TriggerTest, TwoUsesFireOnTheFirstTwoEntries)
{
    Walker* w = addWalker(1);
    addTrigger(true, 2);
    for (int round = 0; round < 3; ++round) {
        w->position = NEAR_CENTRE;
        step();
        w->position = FAR_AWAY;
        step();
    }
    EXPECT_EQ(queued(), 2u);
}

TEST_F(TriggerTest, ExitTriggerFiresInTheFrameTheUnitLeaves)
{
    Walker* w = addWalker(1, NEAR_CENTRE);
    Trigger* t = addTrigger(false, 1);
    for (int i = 0; i < 5; ++i)
        step();
    EXPECT_EQ(t->inside.size(), 1u);
    EXPECT_EQ(queued(), 0u);
    w->position = FAR_AWAY;
    step();
    EXPECT_TRUE(t->inside.empty());
    EXPECT_EQ(queued(), 1u);
}

TEST_F(TriggerTest, UnitThatVanishesInsideCountsAsHavingLeft)
{
    Walker* w = addWalker(1, NEAR_CENTRE);
    Trigger* t = addTrigger(false, 1);
    step();
    ASSERT_EQ(t->inside.size(), 1u);
    zone.entities.remove(w->getID());
    step();
    EXPECT_TRUE(t->inside.empty());
    EXPECT_EQ(queued(), 1u);
}

TEST_F(TriggerTest, TwoTriggersFiringInOneFrameQueueInIdOrder)
{
    addWalker(1, NEAR_CENTRE);
    addTrigger(true, 1, {say("first")});
    addTrigger(true, 1, {say("second"), say("third")});
    step();
    ASSERT_EQ(queued(), 3u);
    EXPECT_EQ(handler.getQueue()[0].dialogLines[0].text, "first");
    EXPECT_EQ(handler.getQueue()[1].dialogLines[0].text, "second");
    EXPECT_EQ(handler.getQueue()[2].dialogLines[0].text, "third");
    EXPECT_TRUE(handler.isBoxVisible());
}

TEST_F(TriggerTest, FiringWithoutEventsStillSpendsAUse)
{
    addWalker(1, NEAR_CENTRE);
    Trigger* t = addTrigger(true, 1, {});
    step();
    EXPECT_EQ(t->uses, 0);
    EXPECT_FALSE(handler.isRunning());
}

TEST_F(TriggerTest, EditingBuildsDialogsAndRefusesMissingEventsOrLines)
{
    Trigger t(&zone.entities, 10.f, 1, true, 1);
    EXPECT_FALSE(t.addDialogLine(0));
    EXPECT_FALSE(t.setEventEntity(0, 3));
    t.addEvent();
    ASSERT_EQ(t.events.size(), 1u);
    EXPECT_EQ(t.events[0].type, Event::EVENT_DIALOG);
    EXPECT_TRUE(t.events[0].dialogLines.empty());

    EXPECT_FALSE(t.setDialogText(0, 0, "no line yet"));
    EXPECT_FALSE(t.setPortraitId(0, 0, 1));
    EXPECT_FALSE(t.setPortraitPos(0, 0, 1));
    ASSERT_TRUE(t.addDialogLine(0));
    EXPECT_FALSE(t.addDialogLine(1));
    EXPECT_FALSE(t.addDialogLine(-1));
    EXPECT_FALSE(t.setDialogText(0, 1, "x"));
    EXPECT_FALSE(t.setPortraitPos(-1, 0, 1));

    EXPECT_TRUE(t.setPortraitId(0, 0, 3));
    EXPECT_TRUE(t.setPortraitPos(0, 0, 2));
    EXPECT_TRUE(t.setEventEntity(0, 4));
    EXPECT_TRUE(t.setEventDestX(0, 5));
    EXPECT_TRUE(t.setEventDestY(0, 6));
    const Event& e = t.events[0];
    EXPECT_EQ(e.dialogLines[0].portraitId, 3);
    EXPECT_EQ(e.dialogLines[0].portraitPos, 2);
    EXPECT_EQ(e.entityId, 4);
    EXPECT_EQ(e.destX, 5);
    EXPECT_EQ(e.destY, 6);

    const std::pair<std::string, std::string> cases[] = {
        {"Hi\\nYo", "Hi\nYo"},
        {"a\\n\\nb", "a\n\nb"},
        {"keep\\t\\", "keep\\t\\"},
        {"\\\\n", "\\\n"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(t.setDialogText(0, 0, c.first));
        EXPECT_EQ(e.dialogLines[0].text, c.second) << c.first;
    }
}

std::vector<unsigned char> bytesOf(const std::string& s) { return std::vector<unsigned char>(s.begin(), s.end()); }

const std::vector<unsigned char> SAMPLE_RECORD = {
    0x0d, 0, 0, 0, 0x02, 0, 0, 0, 0, 0, 0x80, 0x42, 0, 0, 0x80, 0x42, 0, 0, 0, 0x42, // common part
    0x01, 0x01, 0, 0, 0, 0x01, 0, 0, 0,       // fireOnEnter, uses, team
    0x01, 0, 0, 0,                            // one event
    0, 0, 0, 0, 0x01, 0, 0, 0,                // dialog, one line
    0x02, 0, 0, 0, 0x48, 0x69, 0, 0, 0, 0, 0x02, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,       // entity and destination
};

// The bytes of one entity list holding only this trigger.
std::string listOf(const Trigger& t)
{
    zonefile::ZoneData zone;
    zone.tiles.resize(1);
    zone.entities.resize(1);
    t.save(zone.entities[0]);
    // Header (16 bytes with an empty name) and one tile go before the list.
    return zonefile::encode(zone).substr(28);
}

TEST_F(TriggerTest, RecordIsWrittenByteForByte)
{
    Trigger t(&zone.entities, 32.f, 1, true, 1);
    t.id = 2;
    t.position = sf::Vector2f(64.f, 64.f);
    t.addEvent();
    t.addDialogLine(0);
    t.setDialogText(0, 0, "Hi");
    t.setPortraitPos(0, 0, 2);
    EXPECT_EQ(bytesOf(listOf(t).substr(4)), SAMPLE_RECORD);
}

TEST_F(TriggerTest, RecordLoadsBackAndShortRecordsAreRefused)
{
    const std::string list = std::string("\x01\0\0\0", 4) + std::string(SAMPLE_RECORD.begin(), SAMPLE_RECORD.end());
    std::vector<zonefile::EntityRecord> records;
    std::string why;
    ASSERT_TRUE(zonefile::decodeEntities(list, records, why)) << why;
    Trigger t(&zone.entities, 1.f, 7, false, 9);
    t.load(records[0]);
    EXPECT_EQ(t.getID(), 2);
    EXPECT_EQ(t.radius, 32.f);
    EXPECT_TRUE(t.fireOnEnter);
    EXPECT_EQ(t.uses, 1);
    EXPECT_EQ(t.team, 1);
    ASSERT_EQ(t.events.size(), 1u);
    EXPECT_EQ(t.events[0].dialogLines[0].text, "Hi");
    EXPECT_EQ(t.events[0].dialogLines[0].portraitPos, 2);

    for (std::size_t cut = 4 + 17; cut < list.size(); ++cut)
        EXPECT_FALSE(zonefile::decodeEntities(list.substr(0, cut), records, why)) << cut;
    // A negative event count is refused rather than trusted.
    std::string negative = list;
    negative.replace(4 + 29, 4, 4, '\xff');
    EXPECT_FALSE(zonefile::decodeEntities(negative, records, why));
}

} // namespace
