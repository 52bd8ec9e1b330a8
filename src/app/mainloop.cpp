#include "app/mainloop.h"

#include "core/input.h"
#include "world/resourcemanager.h"
#include "core/state.h"
#include "editor/stateeditor.h"
#include "play/stategame.h"

#include "world/zone.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/OpenGL.hpp>
#include <SFML/Window/Event.hpp>

const std::string WINDOW_TITLE = "MORVANE";

void createWindow(sf::RenderWindow& window)
{
    sf::ContextSettings settings;
    settings.depthBits = 0;
    settings.stencilBits = 0;
    settings.antialiasingLevel = 0;
    settings.majorVersion = 2;
    settings.minorVersion = 0;
    window.create(sf::VideoMode(800, 600, 32), WINDOW_TITLE, 7, settings);
    window.setFramerateLimit(60);
}

void prepareRenderer(sf::RenderTarget& target)
{
    sf::RectangleShape shade(sf::Vector2f(8.0f, 8.0f));
    shade.setFillColor(sf::Color(0, 0, 0, 128));
    // The media library sets up its own states on a target's first draw only.
    target.draw(shade);
    // Everything is drawn alpha-blended, where a fully transparent pixel changes nothing;
    // skipping those outright spares the rasteriser a fifth of a crowd's cost.
    if (target.setActive(true)) {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.0f);
    }
    // A software renderer compiles a program for each new kind of draw on first use, which
    // stalled the first frame by tens of milliseconds. One of each kind, drawn and cleared
    // before play: a sprite sheet, the ground batch, smooth font text and plain shapes.
    if (!ResourceManager::textures.empty())
        target.draw(sf::Sprite(*ResourceManager::textures.begin()->second));
    if (!ResourceManager::tileTextures.empty()) {
        Zone ground(0, 2, 2, nullptr);
        ground.draw(target, false);
    }
    target.draw(sf::Text("Warm", ResourceManager::dialogFont, 30));
    target.draw(sf::Text("Warm", ResourceManager::debugFont, 20));
    target.draw(shade);
    target.clear();
}

State** createStates(sf::RenderWindow* window)
{
    prepareRenderer(*window);
    State** states = new State*[STATE_COUNT];
    states[STATE_GAME] = new StateGame(window, states);
    states[STATE_EDITOR] = new StateEditor(window, states);
    states[2] = nullptr;
    return states;
}

void destroyStates(State** states)
{
    for (int i = 0; i < STATE_COUNT; ++i)
        delete states[i];
    delete[] states;
}

void pumpEvents(State** states, int* current, sf::RenderWindow* window)
{
    bool paused = false;
    sf::Event event;
    while (window->isOpen()) {
        if (!input::pollEvent(*window, event)) {
            if (!paused)
                return;
            // Without focus nothing advances; block instead of spinning a core.
            if (!input::waitEvent(*window, event))
                return;
        }
        switch (event.type) {
        case sf::Event::Closed:
            window->close();
            break;
        case sf::Event::LostFocus:
            paused = true;
            break;
        case sf::Event::GainedFocus:
            paused = false;
            break;
        default:
            states[*current]->handleEvent(event);
            break;
        }
    }
}

void stepState(State** states, int* current, sf::RenderWindow* window)
{
    State* state = states[*current];
    const int next = state->update();
    if (next == STATE_QUIT) {
        window->close();
        return;
    }
    state->draw();
    if (next != *current) {
        state->leave();
        states[next]->enter();
        *current = next;
    }
}

int runGame()
{
    sf::RenderWindow window;
    createWindow(window);
    if (!ResourceManager::loadResources()) {
        window.close();
        return 1;
    }
    Zone::removeLeftoverSaves();
    State** states = createStates(&window);
    int current = STATE_GAME;
    states[current]->enter();
    while (window.isOpen()) {
        pumpEvents(states, &current, &window);
        window.clear(sf::Color(0, 0, 0, 255));
        stepState(states, &current, &window);
        window.display();
    }
    // Not needed by the game, but keeps leak checkers quiet at exit.
    states[current]->leave();
    destroyStates(states);
    ResourceManager::unloadResources();
    return 0;
}
