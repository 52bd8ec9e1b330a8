// Zone packs as a player meets them: F2 listing a hundred installed packs, half of them
// .zip files, and a street loaded from a .zip against the same street from a folder.
#include "play/packmenu.h"
#include "world/levelfolder.h"
#include "world/pack.h"
#include "world/packarchive.h"
#include "world/zone.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const int PACKS = 100;
// The street the load is timed on: the shipped zone 1, a 32 x 32 street with its people.
const int STREET = 1;

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
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
    return files;
}

// The packs folder: even numbers folders, odd ones .zip files. Made once.
const std::string& packsFolder()
{
    static std::string dir;
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

// One street loaded as the game loads it on arrival, from a folder pack and from the same
// pack as a .zip by turns, each timed on its own so that both meet the same machine.
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
            zone->load(STREET);
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
BENCHMARK(BM_PackZoneLoad)->Iterations(50)->Repetitions(5)->UseManualTime()->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
