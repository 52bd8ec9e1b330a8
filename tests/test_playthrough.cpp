// The whole game, played by a bot on the shipped zones and art: from the home street
// through both streets to the shop, its robbers, the closing lines and the fade to black.

#include "core/input.h"
#include "app/mainloop.h"
#include "characters/player.h"
#include "playbot.h"
#include "play/scripthandler.h"
#include "core/state.h"
#include "play/stategame.h"
#include "testsupport.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <vector>

namespace {

// About three times what the bot needs, so art or balance changes do not break it,
// while a stuck bot still fails in well under a minute.
const int FRAME_BUDGET = 24000;

struct Journey {
    std::vector<int> zonesEntered;
    std::set<int> zonesWithDialog;
    std::vector<int> hitPointsOnArrival;
    bool closingLinesShown = false;
    bool fadedOut = false;
    int frames = 0;
    int hitPointsLeft = 0;
};

Journey playThrough()
{
    Journey run;
    testsupport::loadRepoResources();
    input::ScriptedSource script;
    input::setSource(&script);
    sf::RenderWindow& window = testsupport::window();
    // Views keep their 800 x 600 coordinates, so play is the same; a small back buffer
    // only spares the software renderer most of its pixels.
    const sf::Vector2u fullSize = window.getSize();
    window.setSize(sf::Vector2u(200, 150));
    State** states = createStates(&window);
    int current = STATE_GAME;
    states[current]->enter();
    const StateGame& game = static_cast<const StateGame&>(*states[STATE_GAME]);
    playbot::Bot bot(script, window);

    for (run.frames = 0; run.frames < FRAME_BUDGET && current == STATE_GAME; ++run.frames) {
        const Zone* zone = game.getZone();
        if (run.zonesEntered.empty() || run.zonesEntered.back() != zone->id) {
            run.zonesEntered.push_back(zone->id);
            run.hitPointsOnArrival.push_back(game.getPlayer()->hitPoints);
        }
        const ScriptHandler& scripts = game.getScriptHandler();
        if (scripts.isBoxVisible()) {
            run.zonesWithDialog.insert(zone->id);
            const auto& queue = scripts.getQueue();
            if (game.isEnding() && !queue.empty() && !queue.front().dialogLines.empty()
                && queue.front().dialogLines.front().text == "Wow.")
                run.closingLinesShown = true;
        }
        if (game.isEnding() && !scripts.isRunning() && game.getFadeOutTimer() == 0) {
            run.fadedOut = true;
            break;
        }
        if (game.getPlayer()->defeated)
            break;
        bot.decide(game);
        pumpEvents(states, &current, &window);
        window.clear();
        stepState(states, &current, &window);
        // As the game's loop does: an unfinished frame keeps all its drawing queued.
        window.display();
    }
    run.hitPointsLeft = game.getPlayer()->hitPoints;

    input::setSource(nullptr);
    states[current]->leave();
    destroyStates(states);
    window.setSize(fullSize);
    return run;
}

TEST(Playthrough, BotWalksFromHomeThroughTheStreetsAndClearsTheShop)
{
    const Journey run = playThrough();
    std::printf("playthrough: %d frames, hit points on arrival:", run.frames);
    for (int hp : run.hitPointsOnArrival)
        std::printf(" %d", hp);
    std::printf(", left %d\n", run.hitPointsLeft);

    EXPECT_EQ(run.zonesEntered, (std::vector<int>{0, 1, 2, 3})) << "a zone was unreachable or left backwards";
    EXPECT_EQ(run.zonesWithDialog, (std::set<int>{0, 1, 2, 3})) << "every zone has its scene";
    EXPECT_TRUE(run.closingLinesShown);
    EXPECT_TRUE(run.fadedOut) << "the game was not finished within " << FRAME_BUDGET << " frames";
    EXPECT_GT(run.hitPointsLeft, 0) << "the fights are too hard for a plain bot";
}

} // namespace
