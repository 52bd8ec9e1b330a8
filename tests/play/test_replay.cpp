// Recording and playback in the real game on the shipped zones: a bot's game recorded as it
// is drawn plays back unseen with every checkpoint matching; an edited zone is named and
// diverges where it first tells; a game entered after the editor starts where the last one
// left; assist as recorded; the recording to a file, F9 and their failures; the hour's
// limit; the playback's own keys; and every replay in tests/replays/.

#include "app/mainloop.h"
#include "app/statetable.h"
#include "characters/player.h"
#include "core/globals.h"
#include "gamerun.h"
#include "play/playback.h"
#include "play/replayfile.h"
#include "play/stategame.h"
#include "play/statereplay.h"
#include "packtesting.h"
#include "playbot.h"
#include "testsupport.h"
#include "world/levelfolder.h"
#include "world/pack.h"
#include "world/zone.h"
#include "world/zonefile.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>

namespace fs = std::filesystem;

namespace {

const int FRAME_BUDGET = 6000;

using testsupport::readFile;

// What a playback printed last: its end or its divergence.
std::string lastLine(const std::string& said)
{
    const std::size_t from = said.rfind('\n', said.size() >= 2 ? said.size() - 2 : 0);
    return from == std::string::npos ? said : said.substr(from + 1);
}

class ReplayTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::loadRepoResources(); }
    void TearDown() override
    {
        LevelFolder::choose(true, "");
        LevelFolder::usePack(Pack::builtIn());
    }

    static replayfile::Replay decoded(const std::string& bytes)
    {
        replayfile::Replay replay;
        std::string why;
        EXPECT_TRUE(replayfile::decode(bytes, replay, why)) << why;
        return replay;
    }

    // The bot plays; more is done on the frames given (counted from the first frame free of a
    // scene) until done, told the frames played so far, says stop. Returns the frames played.
    static int play(GameRun& run, const std::function<void(int)>& more, const std::function<bool(int)>& done)
    {
        playbot::Bot bot(run.script, testsupport::window());
        int free = -1;
        int frames = 0;
        bool scene = false; // the opening scene begins with the first update
        for (; frames < FRAME_BUDGET && !done(frames); ++frames) {
            bot.decide(run.game());
            scene = scene || run.game().getScriptHandler().isRunning();
            if (free >= 0 || (scene && !run.game().getScriptHandler().isRunning()))
                more(++free);
            run.frame();
        }
        EXPECT_LT(frames, FRAME_BUDGET);
        return frames;
    }

    testsupport::Scratch scratch;
    const std::string dir = scratch.dir + "/";
};

// The replay's screen as --replay runs it, over a fresh set of states, with a person's
// input scripted.
class Watching {
public:
    explicit Watching(const replayfile::Replay& replayIn)
        : replay(replayIn), table(createStates(&testsupport::window())), states(table->get()),
          screen(&testsupport::window(), states, static_cast<StateGame&>(*states[STATE_GAME]), replay, "watched.mvr")
    {
        input::setSource(&live);
        screen.enter();
    }
    ~Watching()
    {
        screen.leave();
        input::setSource(nullptr);
    }
    Watching(const Watching&) = delete;
    Watching& operator=(const Watching&) = delete;

    void key(sf::Keyboard::Key code)
    {
        sf::Event event{};
        event.type = sf::Event::KeyPressed;
        event.key.code = code;
        screen.handleEvent(event);
    }
    // One screen's worth, as the game's loop runs it; the frames played so far.
    int show()
    {
        EXPECT_EQ(screen.update(), STATE_GAME);
        screen.draw();
        return screen.getPlayback().played();
    }

    const replayfile::Replay replay;
    input::ScriptedSource live;
    std::unique_ptr<StateTable> table;
    State** states;
    StateReplay screen;
};

// Mouse, keys and events of every kind the play state reads, over the bot's own play.
void extras(GameRun& run, int free)
{
    switch (free) {
    case 10: case 40: run.tell(sf::Keyboard::D); break;
    case 60: case 90: run.tell(sf::Keyboard::F1); break;
    case 100: case 130: run.tell(sf::Keyboard::P); break;
    case 140: run.script.press(sf::Keyboard::R); break;
    case 146: run.script.release(sf::Keyboard::R); break;
    case 150: run.script.plugPad(0); run.script.setPadAxis(0, sf::Joystick::X, 80.f); break;
    case 160: run.script.pressPad(0, 0); run.script.press(sf::Keyboard::Z); break;
    case 170: run.script.unplugPad(0); run.script.release(sf::Keyboard::Z); break;
    default: break;
    }
}

TEST_F(ReplayTest, ABotsGameReplaysWithEveryCheckpointAndAnEditedZoneDivergesWhereItFirstTells)
{
    GameRun run(testsupport::window());
    run.start();
    int arrival = 0; // the frame zone 1 was loaded in
    const int frames = play(run, [&](int free) { extras(run, free); }, [&](int played) {
        if (arrival == 0 && run.game().getZone()->id == 1)
            arrival = played;
        return arrival > 0 && run.game().getFadeInTimer() == 0;
    });
    run.script.releaseAll();
    run.frames(199);
    run.tap(sf::Keyboard::F12);
    EXPECT_FALSE(run.recorder.isRecording());
    const replayfile::Replay replay = decoded(run.recorder.recording());
    EXPECT_EQ(replay.frames, frames + 200);
    EXPECT_EQ(replay.checks, replay.frames / replayfile::CHECK_FRAMES + 1);
    EXPECT_TRUE(replay.ended);

    // Recorded while drawn into the window, played while drawn into nothing.
    testing::internal::CaptureStdout();
    Played back = playUnseen(testsupport::window(), replay, "bot.mvr");
    EXPECT_EQ(lastLine(testing::internal::GetCapturedStdout()),
              "Replay ended: " + std::to_string(replay.frames) + " frames, " + std::to_string(replay.checks)
                  + " checkpoints match\n");
    EXPECT_EQ(back.outcome, Playback::Outcome::ENDED);
    EXPECT_EQ(back.frames, replay.frames);
    EXPECT_EQ(back.matched, replay.checks);

    // Zone 1 with its robbers a tile along: named before the first frame, and diverged at
    // the first checkpoint after the player arrived in it.
    zonefile::ZoneData zone;
    std::string why;
    ASSERT_TRUE(zonefile::decode(readFile("resources/lvl/1.zn"), zone, why)) << why;
    for (zonefile::EntityRecord& record : zone.entities)
        record.x += record.type == Entity::TYPE_ROBBER ? 32.f : 0.f;
    std::ofstream(dir + "1.zn", std::ios::binary) << zonefile::encode(zone);
    LevelFolder::choose(false, dir);
    testing::internal::CaptureStdout();
    back = playUnseen(testsupport::window(), replay, "bot.mvr");
    const std::string said = testing::internal::GetCapturedStdout();
    const int expected = (arrival + replayfile::CHECK_FRAMES - 1) / replayfile::CHECK_FRAMES * replayfile::CHECK_FRAMES;
    EXPECT_EQ(back.outcome, Playback::Outcome::DIVERGED);
    EXPECT_EQ(back.frames, expected);
    EXPECT_EQ(back.matched, expected / replayfile::CHECK_FRAMES - 1);
    EXPECT_EQ(said.find("bot.mvr: zone 1 is not the one it was recorded with (" + dir + "1.zn)\n"), 0u) << said;
    EXPECT_EQ(lastLine(said), "Replay diverged at frame " + std::to_string(expected) + " (zone 1)\n");
    EXPECT_EQ(said.find("zone 0"), std::string::npos) << said;
}

TEST_F(ReplayTest, AGameEnteredAfterTheEditorStartsWhereTheLastOneLeftIt)
{
    GameRun run(testsupport::window());
    run.start();
    // Left for the editor halfway through the fade to zone 1, the overlay off and the debug
    // marks on, pedestrians made: the next game begins in that fade.
    play(run, [&](int free) {
        if (free == 5)
            run.tell(sf::Keyboard::F1);
        if (free == 10)
            run.tell(sf::Keyboard::D);
        if (free == 20)
            run.script.press(sf::Keyboard::R);
        if (free == 23)
            run.script.release(sf::Keyboard::R);
    }, [&](int) { return run.game().getFadeOutTimer() == StateGame::FADE_FRAMES / 2; });
    run.script.releaseAll();
    run.tap(sf::Keyboard::F12);
    run.frame();
    run.tap(sf::Keyboard::F12);
    ASSERT_EQ(run.current(), STATE_GAME);
    play(run, [](int) {}, [&](int) { return run.game().getZone()->id == 1 && run.game().getFadeInTimer() == 0; });
    run.frames(120);
    run.tap(sf::Keyboard::F12);

    replayfile::Replay replay = decoded(run.recorder.recording());
    const PlayStart& start = replay.header.start;
    EXPECT_GT(replay.header.draws, 0u);
    EXPECT_EQ(start.fadeOutTimer, StateGame::FADE_FRAMES / 2); // F12's frame goes no further
    EXPECT_EQ(start.fadeInTimer, StateGame::FADE_FRAMES);
    EXPECT_EQ(start.fadeTarget, 1);
    EXPECT_EQ(start.overlay, 0);
    EXPECT_EQ(start.debugDraw, 1);
    EXPECT_EQ(start.switchLatch, 1);
    testing::internal::CaptureStdout();
    const Played back = playUnseen(testsupport::window(), replay, "second.mvr");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(back.outcome, Playback::Outcome::ENDED);
    EXPECT_EQ(back.matched, replay.checks);

    // From a fresh program's start instead it is another game. A version and a name that
    // would work the terminal are quoted escaped.
    replay.header.start = PlayStart();
    replay.header.draws = 0;
    replay.header.game = "\x1b]0;x\a";
    testing::internal::CaptureStdout();
    EXPECT_EQ(playUnseen(testsupport::window(), replay, "second\x1b[2J.mvr").outcome, Playback::Outcome::DIVERGED);
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("second\\x1b[2J.mvr: recorded by morvane \\x1b]0;x\\x07, played by "
                                                          + replayfile::gameVersion() + ", so it may play otherwise\n"),
              0u);
}

TEST_F(ReplayTest, AssistIsTheRecordingsWhateverThePlayersSettingsSay)
{
    // With assist from the settings, standing still under a robber's blows in the first
    // street until they have cost a third of the player's health.
    GameRun run(testsupport::window());
    run.game().setAssist(true);
    run.start();
    play(run, [&](int) {
        if (run.game().getZone()->id == 1 && robberWithin(run.game(), 48.f))
            run.script.releaseAll();
    }, [&](int) { return run.game().getPlayer()->hitPoints <= StateGame::FULL_HIT_POINTS * 2 / 3; });
    run.frames(60);
    run.tap(sf::Keyboard::F12);
    replayfile::Replay replay = decoded(run.recorder.recording());
    ASSERT_EQ(replay.header.start.assist, 1);

    // The header decides, both ways, whatever the settings of whoever plays it back.
    struct Case {
        int recorded;
        bool setting;
        Playback::Outcome outcome;
    };
    const Case cases[] = {
        {1, false, Playback::Outcome::ENDED},
        {1, true, Playback::Outcome::ENDED},
        {0, true, Playback::Outcome::DIVERGED},
        {0, false, Playback::Outcome::DIVERGED},
    };
    for (const Case& c : cases) {
        replay.header.start.assist = c.recorded;
        testing::internal::CaptureStdout();
        const Played back = playUnseen(testsupport::window(), replay, "assisted.mvr", c.setting);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(back.outcome, c.outcome) << "recorded " << c.recorded << ", setting " << c.setting;
        EXPECT_EQ(back.matched, c.outcome == Playback::Outcome::ENDED ? replay.checks : 0);
    }
}

TEST_F(ReplayTest, TheFileIsWrittenEachSecondF9KeepsTheGameSoFarAndFailuresLeavePlayGoing)
{
    {
        testsupport::ScopedEnv env{{"XDG_DATA_HOME", scratch.dir.c_str()}, {"HOME", scratch.dir.c_str()}};
        GameRun run(testsupport::window());
        run.recorder.recordTo(dir + "game.mvr");
        run.start();
        run.frames(130);
        run.recorder.finish();
        EXPECT_EQ(decoded(readFile(dir + "game.mvr")).frames, 120);

        testing::internal::CaptureStdout();
        run.tell(sf::Keyboard::F9);
        run.tell(sf::Keyboard::F9);
        run.frame();
        run.recorder.finish();
        const std::string said = testing::internal::GetCapturedStdout();
        const std::string notice = run.recorder.takeNotice(); // the last, with the home folder as ~
        EXPECT_TRUE(std::regex_match(notice, std::regex("Replay kept: ~/morvane/replays/[-0-9]{17}-2\\.mvr"))) << notice;
        EXPECT_EQ(run.recorder.takeNotice(), "");
        const std::regex kept("Replay kept: " + dir + "morvane/replays/(\\d{4}-\\d\\d-\\d\\d-\\d{6})\\.mvr\n"
                              + "Replay kept: " + dir + "morvane/replays/\\1-2\\.mvr\n");
        EXPECT_TRUE(std::regex_match(said, kept)) << said;
        int keptFiles = 0;
        for (const auto& entry : fs::directory_iterator(dir + "morvane/replays")) {
            EXPECT_EQ(decoded(readFile(entry.path().string())).frames, 130) << entry.path();
            ++keptFiles;
        }
        EXPECT_EQ(keptFiles, 2);

        run.frames(10);
        testing::internal::CaptureStdout();
        run.quit();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Recorded 142 frames to " + dir + "game.mvr\n");
        const replayfile::Replay whole = decoded(readFile(dir + "game.mvr"));
        EXPECT_TRUE(whole.ended);
        testing::internal::CaptureStdout();
        EXPECT_EQ(playUnseen(testsupport::window(), whole, "game.mvr").matched, 3);
        EXPECT_EQ(lastLine(testing::internal::GetCapturedStdout()), "Replay ended: 142 frames, 3 checkpoints match\n");
    }
    {
        // Nowhere to write: one line each, the path's control bytes escaped, and play goes
        // on recorded in memory.
        testsupport::ScopedEnv env{{"XDG_DATA_HOME", nullptr}, {"HOME", nullptr}};
        GameRun run(testsupport::window());
        run.recorder.recordTo(dir + "missing\x1b[2J/game.mvr");
        testing::internal::CaptureStdout();
        run.start();
        run.frame();
        run.tell(sf::Keyboard::F9);
        run.frame();
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "Cannot record to " + dir + "missing\\x1b[2J/game.mvr: No such file or directory\n10 entities to load\n"
                  "Replay not kept: no folder for it (neither XDG_DATA_HOME nor HOME is set)\n");
        EXPECT_TRUE(run.recorder.isRecording());
        EXPECT_FALSE(fs::exists(dir + "missing\x1b[2J"));
    }
}

// A game in a pack names the pack; choosing another pack with F2 ends its recording, and the
// replay, played with the pack or without it, chooses nothing from the player's packs.
TEST_F(ReplayTest, AGameInAPackEndsAtF2sChoiceAndReplaysOnlyInItsPack)
{
    const Pack streets = packtesting::playFolder(dir + "streets", packtesting::twoStreets("Streets", 5, 6));
    GameRun run(testsupport::window());
    run.recorder.recordTo(dir + "game.mvr");
    run.start();
    for (int i = 0; i < 150; ++i) // the robber comes, and is punched at now and then
        i % 30 == 0 ? run.tap(sf::Keyboard::Z) : run.frame();
    for (sf::Keyboard::Key key : {sf::Keyboard::F2, sf::Keyboard::Up, sf::Keyboard::Return}) {
        run.tell(key);
        run.frame();
    }
    EXPECT_EQ(LevelFolder::pack().name(), "Streets"); // until the next frame begins
    run.frames(2);
    ASSERT_TRUE(LevelFolder::builtIn());
    EXPECT_TRUE(run.recorder.isRecording()); // the built-in pack's game
    EXPECT_EQ(decoded(run.recorder.recording()).header.pack, Pack::builtIn().name());
    run.recorder.finish();
    const replayfile::Replay replay = decoded(readFile(dir + "game.mvr"));
    EXPECT_EQ(replay.header.pack, "Streets");
    EXPECT_TRUE(replay.ended);

    LevelFolder::usePack(streets);
    testing::internal::CaptureStdout();
    Played back = playUnseen(testsupport::window(), replay, "game.mvr");
    EXPECT_EQ(lastLine(testing::internal::GetCapturedStdout()),
              "Replay ended: " + std::to_string(replay.frames) + " frames, " + std::to_string(replay.checks)
                  + " checkpoints match\n");
    EXPECT_EQ(back.outcome, Playback::Outcome::ENDED);
    EXPECT_EQ(LevelFolder::pack().name(), "Streets");

    LevelFolder::usePack(Pack::builtIn());
    testing::internal::CaptureStdout();
    back = playUnseen(testsupport::window(), replay, "game.mvr");
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(said.find("game.mvr: recorded in the pack \"Streets\", not \""
                                                          + Pack::builtIn().name() + "\": give that pack with --pack\n"),
              0u) << said;
    EXPECT_EQ(back.outcome, Playback::Outcome::DIVERGED);
}

TEST_F(ReplayTest, ARecordingStopsAtAnHourAndKeepsThatHour)
{
    GameRun run(testsupport::window());
    run.start();
    for (int i = 0; i < replayfile::MAX_FRAMES; ++i)
        run.recorder.frame(run.game());
    EXPECT_TRUE(run.recorder.isRecording()); // the hour's last frame is running
    run.recorder.frame(run.game());
    EXPECT_FALSE(run.recorder.isRecording());
    const replayfile::Replay replay = decoded(run.recorder.recording());
    EXPECT_EQ(replay.frames, replayfile::MAX_FRAMES);
    EXPECT_TRUE(replay.ended);
}

TEST_F(ReplayTest, LiveKeysDriveOnlyThePlayback)
{
    GameRun run(testsupport::window());
    run.start();
    play(run, [](int) {}, [&](int) { return !run.game().getScriptHandler().isRunning(); });
    run.frames(400);
    run.tap(sf::Keyboard::F12);
    const replayfile::Replay replay = decoded(run.recorder.recording());

    testing::internal::CaptureStdout();
    Watching watching(replay);
    // What a person holds down reaches nothing of the game.
    watching.live.press(sf::Keyboard::Escape);
    watching.live.press(sf::Mouse::Left);
    struct Step {
        sf::Keyboard::Key key;
        int advance;
    };
    const Step steps[] = {
        {sf::Keyboard::Unknown, 1}, {sf::Keyboard::Num2, 2}, {sf::Keyboard::Num8, 8}, {sf::Keyboard::Numpad4, 4},
        {sf::Keyboard::Space, 4},   {sf::Keyboard::Unknown, 0}, {sf::Keyboard::Right, 1}, {sf::Keyboard::Right, 1},
        {sf::Keyboard::Num1, 0},    {sf::Keyboard::Space, 1},   {sf::Keyboard::Num3, 1},
    };
    for (const Step& step : steps) {
        if (step.key != sf::Keyboard::Unknown)
            watching.key(step.key);
        const int before = watching.screen.getPlayback().played();
        EXPECT_EQ(watching.show() - before, step.advance) << "after key " << step.key;
    }
    watching.key(sf::Keyboard::Escape);
    EXPECT_EQ(watching.screen.update(), STATE_QUIT);
    EXPECT_EQ(watching.screen.status(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "10 entities to load\n");
}

TEST_F(ReplayTest, ALongReplayIsPlayedUnseenUpToItsLastTenMinutes)
{
    // The opening scene waiting for a key that never comes: a game all the same.
    replayfile::Header header;
    header.game = replayfile::gameVersion();
    replayfile::Encoder encoder(header);
    const int rest = 200;
    for (int i = 0; i < StateReplay::WATCHED_FRAMES + rest; ++i)
        encoder.endFrame();
    testing::internal::CaptureStdout();
    Watching watching(decoded(encoder.seal()));
    int screens = 0;
    while (watching.screen.getPlayback().played() < rest && screens < rest) {
        watching.show();
        ++screens;
    }
    // A screen plays frames for some milliseconds, many of them; then the end at 1x.
    EXPECT_LT(screens, rest / 2);
    EXPECT_EQ(watching.screen.getPlayback().played(), rest);
    EXPECT_EQ(watching.show(), rest + 1);
    watching.key(sf::Keyboard::Num8);
    EXPECT_EQ(watching.show(), rest + 9);
    testing::internal::GetCapturedStdout();
}

// Every replay in tests/replays/ (make replays records them anew).
class ShippedReplay : public ::testing::TestWithParam<std::string> {};

TEST_P(ShippedReplay, PlaysToItsEndWithEveryCheckpointMatching)
{
    testsupport::loadRepoResources();
    replayfile::Replay replay;
    std::string why;
    ASSERT_TRUE(replayfile::read(GetParam(), replay, why)) << why;
    testing::internal::CaptureStdout();
    const Played back = playUnseen(testsupport::window(), replay, GetParam());
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(back.outcome, Playback::Outcome::ENDED) << said;
    EXPECT_EQ(back.matched, replay.checks) << said;
    std::printf("%s", lastLine(said).c_str());
    // The list a review reads is the file's own.
    const std::string list = GetParam().substr(0, GetParam().size() - 4) + ".checks";
    EXPECT_EQ(readFile(list), checkpointList(replay)) << list << " is not the replay's: make replays writes both";
}

std::vector<std::string> shippedReplays()
{
    std::vector<std::string> found;
    std::error_code none;
    for (const auto& entry : fs::directory_iterator(std::string(MORVANE_SOURCE_DIR) + "/tests/replays", none))
        if (entry.path().extension() == replayfile::EXTENSION)
            found.push_back(entry.path().string());
    std::sort(found.begin(), found.end());
    return found;
}

INSTANTIATE_TEST_SUITE_P(Replays, ShippedReplay, ::testing::ValuesIn(shippedReplays()),
                         [](const ::testing::TestParamInfo<std::string>& file) {
                             std::string name = fs::path(file.param).stem().string();
                             for (char& c : name)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

} // namespace
