// Timings of the simulation step, path search, drawing and zone files on fixed scenes.
// Where a fast method replaces a plain one, both run and the table at the end gives
// their medians and ratio. Run under a display (make bench uses Xvfb).
#include "characters/doodad.h"
#include "core/input.h"
#include "app/mainloop.h"
#include "render/framelist.h"
#include "render/groundring.h"
#include "render/keptpicture.h"
#include "render/painter.h"
#include "render/presenter.h"
#include "render/processorpresenter.h"
#include "render/quadpresenter.h"
#include "characters/malepedestrian.h"
#include "characters/player.h"
#include "world/resourcemanager.h"
#include "characters/robber.h"
#include "render/state.h"
#include "play/trigger.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/Context.hpp>
#include <SFML/OpenGL.hpp>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

sf::Vector2f centreOf(int column, int row) { return {32.0f * column + 16.0f, 32.0f * row + 16.0f}; }

// Scattered wall blocks, a tenth of the ground, never on the border rows used for starts.
void scatterWalls(Zone& zone, std::mt19937& gen, int per)
{
    for (int x = 2; x < zone.getWidth() - 2; ++x)
        for (int y = 2; y < zone.getHeight() - 2; ++y)
            if (gen() % per == 0)
                zone.getTile(x, y)->setType(TILE_WALL);
}

sf::Vector2f openSpot(Zone& zone, std::mt19937& gen)
{
    for (;;) {
        const int x = static_cast<int>(gen() % static_cast<unsigned>(zone.getWidth()));
        const int y = static_cast<int>(gen() % static_cast<unsigned>(zone.getHeight()));
        if (zone.getTile(x, y)->walkable)
            return centreOf(x, y);
    }
}

std::unique_ptr<Zone> crowd(int count)
{
    std::mt19937 gen(11);
    std::srand(1);
    auto zone = std::make_unique<Zone>(0, 64, 64, nullptr);
    scatterWalls(*zone, gen, 10);
    for (int i = 0; i < count; ++i) {
        auto* p = zone->entities.add(std::make_unique<MalePedestrian>(&zone->entities));
        p->position = openSpot(*zone, gen);
    }
    // Settle, so the timed steps are steady wandering rather than the first plans.
    for (int i = 0; i < 30; ++i)
        zone->update(false);
    return zone;
}

void BM_Crowd(benchmark::State& state, bool fast)
{
    auto zone = crowd(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (fast)
            zone->update(false);
        else
            zone->entities.updateAllPairs(*zone, false);
    }
    state.counters["entities"] = static_cast<double>(zone->entities.size());
}

// The player walks a loop around the middle; robbers start along the edges.
std::unique_ptr<Zone> chase(int robbers)
{
    std::mt19937 gen(5);
    std::srand(1);
    auto zone = std::make_unique<Zone>(0, 128, 128, nullptr);
    scatterWalls(*zone, gen, 10);
    auto* player = zone->entities.add(std::make_unique<Player>(&zone->entities));
    player->position = centreOf(64, 64);
    zone->getTile(64, 64)->setType(TILE_FLOOR);
    for (int i = 0; i < robbers; ++i) {
        auto* r = zone->entities.add(std::make_unique<Robber>(&zone->entities));
        const int along = 2 + (i * 123) / std::max(robbers, 1);
        r->position = i % 2 ? centreOf(1, along) : centreOf(along, 1);
    }
    return zone;
}

void steerPlayer(Zone& zone, int frame)
{
    if (Entity* p = zone.entities.get(0)) {
        auto* player = static_cast<Player*>(p);
        const float a = static_cast<float>(frame) * 0.01f;
        player->moveDirection = {std::cos(a), std::sin(a)};
        player->hitPoints = 100;
    }
}

void BM_Chase(benchmark::State& state, bool fast)
{
    auto zone = chase(static_cast<int>(state.range(0)));
    Unit::reusePaths = fast;
    int frame = 0;
    for (auto _ : state) {
        steerPlayer(*zone, frame++);
        if (fast)
            zone->update(false);
        else
            zone->entities.updateAllPairs(*zone, false);
    }
    Unit::reusePaths = true;
}

std::unique_ptr<Zone> searchGround(bool maze)
{
    auto zone = std::make_unique<Zone>(0, 256, 256, nullptr);
    if (maze) {
        // Long walls with one gap each, alternating ends: the way winds through them all.
        for (int x = 3; x < 254; x += 4)
            for (int y = 0; y < 256; ++y)
                if ((x / 4) % 2 ? y != 255 : y != 0)
                    zone->getTile(x, y)->setType(TILE_WALL);
    }
    return zone;
}

void BM_Path(benchmark::State& state, bool maze, bool remembered)
{
    auto zone = searchGround(maze);
    Robber walker(&zone->entities);
    walker.position = centreOf(0, 0);
    std::size_t length = 0;
    walker.findPathReusing(*zone, 255, 255);
    for (auto _ : state) {
        if (remembered)
            walker.findPathReusing(*zone, 255, 255);
        else
            walker.findPath(*zone, 255, 255);
        length = walker.path.size();
    }
    state.counters["waypoints"] = static_cast<double>(length);
}

sf::RenderTexture& drawTarget()
{
    static sf::RenderTexture* target = nullptr;
    if (target == nullptr) {
        target = new sf::RenderTexture();
        target->create(800, 600);
        Presenter::prepareTarget(*target, nullptr);
    }
    return *target;
}

// With walls, the tiles whose images rise above the diamond are walls, as in the game's
// zones; without, the same images lie on floor tiles (the scene measured before walls were
// drawn among the entities).
std::unique_ptr<Zone> drawScene(int count, bool walls)
{
    std::mt19937 gen(9);
    std::srand(1);
    auto zone = std::make_unique<Zone>(0, 128, 128, nullptr);
    const int images = static_cast<int>(ResourceManager::tileTextures.size());
    for (int x = 0; x < 128; ++x)
        for (int y = 0; y < 128; ++y) {
            Tile* tile = zone->getTile(x, y);
            tile->setTexture(static_cast<int>(gen() % static_cast<unsigned>(images)));
            if (walls && ResourceManager::tileTextures[static_cast<std::size_t>(tile->texture)].getSize().y > 64)
                tile->setType(TILE_WALL);
        }
    for (int i = 0; i < count; ++i) {
        EntityManager* m = &zone->entities;
        std::unique_ptr<Entity> e;
        if (i % 4 == 0)
            e = std::make_unique<Doodad>(m, static_cast<int>(gen() % 6));
        else if (i % 4 == 1)
            e = std::make_unique<Robber>(m);
        else
            e = std::make_unique<MalePedestrian>(m);
        e->position = openSpot(*zone, gen);
        zone->entities.add(std::move(e));
    }
    return zone;
}

void BM_Draw(benchmark::State& state, bool fast, bool walls)
{
    auto zone = drawScene(static_cast<int>(state.range(0)), walls);
    sf::RenderTexture& target = drawTarget();
    target.setView(sf::View(sf::Vector2f(0.0f, 64.0f * 64.0f), sf::Vector2f(800.0f, 600.0f)));
    FrameList frame;
    frame.setView(target.getView());
    Painter::Options plain;
    plain.trim = false;
    for (auto _ : state) {
        frame.clear();
        zone->animate();
        if (fast)
            zone->submit(frame, false);
        else
            zone->submitAll(frame, false);
        Painter::paint(frame, target, fast ? Painter::Options() : plain);
        target.display();
        glFinish();
    }
}

// The same scene with the view drifting as it does while the player walks (about a pixel
// and a half a frame, turning back every second), painted as the software back end paints
// a scaled picture: the kept ground and picture with it (fast), or every item whole (plain).
void BM_DrawWalking(benchmark::State& state, bool fast, bool walls, bool ring = true)
{
    GroundRing::enabled = ring;
    auto zone = drawScene(static_cast<int>(state.range(0)), walls);
    sf::RenderTexture& target = drawTarget();
    sf::View view(sf::Vector2f(0.0f, 64.0f * 64.0f), sf::Vector2f(800.0f, 600.0f));
    KeptPicture kept;
    FrameList frame;
    Painter::Options plain;
    plain.trim = false;
    int step = 0, served = 0;
    for (auto _ : state) {
        const float heading = (step++ / 60) % 2 == 0 ? 1.0f : -1.0f;
        view.move(1.37f * heading, 0.61f * heading);
        frame.clear();
        frame.setView(view);
        zone->animate();
        if (fast) {
            zone->submit(frame, false);
            kept.paint(frame, target);
            served += kept.ground().served();
        } else {
            zone->submitAll(frame, false);
            Painter::paint(frame, target, plain);
        }
        target.display();
        glFinish();
    }
    state.counters["ground_kept"] = static_cast<double>(served);
    GroundRing::enabled = true;
}

// The editor's tile overlay on a 1,024 x 1,024 zone: walls one tile in ten, a link out or
// in one in fifty, the view in its middle. Plain: every tile's overlay; fast: the zone's own
// drawInfo, which leaves out what cannot touch the view.
void BM_TileInfo(benchmark::State& state, bool fast)
{
    std::mt19937 gen(17);
    Zone zone(0, 1024, 1024, nullptr);
    scatterWalls(zone, gen, 10);
    for (int i = 0; i < 1024 * 1024 / 50; ++i) {
        Tile* tile = zone.getTile(static_cast<int>(gen() % 1024), static_cast<int>(gen() % 1024));
        tile->setType(i % 2 == 0 ? TILE_LINKOUT : TILE_LINKIN);
        tile->link = i % 4;
    }
    sf::RenderTexture& target = drawTarget();
    target.setView(sf::View(sf::Vector2f(0.0f, 32.0f * 1024.0f), sf::Vector2f(800.0f, 600.0f)));
    FrameList frame;
    frame.setView(target.getView());
    for (auto _ : state) {
        frame.clear();
        if (fast) {
            zone.submitInfo(frame);
        } else {
            for (int x = 0; x < zone.getWidth(); ++x)
                for (int y = 0; y < zone.getHeight(); ++y)
                    zone.getTile(x, y)->submitInfo(frame);
        }
        Painter::paint(frame, target);
        target.display();
        glFinish();
    }
}

std::string scratchDir()
{
    static std::string dir;
    if (dir.empty()) {
        char pattern[] = "/tmp/morvane-bench-XXXXXX";
        dir = mkdtemp(pattern);
        fs::create_directories(dir + "/resources/lvl");
    }
    return dir;
}

std::unique_ptr<Zone> fileScene()
{
    std::mt19937 gen(13);
    auto zone = std::make_unique<Zone>(7, 256, 256, nullptr);
    scatterWalls(*zone, gen, 10);
    for (int i = 0; i < 5000; ++i) {
        EntityManager* m = &zone->entities;
        std::unique_ptr<Entity> e;
        switch (i % 4) {
        case 0: e = std::make_unique<Doodad>(m, static_cast<int>(gen() % 6)); break;
        case 1: e = std::make_unique<Robber>(m); break;
        case 2: e = std::make_unique<MalePedestrian>(m); break;
        default: {
            auto t = std::make_unique<Trigger>(m, 20.0f, 1, true, 1);
            t->addEvent();
            t->events[0].dialogLines.push_back(DialogLine{"Hold it right there.", 1, 0});
            e = std::move(t);
        }
        }
        e->position = openSpot(*zone, gen);
        zone->entities.add(std::move(e));
    }
    return zone;
}

void BM_File(benchmark::State& state, bool save)
{
    const std::string back = fs::current_path().string();
    fs::current_path(scratchDir());
    auto zone = fileScene();
    zone->save();
    // The loader reports each file on standard output; keep the table readable.
    std::fflush(stdout);
    const int kept = dup(1);
    std::FILE* sink = std::fopen("/dev/null", "w");
    if (sink != nullptr)
        dup2(fileno(sink), 1);
    for (auto _ : state) {
        if (save) {
            zone->save();
        } else {
            auto loaded = std::make_unique<Zone>(0, 1, 1, nullptr);
            loaded->load(7);
            benchmark::DoNotOptimize(loaded->entities.size());
            // Tearing the zone down again is not part of loading it.
            state.PauseTiming();
            loaded.reset();
            state.ResumeTiming();
        }
    }
    std::fflush(stdout);
    dup2(kept, 1);
    close(kept);
    if (sink != nullptr)
        std::fclose(sink);
    fs::current_path(back);
}

// Presenting an empty frame (the picture cleared) in a window of the given size, wall
// clock, until it is on the window (the X server's share of the work counts): the
// processor's way (third argument 0: at 800 x 600 the buffer swap alone, elsewhere read
// back, scaled and put through shared memory) or the renderer's quad (1).
void BM_Present(benchmark::State& state)
{
    sf::RenderWindow window;
    Presenter::createWindow(window, sf::VideoMode(static_cast<unsigned>(state.range(0)),
                                                  static_cast<unsigned>(state.range(1)), 32),
                            sf::Style::Default);
    std::unique_ptr<Presenter> presenter;
    if (state.range(2) == 0)
        presenter = std::make_unique<ProcessorPresenter>(window);
    else
        presenter = std::make_unique<QuadPresenter>(window);
    window.setVerticalSyncEnabled(false);
    presenter->prepare();
    const FrameList empty;
    for (auto _ : state) {
        presenter->present(empty);
        glFinish();
        // The server's copy, which the game overlaps with its next frame, counted here too.
        presenter->finish();
    }
    state.counters["direct"] = presenter->wasPutDirectly() ? 1 : 0;
}

// What a frame costs with nothing in it: clearing and finishing the 800 x 600 target.
void BM_EmptyFrame(benchmark::State& state)
{
    sf::RenderTexture& target = drawTarget();
    for (auto _ : state) {
        target.clear();
        target.display();
        glFinish();
    }
}

// Collects the median of each run so the closing table can set fast beside plain.
class TableReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians[run.run_name.function_name + (run.run_name.args.empty() ? "" : "/") + run.run_name.args] =
                    run.GetAdjustedRealTime();
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-34s %14s %14s %9s\n", "scenario (median)", "plain ms", "fast ms", "ratio");
        for (const auto& entry : medians) {
            const std::string& name = entry.first;
            const std::size_t at = name.find("/fast");
            if (at == std::string::npos)
                continue;
            const std::string scenario = name.substr(0, at) + name.substr(at + 5);
            const auto plain = medians.find(name.substr(0, at) + "/plain" + name.substr(at + 5));
            if (plain == medians.end()) {
                std::printf("%-34s %14s %14.4f %9s\n", scenario.c_str(), "-", entry.second, "-");
                continue;
            }
            std::printf("%-34s %14.4f %14.4f %8.1fx\n", scenario.c_str(), plain->second, entry.second,
                        plain->second / entry.second);
        }
    }

private:
    std::map<std::string, double> medians; // milliseconds
};

} // namespace

// Each scenario: a fixed number of iterations, five repetitions, medians reported.
BENCHMARK_CAPTURE(BM_Crowd, fast, true)->Arg(250)->Arg(1000)->Arg(4000)->Iterations(100)->Repetitions(5)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Crowd, plain, false)->Arg(250)->Arg(1000)->Arg(4000)->Iterations(2)->Repetitions(3)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Chase, fast, true)->Arg(10)->Arg(50)->Iterations(300)->Repetitions(5)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Chase, plain, false)->Arg(10)->Arg(50)->Iterations(300)->Repetitions(3)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Path, open/fast, false, false)->Iterations(50)->Repetitions(5)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Path, maze/fast, true, false)->Iterations(20)->Repetitions(5)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Path, remembered/fast, false, true)->Iterations(1000)->Repetitions(5)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Draw, fast, true, false)->Arg(1000)->Arg(0)->Iterations(100)->Repetitions(5)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Draw, plain, false, false)->Arg(1000)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Draw, walls/fast, true, true)->Arg(1000)->Arg(0)->Iterations(100)->Repetitions(5)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Draw, walls/plain, false, true)->Arg(1000)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawWalking, fast, true, false)->Arg(1000)->Arg(0)->Iterations(100)->Repetitions(5)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawWalking, fast/no_ring, true, false, false)->Arg(1000)->Arg(0)->Iterations(100)->Repetitions(5)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawWalking, plain, false, false)->Arg(1000)->Iterations(5)->Repetitions(3)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawWalking, walls/fast, true, true)->Arg(1000)->Arg(0)->Iterations(100)->Repetitions(5)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawWalking, walls/plain, false, true)->Arg(1000)->Iterations(5)->Repetitions(3)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TileInfo, fast, true)->Iterations(100)->Repetitions(5)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TileInfo, plain, false)->Iterations(2)->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_File, save/fast, true)->Iterations(5)->Repetitions(5)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_File, load/fast, false)->Iterations(5)->Repetitions(5)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyFrame)->Iterations(100)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Present)->Args({800, 600, 0})->Args({1280, 720, 0})->Args({1920, 1080, 0})->Args({1280, 720, 1})
    ->Args({1920, 1080, 1})->Iterations(100)->Repetitions(5)->UseRealTime()->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

// Present only in sanitizer builds.
extern "C" __attribute__((weak)) void __lsan_do_leak_check();

void registerCacheBenchmarks();
void registerSilhouetteBenchmarks();
void registerPacedBenchmarks();

namespace {

int runBenchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--caches")
            registerCacheBenchmarks();
        else if (std::string(argv[i]) == "--silhouettes")
            registerSilhouetteBenchmarks();
        else if (std::string(argv[i]) == "--paced")
            registerPacedBenchmarks();
    // Resources load from the repository, as the game loads them from its working directory.
    if (const char* root = std::getenv("MORVANE_ROOT"))
        fs::current_path(root);
    else
        fs::current_path(MORVANE_SOURCE_DIR);
    if (!ResourceManager::loadResources()) {
        std::fprintf(stderr, "resources could not be loaded\n");
        return 1;
    }
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    ResourceManager::unloadResources();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Kept through the leak check: the GL driver is unloaded with the last context, and
    // what it keeps for the process would then look lost.
    sf::Context context;
    const int status = runBenchmarks(argc, argv);
    // As in the game: the leak check here, not at exit, where it races the GL and audio
    // threads being torn down and counts their blocks.
    if (__lsan_do_leak_check)
        __lsan_do_leak_check();
    return status;
}
