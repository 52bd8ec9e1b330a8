// Editor input as the user gives it: key presses (to the editor or its console), typed and
// submitted lines, held keys and buttons, mouse moves and wheel turns, frames, draws, editor
// round trips and play-tests, in any order. Nothing may crash, assert or touch memory it
// should not.
//
// The input is read line by line; the first character says what the line does:
//   t<text>   types the text on the console keys and presses Return
//   :<line>   submits a line straight to the command interpreter
//   k<bytes>  raw key presses (byte % key count; higher bytes add Shift or Control)
//   m<x>,<y>  moves the mouse to that window pixel
//   w<delta>  turns the mouse wheel
//   p<key>    toggles a held key by number, or L / R / M for the mouse buttons
//   f<n>      runs n frames (at most 60)
//   d         draws a frame
//   e         leaves the editor and enters it again

#include "fuzzsupport.h"
#include "render/painter.h"

#include "editor/console.h"
#include "core/input.h"
#include "render/state.h"
#include "editor/stateeditor.h"
#include "play/stategame.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderWindow.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace {

const int MAX_FRAMES_PER_LINE = 60;
// A play-test runs this many frames at most before it is brought back.
const int MAX_TEST_FRAMES = 30;
const int MAX_DRAWS = 3;
const int MAX_DRAWN_TILES = 64 * 64;

std::map<char, std::pair<sf::Keyboard::Key, bool>> keyForChar;

sf::Event keyEvent(sf::Keyboard::Key code, bool shift, bool control)
{
    sf::Event event{};
    event.type = sf::Event::KeyPressed;
    event.key.code = code;
    event.key.shift = shift;
    event.key.control = control;
    return event;
}

class Session {
public:
    Session()
        : game(&fuzzsupport::window(), table), editor(&fuzzsupport::window(), table)
    {
        table[STATE_GAME] = &game;
        table[STATE_EDITOR] = &editor;
        input::setSource(&script);
        fuzzsupport::window().setView(fuzzsupport::window().getDefaultView());
        editor.enter();
    }
    ~Session()
    {
        // Ends the frame: until then the GL driver keeps every draw queued, input after input.
        if (draws > 0)
            fuzzsupport::window().display();
        editor.leave();
        input::setSource(nullptr);
    }

    void run(const std::string& line)
    {
        if (line.empty())
            return;
        const std::string rest = line.substr(1);
        switch (line[0]) {
        case 't': typeLine(rest); break;
        case ':': editor.runCommand(rest); break;
        case 'k':
            for (unsigned char b : rest) {
                const int modifier = b / sf::Keyboard::KeyCount;
                send(static_cast<sf::Keyboard::Key>(b % sf::Keyboard::KeyCount), modifier == 1, modifier == 2);
            }
            break;
        case 'm': {
            char* end = nullptr;
            const long x = std::strtol(rest.c_str(), &end, 10);
            const long y = *end == ',' ? std::strtol(end + 1, nullptr, 10) : 0;
            script.setMouse(sf::Vector2i(static_cast<int>(x % 100000), static_cast<int>(y % 100000)));
            break;
        }
        case 'p': toggle(rest); break;
        case 'w': {
            sf::Event wheel{};
            wheel.type = sf::Event::MouseWheelScrolled;
            wheel.mouseWheelScroll.wheel = sf::Mouse::VerticalWheel;
            wheel.mouseWheelScroll.delta = static_cast<float>(std::strtol(rest.c_str(), nullptr, 10) % 1000);
            editor.handleEvent(wheel);
            break;
        }
        case 'f': {
            const long n = std::strtol(rest.c_str(), nullptr, 10);
            for (long i = 0; i < n && i < MAX_FRAMES_PER_LINE; ++i)
                frame();
            break;
        }
        case 'd':
            // Drawing a huge zone in software GL only measures the emulator's speed.
            if (draws++ < MAX_DRAWS && editor.currZone
                && editor.currZone->getWidth() * editor.currZone->getHeight() <= MAX_DRAWN_TILES) {
                editor.draw();
                Painter::paint(editor.getFrame(), fuzzsupport::window());
            }
            break;
        case 'e':
            editor.leave();
            editor.enter();
            break;
        default: break;
        }
    }

private:
    void send(sf::Keyboard::Key code, bool shift, bool control)
    {
        editor.handleEvent(keyEvent(code, shift, control));
    }

    void typeLine(const std::string& text)
    {
        for (char c : text) {
            auto found = keyForChar.find(c);
            if (found != keyForChar.end())
                send(found->second.first, found->second.second, false);
        }
        send(sf::Keyboard::Return, false, false);
    }

    void toggle(const std::string& what)
    {
        if (what == "L" || what == "R" || what == "M") {
            const sf::Mouse::Button button = what == "L" ? sf::Mouse::Left : what == "R" ? sf::Mouse::Right : sf::Mouse::Middle;
            if (buttons.erase(button))
                script.release(button);
            else {
                buttons.insert(button);
                script.press(button);
            }
            return;
        }
        const long code = std::strtol(what.c_str(), nullptr, 10);
        if (code < 0 || code >= sf::Keyboard::KeyCount)
            return;
        const auto key = static_cast<sf::Keyboard::Key>(code);
        if (keys.erase(key))
            script.release(key);
        else {
            keys.insert(key);
            script.press(key);
        }
    }

    void frame()
    {
        const int next = editor.update();
        if (next != STATE_GAME)
            return;
        // F12 leaves for the game and a later F12 comes back: a fresh zone each time. F5
        // plays the zone for a few frames on the keys held and comes back to it.
        const bool test = game.hasTestPending();
        editor.leave();
        if (test) {
            game.enter();
            for (int i = 0; i < MAX_TEST_FRAMES && game.update() == STATE_GAME; ++i) {
            }
            game.leave();
        }
        editor.enter();
    }

    input::ScriptedSource script;
    State* table[STATE_COUNT] = {nullptr, nullptr, nullptr};
    StateGame game;
    StateEditor editor;
    std::set<int> keys;
    std::set<int> buttons;
    int draws = 0;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::setUp();
    for (int code = 0; code < sf::Keyboard::KeyCount; ++code) {
        for (bool shift : {false, true}) {
            const char c = keyToChar(static_cast<sf::Keyboard::Key>(code), shift);
            if (c != 0 && keyForChar.find(c) == keyForChar.end())
                keyForChar[c] = {static_cast<sf::Keyboard::Key>(code), shift};
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    {
        Session session;
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            session.run(text.substr(start, end - start));
            start = end + 1;
        }
    }
    // Saves of this input must not feed the next one.
    fuzzsupport::resetLevels();
    return 0;
}
