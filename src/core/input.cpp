#include "core/input.h"

#include <SFML/Window/Window.hpp>

namespace input {
namespace {

class LiveSource final : public Source {
public:
    bool isKeyPressed(sf::Keyboard::Key key) const override { return sf::Keyboard::isKeyPressed(key); }
    bool isButtonPressed(sf::Mouse::Button button) const override { return sf::Mouse::isButtonPressed(button); }
    sf::Vector2i mousePosition(const sf::Window& window) const override { return sf::Mouse::getPosition(window); }
    bool pollEvent(sf::Window& window, sf::Event& event) const override { return window.pollEvent(event); }
    bool waitEvent(sf::Window& window, sf::Event& event) const override { return window.waitEvent(event); }
};

const LiveSource liveSource;
const Source* current = &liveSource;

} // namespace

bool ScriptedSource::isKeyPressed(sf::Keyboard::Key key) const { return keys.count(key) != 0; }
bool ScriptedSource::isButtonPressed(sf::Mouse::Button button) const { return buttons.count(button) != 0; }
sf::Vector2i ScriptedSource::mousePosition(const sf::Window&) const { return mouse; }

bool ScriptedSource::pollEvent(sf::Window&, sf::Event& event) const
{
    if (events.empty())
        return false;
    event = events.front();
    events.pop_front();
    return true;
}

bool ScriptedSource::waitEvent(sf::Window& window, sf::Event& event) const { return pollEvent(window, event); }

void ScriptedSource::queueEvent(const sf::Event& event) { events.push_back(event); }

void ScriptedSource::press(sf::Keyboard::Key key) { keys.insert(key); }
void ScriptedSource::release(sf::Keyboard::Key key) { keys.erase(key); }
void ScriptedSource::press(sf::Mouse::Button button) { buttons.insert(button); }
void ScriptedSource::release(sf::Mouse::Button button) { buttons.erase(button); }
void ScriptedSource::setMouse(sf::Vector2i pixel) { mouse = pixel; }

void ScriptedSource::releaseAll()
{
    keys.clear();
    buttons.clear();
}

void setSource(const Source* source) { current = source ? source : &liveSource; }

bool isKeyPressed(sf::Keyboard::Key key) { return current->isKeyPressed(key); }
bool isButtonPressed(sf::Mouse::Button button) { return current->isButtonPressed(button); }
sf::Vector2i mousePosition(const sf::Window& window) { return current->mousePosition(window); }
bool pollEvent(sf::Window& window, sf::Event& event) { return current->pollEvent(window, event); }
bool waitEvent(sf::Window& window, sf::Event& event) { return current->waitEvent(window, event); }

} // namespace input
