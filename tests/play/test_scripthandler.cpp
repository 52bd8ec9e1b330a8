#include "play/scripthandler.h"
#include "render/framelist.h"
#include "render/painter.h"

#include "core/gamepad.h"
#include "core/input.h"
#include "world/resourcemanager.h"
#include "play/trigger.h"
#include "characters/unit.h"
#include "worldprobe.h"
#include "world/zone.h"

#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

// The smallest concrete unit: steers along its path and nothing else.
class Walker final : public Unit {
public:
    Walker(EntityManager* owner, sf::Vector2f at, float speedIn) : Unit(TYPE_CLERK, owner, 0), speed(speedIn)
    {
        position = at;
        radius = 8.f;
    }
    void update(Zone& zone) override
    {
        steer(speed);
        Unit::update(zone);
    }
    float walkSpeed() const override { return speed; }

    float speed;
};

Event dialog(const std::vector<std::string>& texts)
{
    Event event;
    event.type = Event::EVENT_DIALOG;
    for (const std::string& text : texts) {
        DialogLine line;
        line.text = text;
        event.dialogLines.push_back(line);
    }
    return event;
}

Event walk(int entityId, int column, int row)
{
    Event event;
    event.type = Event::EVENT_MOVE;
    event.entityId = entityId;
    event.destX = column;
    event.destY = row;
    return event;
}

class ScriptHandlerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        input::setSource(&script);
        // A blip long enough never to finish during a test, so every one stays counted.
        std::vector<sf::Int16> samples(22050 * 20, 1000);
        ASSERT_TRUE(longBlip.loadFromSamples(samples.data(), samples.size(), 1, 22050));
        savedBlip = ResourceManager::soundBuffers[ScriptHandler::TYPING_SOUND];
        ResourceManager::soundBuffers[ScriptHandler::TYPING_SOUND] = &longBlip;
        ResourceManager::sounds.clear();
    }
    void TearDown() override
    {
        ResourceManager::sounds.clear();
        ResourceManager::soundBuffers[ScriptHandler::TYPING_SOUND] = savedBlip;
        input::setSource(nullptr);
    }

    void frames(int n)
    {
        for (int i = 0; i < n; ++i)
            handler.update(zone);
    }
    std::size_t blips() const { return ResourceManager::sounds.size(); }
    Walker* addWalker(sf::Vector2f at, float speed = 2.f)
    {
        Walker* w = zone.entities.add(std::make_unique<Walker>(&zone.entities, at, speed));
        return w;
    }

    // Runs the opening fade and checks it takes exactly 61 frames.
    void open()
    {
        frames(60);
        ASSERT_TRUE(handler.isFading());
        frames(1);
        ASSERT_FALSE(handler.isFading());
        ASSERT_EQ(handler.getOpenness(), 1.f);
    }

    input::ScriptedSource script;
    sf::SoundBuffer longBlip;
    sf::SoundBuffer* savedBlip = nullptr;
    ResourcesLoaded resources; // before the zone
    ScriptHandler handler;
    Zone zone{0, 6, 6, &handler};
};

TEST_F(ScriptHandlerTest, OneLineDialogOpensTypesWaitsScrollsAndCloses)
{
    EXPECT_FALSE(handler.isRunning());
    handler.addEvent(dialog({"Wow."}));
    handler.addEvent(dialog({"Next"}));
    EXPECT_TRUE(handler.isRunning());
    EXPECT_TRUE(handler.isBoxVisible());
    open();

    // A character every third frame, each with its own blip.
    for (int c = 1; c <= 4; ++c) {
        frames(2);
        EXPECT_EQ(handler.getCharsShown(), c - 1);
        frames(1);
        EXPECT_EQ(handler.getCharsShown(), c);
        EXPECT_EQ(blips(), static_cast<std::size_t>(c));
    }
    frames(100); // waits as long as no key is held
    EXPECT_FALSE(handler.isAdvancing());
    EXPECT_EQ(blips(), 4u);

    script.press(sf::Keyboard::Space);
    frames(1);
    script.release(sf::Keyboard::Space);
    EXPECT_TRUE(handler.isAdvancing());
    frames(31);
    EXPECT_TRUE(handler.isAdvancing());
    frames(1);
    EXPECT_FALSE(handler.isAdvancing());
    EXPECT_TRUE(handler.isFading());

    frames(60);
    EXPECT_TRUE(handler.isBoxVisible());
    EXPECT_GT(handler.getOpenness(), 0.f);
    frames(1);
    // The next dialog starts in the frame the box has closed.
    ASSERT_EQ(handler.getQueue().size(), 1u);
    EXPECT_EQ(handler.getQueue().front().dialogLines[0].text, "Next");
    EXPECT_TRUE(handler.isBoxVisible());
    EXPECT_EQ(handler.getOpenness(), 0.f);
}

TEST_F(ScriptHandlerTest, BlanksAreRevealedWithTheCharacterBeforeThem)
{
    handler.addEvent(dialog({"Hi y\nz"}));
    open();
    frames(3);
    EXPECT_EQ(handler.getCharsShown(), 1);
    frames(3);
    EXPECT_EQ(handler.getCharsShown(), 3); // i and the space
    EXPECT_EQ(blips(), 3u);
    frames(3);
    EXPECT_EQ(handler.getCharsShown(), 5); // y and the newline
    frames(3);
    EXPECT_EQ(handler.getCharsShown(), 6);
    EXPECT_EQ(blips(), 6u);
}

TEST_F(ScriptHandlerTest, HeldKeyOrPadButtonAdvancesEachLineAsSoonAsItIsTyped)
{
    const std::pair<const char*, std::function<void()>> holds[] = {
        {"Return", [this] { script.press(sf::Keyboard::Return); }},
        {"pad A", [this] { script.pressPad(1, Gamepad::A); }},
        {"pad B", [this] { script.pressPad(1, Gamepad::B); }},
        {"pad Start", [this] { script.pressPad(1, Gamepad::START); }},
    };
    for (const auto& hold : holds) {
        SCOPED_TRACE(hold.first);
        script.releaseAll();
        hold.second();
        handler.addEvent(dialog({"ab", "c"}));
        // open, type 2, wait 1, scroll 32, type 1, wait 1, scroll 32, close
        const int total = 61 + 6 + 1 + 32 + 3 + 1 + 32 + 61;
        frames(61 + 6 + 1 + 32);
        EXPECT_EQ(handler.getLineIndex(), 1);
        frames(total - 1 - (61 + 6 + 1 + 32));
        EXPECT_TRUE(handler.isRunning());
        frames(1);
        EXPECT_FALSE(handler.isRunning());
    }
}

// A fresh press of any advance key while a line types shows it whole; held on, it moves
// nothing, and the next press moves on. (A key held from before the line is no press.)
TEST_F(ScriptHandlerTest, FreshPressWhileALineTypesShowsItWholeAndTheNextMovesOn)
{
    for (sf::Keyboard::Key key : {sf::Keyboard::Return, sf::Keyboard::Space, sf::Keyboard::Z, sf::Keyboard::Down}) {
        SCOPED_TRACE(key);
        handler.clear();
        handler.addEvent(dialog({"Hello there", "x"}));
        open();
        frames(3);
        ASSERT_EQ(handler.getCharsShown(), 1);
        script.press(key);
        frames(1);
        EXPECT_EQ(handler.getCharsShown(), 11);
        frames(30);
        EXPECT_FALSE(handler.isAdvancing());
        script.release(key);
        frames(1);
        EXPECT_FALSE(handler.isAdvancing());
        script.press(key);
        frames(1);
        script.release(key);
        EXPECT_TRUE(handler.isAdvancing());
        EXPECT_EQ(handler.getLineIndex(), 0);
    }
}

// Alt+Return is the window's fullscreen key: it neither hurries a line nor advances it.
TEST_F(ScriptHandlerTest, AltReturnLeavesTheDialogAlone)
{
    handler.addEvent(dialog({"Hello there", "x"}));
    open();
    frames(3);
    script.press(sf::Keyboard::LAlt);
    script.press(sf::Keyboard::Return);
    frames(1);
    EXPECT_LT(handler.getCharsShown(), 11);
    frames(60);
    EXPECT_EQ(handler.getCharsShown(), 11);
    EXPECT_FALSE(handler.isAdvancing());
}

TEST_F(ScriptHandlerTest, ContinueTriangleBlinksSixOnSixOff)
{
    handler.addEvent(dialog({"a"}));
    open();
    frames(3);
    std::string pattern;
    for (int i = 0; i < 24; ++i) {
        frames(1);
        pattern += handler.isBlinkOn() ? '#' : '.';
    }
    EXPECT_EQ(pattern, "######......######......");
}

TEST_F(ScriptHandlerTest, WalkAlreadyOnItsTileEndsAtOnceAndTheNextEventStartsThatFrame)
{
    Walker* w = addWalker(sf::Vector2f(48.f, 80.f));
    handler.addEvent(walk(w->getID(), 1, 2));
    handler.addEvent(dialog({"x"}));
    EXPECT_TRUE(handler.isWalking());
    frames(1);
    EXPECT_FALSE(handler.isWalking());
    EXPECT_EQ(handler.getOpenness(), ScriptHandler::FADE_STEP);
}

// The handler moves the walker itself: the world does not run during a script.
TEST_F(ScriptHandlerTest, WalkEndsWhenTheUnitStandsOnItsTile)
{
    Walker* w = addWalker(sf::Vector2f(16.f, 16.f));
    handler.addEvent(walk(w->getID(), 4, 3));
    for (int n = 0; n < 600 && handler.isRunning(); ++n)
        frames(1);
    EXPECT_FALSE(handler.isRunning());
    EXPECT_EQ(static_cast<int>(w->position.x / 32.f), 4);
    EXPECT_EQ(static_cast<int>(w->position.y / 32.f), 3);
}

// A walker that cannot move comes no closer for two seconds; one that creeps never
// arrives within twenty. Either is given up with one line, and the next event starts.
TEST_F(ScriptHandlerTest, WalksThatStallOrTakeTooLongAreGivenUp)
{
    const struct {
        float speed;
        int updates;
        const char* why;
    } cases[] = {
        {0.f, ScriptHandler::WALK_STALL_FRAMES + 1, "has come no closer to tile 4, 4 for 120 frames"},
        {0.02f, ScriptHandler::WALK_FRAMES, "has not reached tile 4, 4 in 1200 frames"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Walker* w = addWalker(sf::Vector2f(16.f, 16.f), c.speed);
        handler.addEvent(walk(w->getID(), 4, 4));
        handler.addEvent(dialog({"next"}));
        frames(c.updates);
        EXPECT_TRUE(handler.isWalking());
        testing::internal::CaptureStdout();
        frames(1);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_FALSE(handler.isWalking());
        EXPECT_TRUE(handler.isBoxVisible());
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
        EXPECT_NE(out.find(c.why), std::string::npos) << out;
        EXPECT_FALSE(w->hasPath());
        handler.clear();
        zone.entities.remove(w->getID());
    }
}

TEST_F(ScriptHandlerTest, UnplayableEventsAreSkippedWithOneLineEach)
{
    Walker* w = addWalker(sf::Vector2f(16.f, 16.f));
    Trigger* t = zone.entities.add(std::make_unique<Trigger>(&zone.entities, 5.f, 1, true, 1));
    for (int y = 0; y < 6; ++y)
        zone.getTile(3, y)->setType(TILE_WALL);

    Event odd = dialog({"never"});
    odd.type = 7;
    testing::internal::CaptureStdout();
    handler.addEvent(walk(99, 1, 1));        // no such entity
    handler.addEvent(walk(t->getID(), 1, 1)); // not a unit
    handler.addEvent(walk(w->getID(), 5, 5)); // behind a wall
    handler.addEvent(dialog({}));
    handler.addEvent(odd);
    handler.addEvent(dialog({"last"}));
    frames(3);
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 5) << out;
    ASSERT_EQ(handler.getQueue().size(), 1u);
    EXPECT_EQ(handler.getQueue().front().dialogLines[0].text, "last");
    EXPECT_TRUE(handler.isBoxVisible());
}

TEST_F(ScriptHandlerTest, PortraitStandsInItsCornerAndOddCornersMeanTopLeft)
{
    sf::RenderTexture canvas;
    ASSERT_TRUE(canvas.create(800, 600));
    auto pixelsAfterOpening = [&](int portraitPos) {
        Event event = dialog({"x"});
        event.dialogLines[0].portraitPos = portraitPos;
        event.dialogLines[0].portraitId = 9;
        ScriptHandler h;
        h.addEvent(event);
        for (int i = 0; i < 61; ++i)
            h.update(zone);
        FrameList frame;
        h.submit(frame);
        Painter::paint(frame, canvas);
        canvas.display();
        return canvas.getTexture().copyToImage();
    };
    const sf::Color box(35, 35, 35);
    // The box spans (80, 60) to (720, 300) once open; test portraits are plain red.
    sf::Image odd = pixelsAfterOpening(7);
    EXPECT_EQ(odd.getPixel(85, 65), sf::Color::Red);
    EXPECT_EQ(odd.getPixel(715, 295), box);
    EXPECT_EQ(odd.getPixel(40, 40), sf::Color::Black);
    sf::Image bottomRight = pixelsAfterOpening(3);
    EXPECT_EQ(bottomRight.getPixel(715, 295), sf::Color::Red);
    EXPECT_EQ(bottomRight.getPixel(85, 65), box);
}

TEST_F(ScriptHandlerTest, CoveredPixelsAreAllPaintedByTheBoxAsItOpensStaysAndCloses)
{
    sf::RenderTexture canvas;
    ASSERT_TRUE(canvas.create(800, 600));
    const sf::Color clear(1, 2, 3);
    handler.addEvent(dialog({"covered"}));
    const FrameList empty;
    EXPECT_EQ(handler.coveredPixels(empty), sf::IntRect());
    bool sawOpen = false;
    int frame = 0;
    for (; frame < 300 && handler.isRunning(); ++frame) {
        if (frame == 150)
            script.press(sf::Keyboard::Return);
        handler.update(zone);
        FrameList list;
        list.clear(clear);
        handler.submit(list);
        const sf::IntRect covered = handler.coveredPixels(list);
        // The box says what it covers: the world leaves that out.
        EXPECT_EQ(list.covered(), covered);
        Painter::paint(list, canvas);
        canvas.display();
        if (covered.width <= 0)
            continue;
        sawOpen = sawOpen || covered == sf::IntRect(81, 61, 638, 238);
        const sf::Image image = canvas.getTexture().copyToImage();
        int bare = 0;
        for (int y = covered.top; y < covered.top + covered.height; ++y)
            for (int x = covered.left; x < covered.left + covered.width; ++x)
                bare += image.getPixel(static_cast<unsigned>(x), static_cast<unsigned>(y)) == clear;
        ASSERT_EQ(bare, 0) << "frame " << frame << " openness " << handler.getOpenness();
    }
    script.releaseAll();
    EXPECT_TRUE(sawOpen);
    EXPECT_FALSE(handler.isRunning()) << frame;
}

TEST_F(ScriptHandlerTest, LongLinesBreakAtSpacesInsideTheBox)
{
    sf::RenderTexture canvas;
    ASSERT_TRUE(canvas.create(800, 600));
    handler.addEvent(dialog({"I'll take three boxes of the good stuff, and a bag of the crunchy ones too."}));
    open();
    frames(400); // typed out in full
    FrameList frame;
    handler.submit(frame);
    Painter::paint(frame, canvas);
    canvas.display();
    const sf::Image image = canvas.getTexture().copyToImage();
    // The box clips what does not fit, so a line too long for it must be broken: the
    // middle of the second text row holds letters.
    bool secondLine = false;
    for (unsigned x = 190; x < 700 && !secondLine; ++x)
        for (unsigned y = 110; y < 125 && !secondLine; ++y) {
            const sf::Color c = image.getPixel(x, y);
            secondLine = c.r > 200 && c.g > 200 && c.b > 200;
        }
    EXPECT_TRUE(secondLine);
}

} // namespace
