#include "core/input.h"

#include "core/letterbox.h"

#include <SFML/Window/Window.hpp>

namespace input {
namespace {

class LiveSource final : public Source {
public:
    bool isKeyPressed(sf::Keyboard::Key key) const override { return sf::Keyboard::isKeyPressed(key); }
    bool isButtonPressed(sf::Mouse::Button button) const override { return sf::Mouse::isButtonPressed(button); }
    sf::Vector2i mousePosition(const sf::Window& window) const override { return sf::Mouse::getPosition(window); }
    bool isPadConnected(unsigned pad) const override { return sf::Joystick::isConnected(pad); }
    float padAxis(unsigned pad, sf::Joystick::Axis axis) const override { return sf::Joystick::getAxisPosition(pad, axis); }
    bool isPadButtonPressed(unsigned pad, unsigned button) const override { return sf::Joystick::isButtonPressed(pad, button); }
    bool pollEvent(sf::Window& window, sf::Event& event) const override { return window.pollEvent(event); }
    bool waitEvent(sf::Window& window, sf::Event& event) const override { return window.waitEvent(event); }
};

const LiveSource liveSource;
const Source* current = &liveSource;

} // namespace

sf::Vector2i Source::picturePixel(const sf::Window& window, bool letterboxed) const
{
    const sf::Vector2i pixel = mousePosition(window);
    return letterboxed ? Letterbox(window.getSize()).toPicture(pixel) : pixel;
}

bool ScriptedSource::isKeyPressed(sf::Keyboard::Key key) const { return keys.count(key) != 0; }
bool ScriptedSource::isButtonPressed(sf::Mouse::Button button) const { return buttons.count(button) != 0; }
sf::Vector2i ScriptedSource::mousePosition(const sf::Window&) const { return mouse; }
bool ScriptedSource::isPadConnected(unsigned pad) const { return pads.count(pad) != 0; }

float ScriptedSource::padAxis(unsigned pad, sf::Joystick::Axis axis) const
{
    const auto found = pads.find(pad);
    if (found == pads.end())
        return 0.f;
    const auto value = found->second.axes.find(axis);
    return value == found->second.axes.end() ? 0.f : value->second;
}

bool ScriptedSource::isPadButtonPressed(unsigned pad, unsigned button) const
{
    const auto found = pads.find(pad);
    return found != pads.end() && found->second.buttons.count(button) != 0;
}

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

void ScriptedSource::plugPad(unsigned pad) { pads[pad]; }
void ScriptedSource::unplugPad(unsigned pad) { pads.erase(pad); }
void ScriptedSource::setPadAxis(unsigned pad, sf::Joystick::Axis axis, float value) { pads[pad].axes[axis] = value; }
void ScriptedSource::pressPad(unsigned pad, unsigned button) { pads[pad].buttons.insert(button); }
void ScriptedSource::releasePad(unsigned pad, unsigned button) { pads[pad].buttons.erase(button); }

void ScriptedSource::releaseAll()
{
    keys.clear();
    buttons.clear();
    for (auto& pad : pads) {
        pad.second.axes.clear();
        pad.second.buttons.clear();
    }
}

void setSource(const Source* source) { current = source ? source : &liveSource; }
const Source& source() { return *current; }

bool isKeyPressed(sf::Keyboard::Key key) { return current->isKeyPressed(key); }

bool isReturnPressed()
{
    return isKeyPressed(sf::Keyboard::Return) && !isKeyPressed(sf::Keyboard::LAlt) &&
           !isKeyPressed(sf::Keyboard::RAlt);
}
bool isButtonPressed(sf::Mouse::Button button) { return current->isButtonPressed(button); }
bool isPadConnected(unsigned pad) { return current->isPadConnected(pad); }
float padAxis(unsigned pad, sf::Joystick::Axis axis) { return current->padAxis(pad, axis); }
bool isPadButtonPressed(unsigned pad, unsigned button) { return current->isPadButtonPressed(pad, button); }
sf::Vector2i mousePosition(const sf::Window& window) { return current->mousePosition(window); }
sf::Vector2i picturePixel(const sf::Window& window, bool letterboxed)
{
    return current->picturePixel(window, letterboxed);
}
bool pollEvent(sf::Window& window, sf::Event& event) { return current->pollEvent(window, event); }
bool waitEvent(sf::Window& window, sf::Event& event) { return current->waitEvent(window, event); }

} // namespace input
