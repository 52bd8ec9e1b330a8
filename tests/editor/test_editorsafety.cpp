#include "app/mainloop.h"
#include "characters/clerk.h"
#include "characters/unit.h"
#include "editortesting.h"
#include "play/stategame.h"
#include "world/resourcemanager.h"
#include "world/zone.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

using editortesting::keyEvent;
using editortesting::tileCentre;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

using testsupport::readFile;

class EditorSafetyTest : public EditorFixture {
protected:
    void TearDown() override
    {
        EditorFixture::TearDown();
        for (const auto& entry : fs::directory_iterator("resources/lvl"))
            if (entry.path().filename().string().rfind("78", 0) == 0
                || entry.path().filename().string().find(".zn.recovery") != std::string::npos)
                fs::remove_all(entry.path());
    }

    // An unsaved change to a zone with an id.
    void unsavedZone(int id)
    {
        run("id " + std::to_string(id));
        editor->tileBrush = 1;
        pointAt(tileCentre(0, 0));
        click();
        ASSERT_TRUE(editor->isUnsaved());
    }

    std::string unsavedQuestion() const
    {
        return "Unsaved changes to zone " + std::to_string(editor->currZone->id)
             + ". Save first? y = save, n = discard, Escape = stay";
    }

    int press(sf::Keyboard::Key key)
    {
        script.press(key);
        const int next = editor->update();
        script.release(key);
        editor->update();
        return next;
    }

    std::string quietly(const std::function<void()>& act)
    {
        testing::internal::CaptureStdout();
        act();
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(EditorSafetyTest, UnsavedWorkIsAskedAboutBeforeF12EscapeCloseLoadAndNew)
{
    quietly([&] {
        run("id 781");
        run("note Kept");
        run("save");
    });
    struct Case {
        const char* what;
        std::function<int()> ask;
        std::function<bool(int next)> done; // given what the frame after the answer returned
    };
    const Case cases[] = {
        {"F12", [&] { return press(sf::Keyboard::F12); }, [](int next) { return next == STATE_GAME; }},
        {"Escape", [&] { return press(sf::Keyboard::Escape); }, [](int next) { return next == STATE_QUIT; }},
        {"close", [&] { return editor->mayClose() ? STATE_QUIT : STATE_EDITOR; },
         [](int next) { return next == STATE_QUIT; }},
        {"load", [&] { run("load 781"); return STATE_EDITOR; },
         [&](int) { return editor->currZone->name == "Kept"; }},
        {"new", [&] { run("new 3 2"); return STATE_EDITOR; },
         [&](int) { return editor->currZone->getWidth() == 3 && editor->currZone->id == -1; }},
    };
    for (const Case& c : cases) {
        for (sf::Keyboard::Key reply : {sf::Keyboard::Escape, sf::Keyboard::N, sf::Keyboard::Y}) {
            SCOPED_TRACE(std::string(c.what) + " answered " + (reply == sf::Keyboard::N ? "n" : reply == sf::Keyboard::Y ? "y" : "Escape"));
            editor->leave();
            editor->enter();
            unsavedZone(780);
            editor->console.log.clear();
            EXPECT_EQ(c.ask(), STATE_EDITOR);
            EXPECT_EQ(editor->console.log.front(), unsavedQuestion());
            EXPECT_FALSE(editor->console.hidden);
            quietly([&] { answer(reply); });
            const int next = editor->update();
            EXPECT_EQ(c.done(next), reply != sf::Keyboard::Escape);
            EXPECT_EQ(fs::exists(Zone::fileName(780)), reply == sf::Keyboard::Y);
            EXPECT_TRUE(editor->console.hidden);
            if (reply == sf::Keyboard::Escape) {
                EXPECT_EQ(editor->console.log.front(), "Nothing saved, nothing dropped.");
                EXPECT_TRUE(editor->isUnsaved());
            }
            std::remove(Zone::fileName(780).c_str());
        }
    }
}

TEST_F(EditorSafetyTest, SavingOverAnotherZonesFileAsksAndAnUndoPastTheSaveIsUnsavedAgain)
{
    quietly([&] {
        run("id 782");
        run("note \"Corner Shop\"");
        run("save");
    });
    const std::string shop = readFile(Zone::fileName(782));
    editor->leave();
    editor->enter();
    run("id 782");
    EXPECT_EQ(run("save"), Lines{"Zone 782 exists (Corner Shop). Overwrite? y/n"});
    EXPECT_EQ(answer(sf::Keyboard::N), Lines{"Not saved."});
    EXPECT_EQ(readFile(Zone::fileName(782)), shop);
    run("save");
    EXPECT_EQ(quietly([&] { EXPECT_EQ(answer(sf::Keyboard::Y), Lines{"Saved!"}); }), "");
    EXPECT_NE(readFile(Zone::fileName(782)), shop);
    EXPECT_FALSE(editor->isUnsaved());
    run("note Shop");
    EXPECT_EQ(run("save"), Lines{"Saved!"}); // its own file now

    run("undo");
    EXPECT_TRUE(editor->isUnsaved());
    run("redo");
    EXPECT_FALSE(editor->isUnsaved());
}

TEST_F(EditorSafetyTest, RecoveryAfterTheProcessIsKilledBetweenAutosaves)
{
    unsavedZone(783);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Sixty seconds of frames write the recovery file; the next change is lost with the process.
        for (int f = 0; f < RecoveryFile::INTERVAL_FRAMES; ++f)
            editor->update();
        pointAt(tileCentre(1, 0));
        click();
        std::raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    const std::string recovery = "resources/lvl/783.zn.recovery";
    ASSERT_TRUE(fs::exists(recovery));
    EXPECT_FALSE(fs::exists(Zone::fileName(783)));

    const std::string autosaved = editor->currZone->encode();
    editor->leave();
    ASSERT_TRUE(fs::exists(recovery)) << "a leave removes only the recovery file it wrote itself";
    editor->console.log.clear();
    editor->enter();
    ASSERT_FALSE(editor->console.log.empty());
    EXPECT_EQ(editor->console.log.front().rfind("Recovered unsaved zone 783 from ", 0), 0u);
    EXPECT_NE(editor->console.log.front().find(". load recovery / discard recovery"), std::string::npos);
    EXPECT_EQ(run("load recovery").front().rfind("Loaded the recovery of zone 783", 0), 0u);
    EXPECT_EQ(editor->currZone->encode(), autosaved);
    EXPECT_TRUE(editor->isUnsaved());
    quietly([&] { run("save"); });
    EXPECT_FALSE(fs::exists(recovery));
}

TEST_F(EditorSafetyTest, RecoveryFilesThatDoNotLoadAreReportedAndLeftAlone)
{
    Zone other(5, 2, 2, nullptr);
    const std::string zone = other.encode();
    const struct {
        const char* file;
        std::string bytes;
        const char* why;
    } cases[] = {
        {"784.zn.recovery", zone.substr(0, zone.size() - 3), "does not load (the file ends"},
        {"unsaved.zn.recovery", "#!/bin/sh\necho not a zone\n", "does not load ("},
        {"785.zn.recovery", zone, "does not load (it holds zone 5, not zone 785)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = std::string("resources/lvl/") + c.file;
        std::ofstream(path, std::ios::binary) << c.bytes;
        editor->leave();
        editor->enter();
        const Lines said = run("load recovery");
        ASSERT_EQ(said.size(), 1u);
        EXPECT_NE(said[0].find(c.why), std::string::npos) << said[0];
        EXPECT_EQ(readFile(path), c.bytes);
        EXPECT_EQ(editor->currZone->id, -1);
        fs::remove(path);
    }
    // Older than its level: the level was saved after it, nothing to offer.
    quietly([&] {
        run("id 786");
        run("save");
    });
    std::ofstream("resources/lvl/786.zn.recovery", std::ios::binary) << zone;
    utimbuf old{1000, 1000};
    utime("resources/lvl/786.zn.recovery", &old);
    editor->leave();
    editor->enter();
    EXPECT_EQ(run("load recovery"), Lines{"No recovery file is waiting."});
}

TEST_F(EditorSafetyTest, AFailedRecoveryWriteIsOneLineAndEditingGoesOn)
{
    unsavedZone(787);
    // A plain file where the level folder should be: no file can be put in it.
    fs::rename("resources/lvl", "resources/lvl.moved");
    std::ofstream("resources/lvl") << "not a folder";
    editor->console.log.clear();
    for (int f = 0; f < RecoveryFile::INTERVAL_FRAMES; ++f)
        editor->update();
    fs::remove("resources/lvl");
    fs::rename("resources/lvl.moved", "resources/lvl");
    ASSERT_EQ(editor->console.log.size(), 1u);
    EXPECT_EQ(editor->console.log.front().rfind("Could not write the recovery file resources/lvl/787.zn.recovery: ", 0), 0u);
    pointAt(tileCentre(1, 0));
    click();
    EXPECT_EQ(editor->currZone->getTile(1, 0)->texture, 1);
    for (int f = 0; f < RecoveryFile::INTERVAL_FRAMES; ++f)
        editor->update();
    EXPECT_EQ(editor->console.log.size(), 1u);
    EXPECT_EQ(readFile("resources/lvl/787.zn.recovery"), editor->currZone->encode());
}

// Whatever stands at a recovery file's name that this editor did not write is never written
// over nor removed: a link to a level, a refused file, a folder. The copy goes to the next
// free name, said once, and is offered from there on the next entry.
TEST_F(EditorSafetyTest, ARecoveryNameHeldByAnythingElseIsLeftAloneAndTheNextFreeNameTaken)
{
    quietly([&] {
        run("id 788");
        run("note Level");
        run("save");
    });
    const std::string level = readFile(Zone::fileName(788));
    const std::string other = Zone(2, 2, 2, nullptr).encode();
    const struct {
        const char* what;
        std::string name;
        std::function<void(const std::string&)> place;
        bool refuseFirst; // a load recovery refuses it before the writes
    } cases[] = {
        {"a link to a level", "unsaved.zn.recovery",
         [](const std::string& path) { fs::create_symlink("788.zn", path); }, true},
        {"a refused file", "785.zn.recovery",
         [&](const std::string& path) { std::ofstream(path, std::ios::binary) << other; }, true},
        {"a file still offered", "785.zn.recovery",
         [&](const std::string& path) { std::ofstream(path, std::ios::binary) << other; }, false},
        {"a folder, and .1 a link", "785.zn.recovery",
         [](const std::string& path) {
             fs::create_directory(path);
             fs::create_symlink("788.zn", path + ".1");
         }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = "resources/lvl/" + c.name;
        c.place(path);
        utimbuf old{1000, 1000}; // older than anything written now: the copy is offered first
        utime(path.c_str(), &old);
        const std::string kept = fs::is_regular_file(path) ? readFile(path) : std::string();
        editor->leave();
        editor->enter();
        if (c.refuseFirst) {
            const Lines said = run("load recovery");
            ASSERT_EQ(said.size(), 1u);
            EXPECT_NE(said[0].find("does not load"), std::string::npos) << said[0];
        }
        if (c.name != "unsaved.zn.recovery")
            unsavedZone(785);
        run("note hello");
        editor->console.log.clear();
        for (int write = 0; write < 3; ++write) {
            editor->runCommand(write == 0 ? "note hello" : "note \"hello " + std::to_string(write) + "\"");
            for (int f = 0; f < RecoveryFile::INTERVAL_FRAMES; ++f)
                editor->update();
        }
        const std::string free = path + (fs::is_symlink(path + ".1") ? ".2" : ".1");
        const Lines said(editor->console.log.begin(), editor->console.log.end());
        EXPECT_EQ(said, (Lines{"Zone name set to \"hello 2\".", "Zone name set to \"hello 1\".",
                               "Not writing over " + path + ", which this editor did not write: the recovery goes to "
                                   + free + ".",
                               "Zone name set to \"hello\"."}));
        EXPECT_EQ(readFile(Zone::fileName(788)), level);
        EXPECT_EQ(fs::is_regular_file(path) ? readFile(path) : std::string(), kept);
        EXPECT_EQ(readFile(free), editor->currZone->encode());

        // The next start (this editor still open, as if killed) offers the numbered copy like
        // any other, newest first.
        {
            StateEditor next(window, nullptr);
            next.enter();
            ASSERT_FALSE(next.recoveryOffers.empty());
            EXPECT_EQ(next.recoveryOffers.front().path, free);
            next.console.log.clear();
            next.runCommand("load recovery");
            EXPECT_EQ(next.console.log.back().rfind("Loaded the recovery of zone", 0), 0u) << next.console.log.back();
            EXPECT_EQ(next.currZone->encode(), editor->currZone->encode());
            next.leave(); // unsaved work given up: its copy goes, what was there before stays
        }
        EXPECT_FALSE(fs::exists(free));
        EXPECT_EQ(fs::is_regular_file(path) ? readFile(path) : std::string(), kept);
        EXPECT_EQ(readFile(Zone::fileName(788)), level);
        editor->leave();
        editor->enter();
        fs::remove_all(path);
        fs::remove(path + ".1");
    }
}

TEST(RecoveryNames, NumberedFromOneToTheLimitAndTimesGiveTheDateWhenNotToday)
{
    const struct {
        const char* name;
        int id; // -2 for a name not of a recovery file
    } names[] = {
        {"5.zn.recovery", 5}, {"5.zn.recovery.1", 5}, {"12.zn.recovery.99", 12}, {"unsaved.zn.recovery.3", -1},
        {"5.zn.recovery.100", -2}, {"5.zn.recovery.0", -2}, {"5.zn.recovery.01", -2}, {"5.zn.recovery.", -2},
        {"5.zn.recovery.tmp.Ab3x9Q", -2}, {"5.zn.recovery.1.tmp.Ab3x9Q", -2}, {"5.zn", -2}, {".zn.recovery", -2},
        {"x5.zn.recovery", -2}, {"1234567890.zn.recovery", -2}, {"123456789.zn.recovery", 123456789},
    };
    for (const auto& n : names) {
        int id = -2;
        EXPECT_EQ(RecoveryFile::idOfName(n.name, id), n.id != -2) << n.name;
        if (n.id != -2) {
            EXPECT_EQ(id, n.id) << n.name;
        }
    }
    EXPECT_EQ(RecoveryFile::MAX_NUMBER, 99);

    const char* zone = std::getenv("TZ");
    const std::string kept = zone ? zone : "";
    setenv("TZ", "UTC", 1);
    tzset();
    const std::time_t now = 1796817600; // 2026-12-09 12:00 UTC
    EXPECT_EQ(RecoveryFile::timeText(now, now), "12:00");
    EXPECT_EQ(RecoveryFile::timeText(now - 12 * 3600, now), "00:00");
    EXPECT_EQ(RecoveryFile::timeText(now - 12 * 3600 - 60, now), "2026-12-08 23:59");
    EXPECT_EQ(RecoveryFile::timeText(now + 12 * 3600 - 60, now), "23:59");
    EXPECT_EQ(RecoveryFile::timeText(now + 12 * 3600, now), "2026-12-10 00:00"); // from the future
    EXPECT_EQ(RecoveryFile::timeText(now - 365 * 86400, now), "2025-12-09 12:00"); // the same day a year ago
    zone ? setenv("TZ", kept.c_str(), 1) : unsetenv("TZ");
    tzset();
}

// The real frame loop: a zone built in the editor is played unsaved and left as it was.
class PlayTestRun : public RealStatesFixture {
protected:
    PlayTestRun() : RealStatesFixture(STATE_EDITOR) {}
    void SetUp() override
    {
        RealStatesFixture::SetUp();
        editor = static_cast<StateEditor*>(states[STATE_EDITOR]);
        game = static_cast<StateGame*>(states[STATE_GAME]);
    }
    void frames(int n)
    {
        for (int i = 0; i < n; ++i)
            frame();
    }
    std::map<std::string, std::string> levelFiles()
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator("resources/lvl"))
            files[entry.path().filename().string()] = readFile(entry.path().string());
        return files;
    }
    void aim(const sf::Vector2f& world)
    {
        script.setMouse(window->mapCoordsToPixel(worldToScreen(world), states[current]->getFrame().getView()));
    }

    StateEditor* editor = nullptr;
    StateGame* game = nullptr;
};

TEST_F(PlayTestRun, MovesFightsFiresATriggerAndComesBackToTheSameEditor)
{
    testing::internal::CaptureStdout();
    editor->stampType = Entity::TYPE_PLAYER;
    editor->mode = StateEditor::MODE_ENTITY;
    for (const auto& place : {std::make_pair(Entity::TYPE_PLAYER, tileCentre(1, 1)),
                              std::make_pair(Entity::TYPE_ROBBER, tileCentre(2, 1) + sf::Vector2f(4.0f, 0.0f))}) {
        editor->stampType = place.first;
        aim(place.second);
        editor->handleEvent(keyEvent(sf::Keyboard::Space));
    }
    aim(tileCentre(1, 4));
    for (const char* line : {"trigger 20", "dialog", "dialogtext \"You made it.\"", "id 790", "save"})
        editor->runCommand(line);
    editor->runCommand("note \"Unsaved name\"");
    const std::string before = editor->currZone->encode();
    const Zone* zone = editor->currZone.get();
    const Entity* selected = editor->selectedEntity;
    const sf::View view = editor->camera.getView();
    const std::size_t steps = editor->history.undoCount();

    aim(tileCentre(5, 5));
    hold(sf::Keyboard::F5);
    // The unsaved name went to the recovery file first; the level itself is as saved.
    const std::map<std::string, std::string> files = levelFiles();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files.count("790.zn.recovery"), 1u);
    ASSERT_EQ(current, STATE_GAME);
    ASSERT_TRUE(game->isTesting());
    ASSERT_NE(game->getZone(), zone);
    Unit* robber = nullptr;
    for (const auto& entry : game->getZone()->entities)
        if (entry.second->getType() == Entity::TYPE_ROBBER)
            robber = static_cast<Unit*>(entry.second.get());
    ASSERT_NE(robber, nullptr);
    const int robberHealth = robber->hitPoints;
    aim(robber->position);
    script.press(sf::Mouse::Right);
    frames(30);
    script.release(sf::Mouse::Right);
    aim(tileCentre(1, 5));
    script.press(sf::Mouse::Left);
    for (int f = 0; f < 240 && !game->getScriptHandler().isRunning(); ++f)
        frames(1);
    script.release(sf::Mouse::Left);
    EXPECT_LT(robber->hitPoints, robberHealth);
    EXPECT_TRUE(game->getScriptHandler().isRunning());
    EXPECT_EQ(levelFiles(), files);

    hold(sf::Keyboard::F5);
    ASSERT_EQ(current, STATE_EDITOR);
    EXPECT_FALSE(game->getScriptHandler().isRunning());
    EXPECT_EQ(editor->currZone.get(), zone);
    EXPECT_EQ(editor->selectedEntity, selected);
    EXPECT_EQ(editor->camera.getView().getCenter(), view.getCenter());
    EXPECT_EQ(editor->history.undoCount(), steps);
    EXPECT_EQ(editor->currZone->encode(), before);
    EXPECT_EQ(levelFiles(), files);

    // The close button during a test goes back, where the editor asks about the unsaved name.
    hold(sf::Keyboard::F5);
    ASSERT_EQ(current, STATE_GAME);
    EXPECT_FALSE(game->mayClose());
    frames(1);
    ASSERT_EQ(current, STATE_EDITOR);
    EXPECT_EQ(editor->question, StateEditor::Question::UNSAVED);
    testing::internal::GetCapturedStdout();
}

// Zones a test cannot make sense of still play, and F5 still comes back from them.
TEST_F(PlayTestRun, ZonesWithoutGroundPlayerOrPathStillPlayAndReturn)
{
    testing::internal::CaptureStdout();
    const struct {
        const char* what;
        std::function<void(Zone&)> build;
        sf::Vector2f mouse;
    } cases[] = {
        {"all walls", [](Zone& z) {
             for (int x = 0; x < z.getWidth(); ++x)
                 for (int y = 0; y < z.getHeight(); ++y)
                     z.getTile(x, y)->setType(TILE_WALL);
         }, tileCentre(1, 1)},
        {"no player, mouse off the grid", [](Zone&) {}, sf::Vector2f(-5000.0f, 9000.0f)},
        {"a walk with no way", [](Zone& z) {
             for (int y = 0; y < z.getHeight(); ++y)
                 z.getTile(5, y)->setType(TILE_WALL);
             auto* clerk = z.entities.add(std::make_unique<Clerk>(&z.entities));
             clerk->position = tileCentre(1, 1);
             auto* trigger = z.entities.add(std::make_unique<Trigger>(&z.entities, 40.0f, 1, true, 1));
             trigger->position = tileCentre(1, 2);
             trigger->addEvent();
             trigger->events[0].type = Event::EVENT_MOVE;
             trigger->events[0].entityId = clerk->getID();
             trigger->events[0].destX = 8;
             trigger->events[0].destY = 8;
         }, tileCentre(1, 2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        editor->leave();
        editor->enter();
        c.build(*editor->currZone);
        const std::string before = editor->currZone->encode();
        aim(c.mouse);
        hold(sf::Keyboard::F5);
        ASSERT_EQ(current, STATE_GAME);
        ASSERT_NE(game->getPlayer(), nullptr);
        frames(120);
        hold(sf::Keyboard::F5);
        ASSERT_EQ(current, STATE_EDITOR);
        EXPECT_EQ(editor->currZone->encode(), before);
    }
    testing::internal::GetCapturedStdout();
}

} // namespace
