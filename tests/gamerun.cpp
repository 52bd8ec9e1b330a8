#include "gamerun.h"

#include "app/mainloop.h"
#include "app/statetable.h"
#include "characters/player.h"
#include "core/globals.h"
#include "render/state.h"
#include "play/stategame.h"
#include "render/presenter.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/Event.hpp>
#include <cinttypes>
#include <cmath>
#include <cstdio>

GameRun::GameRun(sf::RenderWindow& windowIn)
    : recorder(script), window(windowIn), table(createStates(&windowIn)), states(table->get()), currentState(STATE_GAME)
{
    input::setSource(&recorder);
    game().setWatch(&recorder);
}

GameRun::~GameRun()
{
    if (currentState != STATE_QUIT)
        states[currentState]->leave();
    recorder.finish();
    game().setWatch(nullptr);
    input::setSource(nullptr);
}

void GameRun::start()
{
    restartRandom();
    currentState = STATE_GAME;
    states[currentState]->enter();
}

void GameRun::frame()
{
    pumpEvents(states, &currentState, &window);
    stepState(states, &currentState, &window);
}

void GameRun::frames(int count)
{
    for (int i = 0; i < count; ++i)
        frame();
}

void GameRun::tell(sf::Keyboard::Key code)
{
    sf::Event event{};
    event.type = sf::Event::KeyPressed;
    event.key.code = code;
    script.queueEvent(event);
}

void GameRun::tap(sf::Keyboard::Key code)
{
    tell(code);
    script.press(code);
    frame();
    script.release(code);
}

void GameRun::quit()
{
    script.press(sf::Keyboard::Escape);
    frame();
    script.release(sf::Keyboard::Escape);
    states[currentState]->leave();
    currentState = STATE_QUIT;
    recorder.finish();
    if (!window.isOpen()) {
        Presenter::createWindow(window);
        window.setFramerateLimit(0);
        window.setVisible(false);
    }
}

StateGame& GameRun::game() const { return static_cast<StateGame&>(*states[STATE_GAME]); }

Played playUnseen(sf::RenderWindow& window, const replayfile::Replay& replay, const std::string& name,
                  bool assistSetting)
{
    std::unique_ptr<StateTable> table = createStates(&window);
    State** states = table->get();
    static_cast<StateGame*>(states[STATE_GAME])->setAssist(assistSetting);
    Played result{Playback::Outcome::PLAYING, 0, 0};
    {
        Playback playback(static_cast<StateGame&>(*states[STATE_GAME]), replay, name);
        FrameList first;
        playback.begin(first);
        while (playback.stepUnseen() == Playback::Outcome::PLAYING) {
        }
        result = Played{playback.outcome(), playback.played(), playback.checksMatched()};
        playback.end();
    }
    return result;
}

bool robberWithin(const StateGame& game, float reach)
{
    const Player& player = *game.getPlayer();
    for (const auto& entry : game.getZone()->entities)
        if (entry.second->getType() == Entity::TYPE_ROBBER
            && std::hypot(entry.second->position.x - player.position.x, entry.second->position.y - player.position.y) < reach)
            return true;
    return false;
}

std::string checkpointList(const replayfile::Replay& replay)
{
    std::string text;
    auto line = [&](int frame, std::uint64_t hash) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "after frame %d: %016" PRIx64 "\n", frame, hash);
        text += buffer;
    };
    replayfile::Reader reader(replay.body);
    replayfile::Frame frame;
    for (int played = 0; reader.next(frame); ++played)
        if (frame.checked)
            line(played, frame.check);
    if (reader.hasFinalCheck())
        line(reader.framesRead(), reader.finalCheck());
    return text;
}
