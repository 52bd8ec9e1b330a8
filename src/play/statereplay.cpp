#include "play/statereplay.h"

#include <SFML/System/Clock.hpp>
#include <SFML/Window/Event.hpp>
#include <cstdio>

namespace {
std::string clock(int frames)
{
    const int seconds = frames / 60;
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
    return text;
}

// The speed a key asks for; 0 for any other key.
int speedKey(sf::Keyboard::Key key)
{
    switch (key) {
    case sf::Keyboard::Num1:
    case sf::Keyboard::Numpad1: return 1;
    case sf::Keyboard::Num2:
    case sf::Keyboard::Numpad2: return 2;
    case sf::Keyboard::Num4:
    case sf::Keyboard::Numpad4: return 4;
    case sf::Keyboard::Num8:
    case sf::Keyboard::Numpad8: return 8;
    default: return 0;
    }
}
} // namespace

StateReplay::StateReplay(sf::RenderWindow* targetWindow, State** stateTable, StateGame& game,
                         const replayfile::Replay& replay, const std::string& name)
    : State(targetWindow, stateTable), playback(game, replay, name)
{
}

void StateReplay::enter() { playback.begin(*frame); }

void StateReplay::leave() { playback.end(); }

void StateReplay::handleEvent(const sf::Event& event)
{
    if (event.type != sf::Event::KeyPressed)
        return;
    const sf::Keyboard::Key key = event.key.code;
    if (key == sf::Keyboard::Escape)
        quitAsked = true;
    else if (key == sf::Keyboard::Space && paused)
        paused = holding = false;
    else if (key == sf::Keyboard::Space)
        pauseAsked = true;
    else if (key == sf::Keyboard::Right && paused)
        stepAsked = true;
    else if (speedKey(key) != 0)
        speed = speedKey(key);
}

int StateReplay::update()
{
    // A divergence holds the picture until the player has seen it and quits.
    if (quitAsked || playback.outcome() == Playback::Outcome::ENDED)
        return STATE_QUIT;
    return STATE_GAME;
}

int StateReplay::status() const { return playback.outcome() == Playback::Outcome::DIVERGED ? STATUS_DIVERGED : 0; }

bool StateReplay::fastForwarding() const { return playback.played() < playback.frames() - WATCHED_FRAMES; }

void StateReplay::draw()
{
    const bool moving = playback.outcome() == Playback::Outcome::PLAYING && (!paused || stepAsked);
    if (moving && fastForwarding()) {
        fastForward();
    } else if (moving) {
        play();
        stepAsked = false;
    } else if (holding) {
        showHeld();
    }
    if (playback.outcome() == Playback::Outcome::DIVERGED && !holding) {
        // The world stands where it went astray; drawn once more, it is shown from then on.
        playback.show(*frame);
        hold();
    }
    if (pauseAsked && !paused) {
        paused = true;
        hold();
    }
    pauseAsked = false;
    statusLine.show(statusText(), -1);
    statusLine.submit(*frame);
}

void StateReplay::play()
{
    const int unseen = paused ? 0 : speed - 1;
    for (int i = 0; i < unseen && playback.outcome() == Playback::Outcome::PLAYING; ++i)
        playback.stepUnseen();
    if (playback.outcome() != Playback::Outcome::PLAYING)
        return;
    playback.step(*frame);
    if (paused)
        hold();
}

void StateReplay::fastForward()
{
    const sf::Clock spent;
    while (fastForwarding() && playback.outcome() == Playback::Outcome::PLAYING
           && spent.getElapsedTime().asMilliseconds() < FAST_FORWARD_MILLISECONDS)
        playback.stepUnseen();
}

void StateReplay::hold()
{
    held.clear();
    held.append(*frame);
    holding = true;
}

void StateReplay::showHeld()
{
    frame->clear();
    frame->append(held);
}

std::string StateReplay::statusText() const
{
    std::string text = "Replay  " + clock(playback.played()) + " / " + clock(playback.frames());
    if (playback.outcome() == Playback::Outcome::DIVERGED)
        return text + "  diverged at frame " + std::to_string(playback.played()) + "  Escape quits";
    if (fastForwarding())
        return text + "  fast-forward to the last ten minutes";
    text += "  " + std::to_string(speed) + "x";
    if (paused)
        text += "  paused: Space plays, Right steps";
    return text;
}
