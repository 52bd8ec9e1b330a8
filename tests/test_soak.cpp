// A long run of the real frame loop on the shipped levels with random input: walking,
// punching, kicking, dialogs, held R, zone changes and editor round trips. Under the
// sanitizers it runs 20,000 frames; elsewhere a shorter stretch. Once the scene is steady
// neither the entities nor the live heap may keep growing.
//
// The heap is the allocator's count of bytes handed out and not yet freed (the sanitizer's
// counter, or malloc's in-use bytes), not the resident size, which also holds memory that
// was freed but kept by the allocator or the sanitizer's quarantine.

#include "world/entity.h"
#include "core/globals.h"
#include "core/input.h"
#include "app/mainloop.h"
#include "characters/player.h"
#include "world/resourcemanager.h"
#include "render/state.h"
#include "play/stategame.h"
#include "testsupport.h"
#include "world/tile.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <random>
#include <set>
#include <string>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MORVANE_SOAK_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define MORVANE_SOAK_ASAN 1
#endif
#ifdef MORVANE_SOAK_ASAN
// From the sanitizer runtime; gcc ships no header for it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

std::size_t liveHeapBytes()
{
#ifdef MORVANE_SOAK_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd; // large blocks are mapped apart from the arenas
#endif
}

int soakFrames()
{
    if (const char* frames = std::getenv("MORVANE_SOAK_FRAMES"))
        return std::atoi(frames);
#ifdef MORVANE_SOAK_ASAN
    return 20000;
#else
    return 6000;
#endif
}

const int TRANSIENT_EFFECTS = 8;
// What the live heap may swing by between two stretches of steady play: which zones are
// loaded, a few pedestrians and effects, the font's glyph pages. A leak of a zone per zone
// change or of a few hundred bytes per frame goes well past it.
const std::size_t HEAP_SLACK = std::size_t(1) << 20;

sf::Event keyEvent(sf::Keyboard::Key code)
{
    sf::Event event{};
    event.type = sf::Event::KeyPressed;
    event.key.code = code;
    return event;
}

class Soak {
public:
    explicit Soak(int totalFrames) : total(totalFrames), random(20261207)
    {
        window = &testsupport::window();
        window->setView(window->getDefaultView());
        input::setSource(&script);
        table = createStates(window);
        states = table->get();
        states[current]->enter();
        game = static_cast<StateGame*>(states[STATE_GAME]);
    }
    ~Soak()
    {
        input::setSource(nullptr);
        states[current]->leave();
        table.reset();
        ResourceManager::music().stop();
    }

    void run()
    {
        // R is held only in the first half; the second half must reach a steady state. The
        // heap peaks of the third and last quarters are compared.
        const int lastSpawn = total / 2;
        const int firstCheck = total * 3 / 4;
        for (frame = 0; frame < total && window->isOpen(); ++frame) {
            if (frame % 20 == 0)
                chooseInput(frame < lastSpawn);
            if (frame % 400 == 200)
                crossLink();
            if (frame % 2500 == 1200)
                editorRoundTrip();
            step();
            if (frame == firstCheck)
                checkpoint(firstEntities, firstHeap);
            if (frame >= lastSpawn && frame % 20 == 10)
                sampleHeap(frame < firstCheck ? earlierPeak : laterPeak);
        }
        checkpoint(lastEntities, lastHeap);
    }

    int total;
    int frame = 0;
    int firstEntities = 0, lastEntities = 0;
    std::size_t firstHeap = 0, lastHeap = 0;
    std::size_t earlierPeak = 0, laterPeak = 0;
    int zoneChanges = 0, editorTrips = 0, spawned = 0;

private:
    // As the game's own loop. Without display() the GL driver never ends a frame and keeps
    // every frame's drawing queued: the heap then grows by hundreds of KB a frame.
    void step()
    {
        pumpEvents(states, &current, window);
        window->clear();
        stepState(states, &current, window);
        window->display();
    }

    static void sampleHeap(std::size_t& peak) { peak = std::max(peak, liveHeapBytes()); }

    bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(random) < p; }
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    void toggle(sf::Keyboard::Key key, bool down) { down ? script.press(key) : script.release(key); }
    void toggle(sf::Mouse::Button button, bool down) { down ? script.press(button) : script.release(button); }

    void chooseInput(bool mayHoldR)
    {
        script.setMouse(sf::Vector2i(pick(0, 799), pick(0, 599)));
        toggle(sf::Mouse::Left, chance(0.6));
        toggle(sf::Mouse::Right, chance(0.3));
        toggle(sf::Keyboard::Z, chance(0.1));
        toggle(sf::Keyboard::Return, chance(0.5));
        if (chance(0.05))
            script.queueEvent(keyEvent(sf::Keyboard::D));
        const bool holdR = mayHoldR && chance(0.04);
        toggle(sf::Keyboard::R, holdR);
        if (holdR)
            spawned += 20;
    }

    // Stands the player on a way out of its zone, if it has one, and lets the fade run.
    void crossLink()
    {
        Zone* zone = game->getZone();
        Player* player = game->getPlayer();
        if (current != STATE_GAME || !zone || !player || game->getScriptHandler().isRunning())
            return;
        for (int x = 0; x < zone->getWidth(); ++x) {
            for (int y = 0; y < zone->getHeight(); ++y) {
                if (zone->getTile(x, y)->type == TILE_LINKOUT) {
                    player->position = sf::Vector2f(x * TILE_SIZE + TILE_SIZE / 2, y * TILE_SIZE + TILE_SIZE / 2);
                    ++zoneChanges;
                    return;
                }
            }
        }
    }

    void pressF12()
    {
        script.release(sf::Keyboard::F12);
        step();
        ++frame;
        script.press(sf::Keyboard::F12);
        step();
        ++frame;
        script.release(sf::Keyboard::F12);
    }

    // Into the editor, some painting and commands, and back.
    void editorRoundTrip()
    {
        script.releaseAll();
        pressF12();
        if (current != STATE_EDITOR)
            return;
        ++editorTrips;
        script.queueEvent(keyEvent(sf::Keyboard::Tilde));
        for (sf::Keyboard::Key key : {sf::Keyboard::L, sf::Keyboard::O, sf::Keyboard::A, sf::Keyboard::D,
                                      sf::Keyboard::Space, sf::Keyboard::Num1, sf::Keyboard::Return})
            script.queueEvent(keyEvent(key));
        script.queueEvent(keyEvent(sf::Keyboard::Tilde));
        script.press(sf::Mouse::Left);
        for (int i = 0; i < 30; ++i, ++frame) {
            script.setMouse(sf::Vector2i(pick(200, 600), pick(150, 450)));
            step();
        }
        script.releaseAll();
        pressF12();
        // The painting is unsaved: the editor asks, and n drops it.
        if (current == STATE_EDITOR) {
            script.queueEvent(keyEvent(sf::Keyboard::N));
            step();
            ++frame;
            step();
            ++frame;
        }
    }

    // Entities of the zones already visited at the first checkpoint: a zone seen for the
    // first time later brings its own.
    void checkpoint(int& entities, std::size_t& heap)
    {
        if (steadyZones.empty())
            for (const auto& entry : game->getZones())
                steadyZones.insert(entry.first);
        entities = 0;
        for (const auto& entry : game->getZones())
            if (steadyZones.count(entry.first))
                entities += static_cast<int>(entry.second->entities.size());
        heap = liveHeapBytes();
        zonesSeen = static_cast<int>(game->getZones().size());
    }

public:
    std::set<int> steadyZones;
    int zonesSeen = 0;

private:

    sf::RenderWindow* window = nullptr;
    input::ScriptedSource script;
    std::unique_ptr<StateTable> table;
    State** states = nullptr;
    int current = STATE_GAME;
    StateGame* game = nullptr;
    std::mt19937 random;
};

TEST(Soak, LongRandomPlayKeepsEntitiesAndLiveHeapFlatOnceSteady)
{
    testsupport::loadRepoResources();
    const int frames = soakFrames();
    testing::internal::CaptureStdout();
    Soak soak(frames);
    soak.run();
    testing::internal::GetCapturedStdout();

    EXPECT_GE(soak.frame, frames);
    EXPECT_GT(soak.zoneChanges, 0);
    EXPECT_GT(soak.editorTrips, 0);
    EXPECT_GT(soak.spawned, 0);
    // No R in the late stretch: pedestrians may die, nothing may pile up beyond the few
    // blows and dust puffs alive at either moment.
    EXPECT_LE(soak.lastEntities, soak.firstEntities + TRANSIENT_EFFECTS);
    // The leak checker finds what is unreachable; this finds what stays reachable and piles up.
    EXPECT_LE(soak.laterPeak, soak.earlierPeak + HEAP_SLACK)
        << "the live heap's peak grew by " << (soak.laterPeak - soak.earlierPeak) / 1024
        << " KB from the third quarter of the run to the last";
    const long long growth = static_cast<long long>(soak.laterPeak) - static_cast<long long>(soak.earlierPeak);
    RecordProperty("heap_peak_growth_bytes", std::to_string(growth));
    std::printf("soak: %d frames, %d zone changes, %d editor trips, %d zones, entities %d -> %d, heap %zu -> %zu, "
                "peaks %zu -> %zu\n",
                soak.frame, soak.zoneChanges, soak.editorTrips, soak.zonesSeen, soak.firstEntities,
                soak.lastEntities, soak.firstHeap, soak.lastHeap, soak.earlierPeak, soak.laterPeak);
}

} // namespace
