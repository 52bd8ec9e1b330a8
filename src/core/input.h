#pragma once
// Every poll of held keys, held mouse buttons and the mouse position goes through here,
// so tests can replace SFML's live state with a scripted one, frame by frame.

#include <SFML/System/Vector2.hpp>
#include <SFML/Window/Event.hpp>
#include <SFML/Window/Joystick.hpp>
#include <SFML/Window/Keyboard.hpp>
#include <SFML/Window/Mouse.hpp>
#include <deque>
#include <map>
#include <set>

namespace sf { class Window; }

namespace input {

class Source {
public:
    virtual ~Source() = default;
    virtual bool isKeyPressed(sf::Keyboard::Key key) const = 0;
    virtual bool isButtonPressed(sf::Mouse::Button button) const = 0;
    virtual sf::Vector2i mousePosition(const sf::Window& window) const = 0;
    // The picture pixel under the mouse: the window pixel, or where the letterbox shows
    // that window pixel when the picture is scaled into the window. Replays hold this one,
    // so that they play the same in a window of any size.
    virtual sf::Vector2i picturePixel(const sf::Window& window, bool letterboxed) const;
    // Game pads, numbered as the media library numbers them; axes run from -100 to 100.
    virtual bool isPadConnected(unsigned pad) const = 0;
    virtual float padAxis(unsigned pad, sf::Joystick::Axis axis) const = 0;
    virtual bool isPadButtonPressed(unsigned pad, unsigned button) const = 0;
    // Window events: the next one if any; waitEvent blocks until one comes (false when
    // none ever can).
    virtual bool pollEvent(sf::Window& window, sf::Event& event) const = 0;
    virtual bool waitEvent(sf::Window& window, sf::Event& event) const = 0;
};

// A hand-set input state for tests and bots: what is down stays down until released.
class ScriptedSource final : public Source {
public:
    bool isKeyPressed(sf::Keyboard::Key key) const override;
    bool isButtonPressed(sf::Mouse::Button button) const override;
    sf::Vector2i mousePosition(const sf::Window& window) const override;
    bool isPadConnected(unsigned pad) const override;
    float padAxis(unsigned pad, sf::Joystick::Axis axis) const override;
    bool isPadButtonPressed(unsigned pad, unsigned button) const override;
    // Scripted events come from a queue; an empty queue means nothing will ever come.
    bool pollEvent(sf::Window& window, sf::Event& event) const override;
    bool waitEvent(sf::Window& window, sf::Event& event) const override;

    void queueEvent(const sf::Event& event);
    void press(sf::Keyboard::Key key);
    void release(sf::Keyboard::Key key);
    void press(sf::Mouse::Button button);
    void release(sf::Mouse::Button button);
    void setMouse(sf::Vector2i pixel);
    // Unplugging a pad forgets its stick and buttons, as pulling the cable does.
    void plugPad(unsigned pad);
    void unplugPad(unsigned pad);
    void setPadAxis(unsigned pad, sf::Joystick::Axis axis, float value);
    void pressPad(unsigned pad, unsigned button);
    void releasePad(unsigned pad, unsigned button);
    void releaseAll();

private:
    std::set<int> keys;
    std::set<int> buttons;
    sf::Vector2i mouse;
    struct Pad {
        std::map<int, float> axes;
        std::set<unsigned> buttons;
    };
    std::map<unsigned, Pad> pads;
    mutable std::deque<sf::Event> events;
};

// Null restores SFML's live state.
void setSource(const Source* source);
// The source in use now (SFML's live state unless one was set).
const Source& source();

bool isKeyPressed(sf::Keyboard::Key key);
// Return without Alt: Alt+Return is the window's fullscreen key, not the game's.
bool isReturnPressed();
bool isButtonPressed(sf::Mouse::Button button);
bool isPadConnected(unsigned pad);
float padAxis(unsigned pad, sf::Joystick::Axis axis);
bool isPadButtonPressed(unsigned pad, unsigned button);
sf::Vector2i mousePosition(const sf::Window& window);
sf::Vector2i picturePixel(const sf::Window& window, bool letterboxed);
bool pollEvent(sf::Window& window, sf::Event& event);
bool waitEvent(sf::Window& window, sf::Event& event);

} // namespace input
