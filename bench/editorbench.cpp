// The editor's undo history on the biggest zone a file may hold: a resize of a 1024 x 1024
// zone with 5,000 entities undone and redone, and what 200 paint strokes of history cost.
#include "characters/doodad.h"
#include "characters/malepedestrian.h"
#include "editor/edithistory.h"
#include "play/trigger.h"
#include "world/resourcemanager.h"
#include "world/tile.h"
#include "world/zone.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <memory>
#include <random>

namespace {

const int SIDE = 1024;
const int ENTITIES = 5000;
const int STROKES = 200;
// A paint stroke covers one tile per frame under the mouse: ten seconds of dragging.
const int STROKE_TILES = 600;

std::unique_ptr<Zone> bigZone()
{
    std::mt19937 gen(3);
    auto zone = std::make_unique<Zone>(9, SIDE, SIDE, nullptr);
    const int images = static_cast<int>(ResourceManager::tileTextures.size());
    for (int x = 0; x < SIDE; ++x)
        for (int y = 0; y < SIDE; ++y)
            zone->getTile(x, y)->setTexture(static_cast<int>(gen() % static_cast<unsigned>(images)));
    for (int i = 0; i < ENTITIES; ++i) {
        EntityManager* m = &zone->entities;
        std::unique_ptr<Entity> e;
        if (i % 3 == 0) {
            e = std::make_unique<Doodad>(m, i % Doodad::PROP_COUNT);
        } else if (i % 3 == 1) {
            e = std::make_unique<MalePedestrian>(m);
        } else {
            auto t = std::make_unique<Trigger>(m, 20.0f, 1, true, 1);
            t->addEvent();
            t->events[0].dialogLines.push_back(DialogLine{"Hold it right there.", 1, 0});
            e = std::move(t);
        }
        e->position = sf::Vector2f(static_cast<float>(gen() % (SIDE * 32)), static_cast<float>(gen() % (SIDE * 32)));
        zone->entities.add(std::move(e));
    }
    return zone;
}

double megabytes(std::size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

// The plain way: every step a copy of the zone's bytes, undone by loading the copy.
void undoByCopies(benchmark::State& state)
{
    auto zone = bigZone();
    const std::string before = zone->encode();
    zone->resize(2048, 512);
    std::string why;
    for (auto _ : state) {
        zone->loadBytes(before, why);
        state.PauseTiming();
        zone->resize(2048, 512);
        state.ResumeTiming();
    }
    state.counters["history_MB"] = megabytes(before.size());
}

// undo true: times the undo of the resize, the redo untimed; false: the other way round.
void BM_HistoryResize(benchmark::State& state, bool undo, bool copies)
{
    if (copies) {
        undoByCopies(state);
        return;
    }
    std::unique_ptr<Zone> zone = bigZone();
    int source = zone->id;
    EditHistory history;
    history.begin(*zone, "resize 2048 512");
    history.open()->noteResize(*zone, 2048, 512);
    zone->resize(2048, 512);
    history.end(*zone);
    std::string label;
    for (auto _ : state) {
        if (!undo) {
            state.PauseTiming();
            history.undo(zone, source, label);
            state.ResumeTiming();
            history.redo(zone, source, label);
        } else {
            history.undo(zone, source, label);
            state.PauseTiming();
            history.redo(zone, source, label);
            state.ResumeTiming();
        }
    }
    state.counters["history_MB"] = megabytes(history.bytes());
    history.clear();
}

// 200 strokes of 600 tiles each, recorded as the editor records them; the history's own
// count and what the heap grew by.
void BM_HistoryStrokes(benchmark::State& state)
{
    auto zone = bigZone();
    std::mt19937 gen(8);
    const int images = static_cast<int>(ResourceManager::tileTextures.size());
    for (auto _ : state) {
        EditHistory history;
        const std::size_t heapBefore = mallinfo2().uordblks;
        for (int s = 0; s < STROKES; ++s) {
            history.begin(*zone, "paint %d tile", "paint %d tiles");
            int x = static_cast<int>(gen() % (SIDE - STROKE_TILES));
            const int y = static_cast<int>(gen() % SIDE);
            const int brush = static_cast<int>(gen() % static_cast<unsigned>(images));
            for (int t = 0; t < STROKE_TILES; ++t, ++x) {
                Tile* tile = zone->getTile(x, y);
                history.open()->noteTile(*tile);
                tile->setTexture(brush);
            }
            history.end(*zone);
        }
        const std::size_t heapAfter = mallinfo2().uordblks;
        state.counters["steps"] = static_cast<double>(history.undoCount());
        state.counters["history_MB"] = megabytes(history.bytes());
        state.counters["heap_MB"] = heapAfter > heapBefore ? megabytes(heapAfter - heapBefore) : 0.0;
    }
    // What copies of the zone, one per stroke, would have held.
    state.counters["copies_MB"] = megabytes(zone->encode().size() * STROKES);
}

} // namespace

BENCHMARK_CAPTURE(BM_HistoryResize, undo/fast, true, false)->Iterations(10)->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HistoryResize, redo/fast, false, false)->Iterations(10)->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HistoryResize, undo/plain, true, true)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryStrokes)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
