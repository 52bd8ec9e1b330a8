// The real game played frame by frame in a window: walking zone 1 (the view moving every
// frame, its dialog read through, a fight) and R held in zone 0. Each frame's update, draw
// and showing are timed together, with the main thread's processor time beside them.
#include "app/mainloop.h"
#include "characters/player.h"
#include "core/globals.h"
#include "core/input.h"
#include "core/letterbox.h"
#include "play/stategame.h"
#include "render/framelist.h"
#include "render/keptpicture.h"
#include "render/painter.h"
#include "render/presenter.h"
#include "render/state.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/OpenGL.hpp>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

enum Scenario { WALK, HOLD_R };

struct FrameStats {
    std::vector<double> frames; // update, draw and showing, ms
    std::vector<double> cpu;    // the main thread's processor time in the same span, ms
    std::vector<double> draws;
    int moving = 0; // frames in which the player moved, and with him the view

    static double mean(const std::vector<double>& v)
    {
        double sum = 0.0;
        for (double x : v)
            sum += x;
        return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
    }
    double percentile(double p) const
    {
        if (frames.empty())
            return 0.0;
        std::vector<double> sorted = frames;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t at = static_cast<std::size_t>(std::ceil(p * static_cast<double>(sorted.size()))) - 1;
        return sorted[std::min(at, sorted.size() - 1)];
    }
    int over(double ms) const
    {
        return static_cast<int>(std::count_if(frames.begin(), frames.end(), [&](double f) { return f > ms; }));
    }
    void report(benchmark::State& state, const std::string& prefix = "") const
    {
        state.counters[prefix + "frame_mean_ms"] = mean(frames);
        state.counters[prefix + "frame_p99_ms"] = percentile(0.99);
        state.counters[prefix + "frame_worst_ms"] = frames.empty() ? 0.0 : *std::max_element(frames.begin(), frames.end());
        state.counters[prefix + "frames_over_16.7ms"] = over(1000.0 / 60.0);
        state.counters[prefix + "cpu_mean_ms"] = mean(cpu);
        state.counters[prefix + "draw_mean_ms"] = mean(draws);
        state.counters[prefix + "view_moved"] = moving;
    }
};

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The window pixel that shows a picture pixel.
sf::Vector2i windowPixel(sf::Vector2f picture, sf::Vector2u windowSize)
{
    const sf::IntRect area = Letterbox(windowSize).area();
    return sf::Vector2i(area.left + static_cast<int>((picture.x + 0.5f) * static_cast<float>(area.width) / Letterbox::PICTURE.x),
                        area.top + static_cast<int>((picture.y + 0.5f) * static_cast<float>(area.height) / Letterbox::PICTURE.y));
}

// Zone 1 from its link-in: the arrival dialog read through with Return held, then the road
// walked back and forth between columns 7 and 16 while the robbers give chase; one in reach
// gets a punch now and then (the player is kept on his feet).
class Walker {
public:
    static constexpr float ROAD = 8.5f * TILE_SIZE;

    Walker(input::ScriptedSource& scriptIn, sf::Vector2u sizeIn) : script(scriptIn), size(sizeIn) {}

    void decide(StateGame& game, int frame)
    {
        script.releaseAll();
        Player& player = *game.getPlayer();
        player.hitPoints = 100;
        if (game.getScriptHandler().isRunning()) {
            script.press(sf::Keyboard::Return);
            return;
        }
        // A robber in reach gets a punch, one every two seconds: the walk goes on between.
        const Entity* robber = nearestRobber(game, player.position);
        if (robber != nullptr && distance(robber->position, player.position) <= 48.f && frame - lastPunch >= 120) {
            point(game, robber->position);
            script.press(sf::Mouse::Right);
            lastPunch = frame;
            return;
        }
        if (player.position.x > 16 * TILE_SIZE)
            heading = -1.f;
        else if (player.position.x < 7 * TILE_SIZE)
            heading = 1.f;
        // Along the middle of the road, back onto it when pushed off.
        point(game, sf::Vector2f(player.position.x + 100.f * heading, ROAD));
        script.press(sf::Mouse::Left);
    }

private:
    static const Entity* nearestRobber(StateGame& game, sf::Vector2f from)
    {
        const Entity* best = nullptr;
        for (const auto& entry : game.getZone()->entities) {
            const Entity* e = entry.second.get();
            if (e->getType() != Entity::TYPE_ROBBER || static_cast<const Unit*>(e)->hitPoints <= 0)
                continue;
            if (best == nullptr || distance(e->position, from) < distance(best->position, from))
                best = e;
        }
        return best;
    }
    // The view is centred a little above the player.
    void point(StateGame& game, sf::Vector2f world)
    {
        const sf::Vector2f offset = worldToScreen(world) - worldToScreen(game.getPlayer()->position);
        const sf::Vector2f picture = sf::Vector2f(400.f, 300.f + StateGame::CAMERA_RISE) + offset;
        script.setMouse(windowPixel(picture, size));
    }

    input::ScriptedSource& script;
    sf::Vector2u size;
    float heading = 1.f;
    int lastPunch = -1000;
};

// paced: each frame begins a sixtieth of a second after the one before, as the game runs
// them (the machine may idle between), instead of straight after it.
FrameStats play(Scenario scenario, sf::Vector2u size, int count, bool paced = false)
{
    sf::RenderWindow window;
    Presenter::createWindow(window, sf::VideoMode(size.x, size.y, 32), sf::Style::Default);
    // As the game chooses it, but never waiting for the screen.
    std::unique_ptr<Presenter> presenter = Presenter::forWindow(window);
    window.setVerticalSyncEnabled(false);
    presenter->setWarmUp(warmUpFrame());
    presenter->prepare();
    input::ScriptedSource script;
    input::setSource(&script);
    std::srand(1);
    std::unique_ptr<StateTable> table = createStates(&window);
    State** states = table->get();
    FrameList frame;
    int current = STATE_GAME;
    StateGame& game = *static_cast<StateGame*>(states[STATE_GAME]);
    if (scenario == WALK)
        game.startTest(PlayTest{fileBytes("resources/lvl/1.zn"), sf::Vector2f(176.f, 272.f)});
    states[current]->setFrame(&frame);
    states[current]->enter();
    Walker walker(script, size);
    if (scenario == HOLD_R)
        script.press(sf::Keyboard::R);
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
    FrameStats stats;
    sf::Vector2f last;
    for (int f = 0; f < count; ++f) {
        if (scenario == WALK)
            walker.decide(game, f);
        pumpEvents(states, &current, &window);
        const double cpuStart = threadCpuMs();
        const Clock::time_point start = Clock::now();
        frame.clear();
        states[current]->update();
        const Clock::time_point updated = Clock::now();
        states[current]->draw();
        const Clock::time_point drawn = Clock::now();
        presenter->present(frame);
        glFinish();
        const Clock::time_point shown = Clock::now();
        stats.frames.push_back(ms(start, shown));
        stats.draws.push_back(ms(updated, drawn));
        stats.cpu.push_back(threadCpuMs() - cpuStart);
        const sf::Vector2f at = game.getPlayer() != nullptr ? game.getPlayer()->position : sf::Vector2f();
        stats.moving += at != last;
        last = at;
        if (paced)
            std::this_thread::sleep_until(start + std::chrono::microseconds(16667));
    }
    script.releaseAll();
    states[current]->leave();
    table.reset();
    input::setSource(nullptr);
    return stats;
}

const int WALK_FRAMES = 2400;
const int HOLD_R_FRAMES = 600;

void BM_Play(benchmark::State& state, Scenario scenario, bool paced = false)
{
    FrameStats stats;
    for (auto _ : state)
        stats = play(scenario, sf::Vector2u(static_cast<unsigned>(state.range(0)), static_cast<unsigned>(state.range(1))),
                     scenario == WALK ? WALK_FRAMES : HOLD_R_FRAMES, paced);
    stats.report(state);
}

// A switch weighed: the scenario played with each setting in turn, round after round, so
// the machine's load falls on all alike. The first setting is the game's own.
struct Switches {
    const char* name;
    bool picture;
    bool ground;
    bool silhouettes;
};
const Switches CACHES[] = {
    {"kept_", true, true, true},
    {"no_picture_", false, true, true},
    {"no_ground_", true, false, true},
};
const Switches SILHOUETTES[] = {
    {"silhouettes_", true, true, true},
    {"no_silhouettes_", true, true, false},
};

template <std::size_t N>
void BM_Switches(benchmark::State& state, const Switches (&settings)[N])
{
    const Scenario scenario = state.range(0) == 0 ? WALK : HOLD_R;
    const sf::Vector2u size(static_cast<unsigned>(state.range(1)), static_cast<unsigned>(state.range(2)));
    std::vector<FrameStats> all(N);
    for (auto _ : state) {
        for (int round = 0; round < 3; ++round)
            for (std::size_t s = 0; s < N; ++s) {
                KeptPicture::enabled = settings[s].picture;
                GroundRing::enabled = settings[s].ground;
                Painter::silhouettes = settings[s].silhouettes;
                const FrameStats one = play(scenario, size, scenario == WALK ? WALK_FRAMES : HOLD_R_FRAMES);
                for (std::vector<double> FrameStats::*part : {&FrameStats::frames, &FrameStats::cpu, &FrameStats::draws})
                    (all[s].*part).insert((all[s].*part).end(), (one.*part).begin(), (one.*part).end());
                all[s].moving += one.moving;
            }
    }
    KeptPicture::enabled = true;
    GroundRing::enabled = true;
    Painter::silhouettes = true;
    for (std::size_t s = 0; s < N; ++s) {
        const std::string name = settings[s].name;
        all[s].report(state, name);
        if (s == 0)
            continue;
        // What the game's own setting saves over this one; negative, what it costs.
        const double saves = FrameStats::mean(all[s].frames) - FrameStats::mean(all[0].frames);
        state.counters[name + "saves_%"] = 100.0 * saves / FrameStats::mean(all[s].frames);
        state.counters[name + "saves_ms"] = saves;
    }
}

} // namespace

// The real game, frame by frame: walking zone 1, and R held for ten seconds in zone 0 (the
// view still, the opening dialog on screen). Other than 800 x 600 the picture is scaled.
BENCHMARK_CAPTURE(BM_Play, walk, WALK)->Args({800, 600})->Args({1920, 1080})->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Play, holdR, HOLD_R)->Args({800, 600})->Args({1920, 1080})->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Long, so only on asking: morvane_bench --caches.
void registerCacheBenchmarks()
{
    benchmark::RegisterBenchmark("BM_Caches", [](benchmark::State& state) { BM_Switches(state, CACHES); })
        ->Args({0, 1920, 1080})->Args({1, 1920, 1080})->Args({0, 800, 600})->Args({1, 800, 600})->Iterations(1)
        ->Unit(benchmark::kMillisecond);
}

// Also on asking, since they take the game's own time: morvane_bench --paced, the walk and
// held R at 60 frames a second.
void registerPacedBenchmarks()
{
    benchmark::RegisterBenchmark("BM_PlayPaced/walk", [](benchmark::State& state) { BM_Play(state, WALK, true); })
        ->Args({800, 600})->Args({1920, 1080})->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_PlayPaced/holdR", [](benchmark::State& state) { BM_Play(state, HOLD_R, true); })
        ->Args({800, 600})->Args({1920, 1080})->Iterations(1)->Unit(benchmark::kMillisecond);
}

// Also on asking: morvane_bench --silhouettes, walking at the game's own size.
void registerSilhouetteBenchmarks()
{
    benchmark::RegisterBenchmark("BM_Silhouettes", [](benchmark::State& state) { BM_Switches(state, SILHOUETTES); })
        ->Args({0, 800, 600})->Iterations(1)->Unit(benchmark::kMillisecond);
}
