// Zone packs as a player meets them: F2 listing a hundred installed packs, half of them
// .zip files, and a zone loaded from a .zip against the same zone from a folder (a shipped
// street, and the largest kind a designer makes).
#include "play/packmenu.h"
#include "world/levelfolder.h"
#include "world/pack.h"
#include "world/kinds.h"
#include "world/packarchive.h"
#include "world/zone.h"
#include "world/zonefile.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const int PACKS = 100;
// The zones the load is timed on: the shipped zone 1, a street with its people, and a
// 256 x 256 zone of mixed ground with 3,000 people, in the first two packs only.
const int STREET = 1;
const int BIG = 9;

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

std::string bigZone()
{
    std::mt19937 gen(5);
    zonefile::ZoneData z;
    z.id = BIG;
    z.name = "The estate";
    z.width = z.height = 256;
    z.tiles.resize(static_cast<std::size_t>(z.width * z.height));
    for (zonefile::TileRecord& t : z.tiles)
        t.texture = static_cast<int32_t>(gen() % 8);
    for (int i = 0; i < 3000; ++i) {
        zonefile::EntityRecord e;
        e.type = KindTypes::TYPE_MALE_PEDESTRIAN;
        e.id = i + 1;
        e.x = static_cast<float>(gen() % (256 * 32));
        e.y = static_cast<float>(gen() % (256 * 32));
        e.radius = 16.f;
        z.entities.push_back(e);
    }
    return zonefile::encode(z);
}

// A pack of the four shipped zones under its own name.
Pack::Files shippedPack(int number)
{
    PackInfo info;
    info.name = "Pack " + std::to_string(number);
    info.author = "Bench";
    info.description = "The shipped streets once more.";
    info.start = 0;
    info.ending = 3;
    Pack::Files files{{PackInfo::FILE_NAME, info.toText()}};
    for (int zone = 0; zone < 4; ++zone)
        files.emplace_back(Pack::zoneFileName(zone), readAll("resources/lvl/" + Pack::zoneFileName(zone)));
    if (number < 2)
        files.emplace_back(Pack::zoneFileName(BIG), bigZone());
    return files;
}

// The packs folder: even numbers folders, odd ones .zip files. Made once, removed at exit.
const std::string& packsFolder()
{
    static struct Scratch {
        std::string dir;
        ~Scratch()
        {
            std::error_code ignored;
            if (!dir.empty())
                fs::remove_all(dir, ignored);
        }
    } scratch;
    std::string& dir = scratch.dir;
    if (!dir.empty())
        return dir;
    char pattern[] = "/tmp/morvane-packs-XXXXXX";
    dir = std::string(mkdtemp(pattern)) + "/";
    for (int n = 0; n < PACKS; ++n) {
        const Pack::Files files = shippedPack(n);
        std::string why, zip;
        const std::string name = dir + "pack" + std::to_string(n);
        if (n % 2 == 0) {
            Pack::makeFolder(name, files, why);
        } else if (PackArchive::make(files, zip, why)) {
            std::ofstream(name + Pack::ARCHIVE_EXTENSION, std::ios::binary) << zip;
        }
        if (!why.empty())
            std::fprintf(stderr, "%s: %s\n", name.c_str(), why.c_str());
    }
    return dir;
}

// What F2 does: the installed packs looked through, each opened and checked.
void BM_PackList(benchmark::State& state)
{
    const std::string& folder = packsFolder();
    PackMenu menu;
    for (auto _ : state) {
        menu.open(folder, {});
        benchmark::DoNotOptimize(menu.getLines().size());
    }
    state.counters["packs"] = static_cast<double>(menu.getLines().size() - 1);
}

// One zone loaded as the game loads it on arrival, from a folder pack and from the same
// pack as a .zip by turns, each timed on its own so that both meet the same machine.
// Argument: the zone.
void BM_PackZoneLoad(benchmark::State& state)
{
    const std::string& folder = packsFolder();
    Pack inFolder, inZip;
    std::string why;
    if (!inFolder.open(folder + "pack0", why) || !inZip.open(folder + "pack1.zip", why)) {
        state.SkipWithError(why.c_str());
        return;
    }
    // The loader reports on standard output; keep the table readable.
    std::fflush(stdout);
    const int kept = dup(1);
    std::FILE* sink = std::fopen("/dev/null", "w");
    if (sink != nullptr)
        dup2(fileno(sink), 1);
    double folderSeconds = 0, zipSeconds = 0;
    std::size_t entities = 0;
    for (auto _ : state) {
        double took[2] = {0, 0};
        for (int from = 0; from < 2; ++from) {
            LevelFolder::usePack(from == 0 ? inFolder : inZip);
            auto zone = std::make_unique<Zone>(0, 1, 1, nullptr);
            const auto begin = std::chrono::steady_clock::now();
            zone->load(static_cast<int>(state.range(0)));
            took[from] = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
            entities = zone->entities.size();
        }
        folderSeconds += took[0];
        zipSeconds += took[1];
        state.SetIterationTime(took[0] + took[1]);
    }
    const double loads = static_cast<double>(state.iterations());
    state.counters["folder_ms"] = 1000.0 * folderSeconds / loads;
    state.counters["zip_ms"] = 1000.0 * zipSeconds / loads;
    state.counters["zip_per_folder"] = zipSeconds / folderSeconds;
    state.counters["entities"] = static_cast<double>(entities);
    std::fflush(stdout);
    dup2(kept, 1);
    close(kept);
    if (sink != nullptr)
        std::fclose(sink);
    LevelFolder::usePack(Pack::builtIn());
}

} // namespace

BENCHMARK(BM_PackList)->Iterations(20)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackZoneLoad)->Arg(STREET)->Arg(BIG)->Iterations(20)->Repetitions(5)->UseManualTime()->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
