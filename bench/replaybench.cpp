// What recording costs the game, and how fast a replay plays.
#include "app/mainloop.h"
#include "app/statetable.h"
#include "characters/player.h"
#include "core/globals.h"
#include "core/input.h"
#include "play/recorder.h"
#include "play/replayfile.h"
#include "play/playback.h"
#include "play/stategame.h"
#include "play/statereplay.h"
#include "render/framelist.h"
#include "render/presenter.h"
#include "render/state.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/OpenGL.hpp>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

const int WALK_FRAMES = 600;

// Ten seconds of walking on the home street, the cursor circling the player so the mouse
// moves every frame, a punch every second: the mean update, with every read going through
// the recorder or not. Drawing is the same either way and is left out of the times.
double walk(sf::RenderWindow& window, bool recorded, std::size_t& walkBytes)
{
    input::ScriptedSource script;
    Recorder recorder(script);
    input::setSource(recorded ? static_cast<const input::Source*>(&recorder) : &script);
    std::unique_ptr<StateTable> table = createStates(&window);
    StateGame& game = static_cast<StateGame&>(*table->get()[STATE_GAME]);
    if (recorded)
        game.setWatch(&recorder);
    restartRandom();
    game.enter();
    // The opening scene (it begins with the first update), Return held through it.
    script.press(sf::Keyboard::Return);
    bool begun = false;
    for (int f = 0; !(begun && !game.getScriptHandler().isRunning()) && f < 3000; ++f) {
        game.update();
        game.draw();
        begun = begun || game.getScriptHandler().isRunning();
    }
    script.releaseAll();
    script.press(sf::Mouse::Left);
    const std::size_t sceneBytes = recorder.recording().size();
    double updates = 0.0;
    for (int f = 0; f < WALK_FRAMES; ++f) {
        const float angle = static_cast<float>(f) * 0.05f;
        script.setMouse(sf::Vector2i(400 + static_cast<int>(120.f * std::cos(angle)),
                                     300 + static_cast<int>(90.f * std::sin(angle))));
        if (f % 60 == 0)
            script.press(sf::Mouse::Right);
        else
            script.release(sf::Mouse::Right);
        const Clock::time_point start = Clock::now();
        game.update();
        updates += msBetween(start, Clock::now());
        game.draw();
    }
    game.leave();
    walkBytes = recorder.recording().size() - sceneBytes;
    game.setWatch(nullptr);
    input::setSource(nullptr);
    return updates / WALK_FRAMES;
}

// Both ways in turn, several times, in one run: the load of the machine sways both alike.
void BM_RecordWalking(benchmark::State& state)
{
    sf::RenderWindow window;
    Presenter::createWindow(window);
    window.setVerticalSyncEnabled(false);
    std::vector<double> plain, recorded;
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::size_t none = 0;
        plain.push_back(walk(window, false, none));
        recorded.push_back(walk(window, true, bytes));
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    state.counters["update_ms_plain"] = median(plain);
    state.counters["update_ms_recorded"] = median(recorded);
    state.counters["recording_ms_per_frame"] = median(recorded) - median(plain);
    // Ten minutes of such walking, at the rate of these ten seconds.
    state.counters["kb_per_10_minutes"] = static_cast<double>(bytes) / 1024.0 * (36000.0 / WALK_FRAMES);
}

// The bot's whole game from tests/replays played as --replay plays it at 8x: seven frames
// animated unseen and the eighth drawn and presented as the game presents it, until the
// end. The replay keeps up when eight frames take no longer than one frame's time, 16.7 ms.
void BM_Replay8x(benchmark::State& state)
{
    replayfile::Replay replay;
    std::string why;
    if (!replayfile::read(std::string(MORVANE_SOURCE_DIR) + "/tests/replays/whole-game.mvr", replay, why)) {
        state.SkipWithError(why.c_str());
        return;
    }
    sf::RenderWindow window;
    Presenter::createWindow(window);
    std::unique_ptr<Presenter> presenter = Presenter::forWindow(window);
    window.setVerticalSyncEnabled(false);
    presenter->setWarmUp(warmUpFrame());
    presenter->prepare();
    input::ScriptedSource live;
    input::setSource(&live);
    double shown = 0.0, worst = 0.0;
    int screens = 0, frames = 0;
    for (auto _ : state) {
        std::unique_ptr<StateTable> table = createStates(&window);
        State** states = table->get();
        FrameList frame;
        StateReplay replaying(&window, states, static_cast<StateGame&>(*states[STATE_GAME]), replay, "whole-game");
        replaying.setFrame(&frame);
        std::fflush(stdout);
        replaying.enter();
        sf::Event eight{};
        eight.type = sf::Event::KeyPressed;
        eight.key.code = sf::Keyboard::Num8;
        replaying.handleEvent(eight);
        while (replaying.update() == STATE_GAME) {
            const Clock::time_point start = Clock::now();
            frame.clear();
            replaying.draw();
            presenter->present(frame);
            glFinish();
            const double ms = msBetween(start, Clock::now());
            shown += ms;
            worst = std::max(worst, ms);
            ++screens;
        }
        frames += replaying.getPlayback().played();
        replaying.leave();
    }

    // The same game played unseen from start to end, as a long replay's fast-forward plays.
    double unseen = 0.0;
    int unseenFrames = 0;
    {
        std::unique_ptr<StateTable> table = createStates(&window);
        FrameList first;
        Playback playback(static_cast<StateGame&>(*table->get()[STATE_GAME]), replay, "whole-game");
        playback.begin(first);
        const Clock::time_point start = Clock::now();
        while (playback.stepUnseen() == Playback::Outcome::PLAYING) {
        }
        unseen = msBetween(start, Clock::now());
        unseenFrames = playback.played();
        playback.end();
    }
    input::setSource(nullptr);
    state.counters["unseen_ms_per_frame"] = unseen / std::max(unseenFrames, 1);
    const double perScreen = shown / std::max(screens, 1);
    state.counters["screen_mean_ms"] = perScreen;
    state.counters["screen_worst_ms"] = worst;
    state.counters["frames"] = frames;
    // Game time played per second of the watcher's: 8 means eight times faster than real time.
    state.counters["times_real_time"] = (static_cast<double>(frames) / 60.0) / (shown / 1000.0);
}

} // namespace

BENCHMARK(BM_RecordWalking)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Replay8x)->Iterations(1)->Unit(benchmark::kMillisecond);
