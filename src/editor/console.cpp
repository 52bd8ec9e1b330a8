#include "editor/console.h"

#include "core/globals.h"
#include "render/framelist.h"
#include "world/resourcemanager.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/Text.hpp>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

const std::size_t FORMAT_BUFFER = 1024;

const sf::Color BACKGROUND(70, 70, 100, 220);
const sf::Color CURSOR_COLOUR(255, 200, 200, 255);
const sf::Color SELECTION_COLOUR(100, 100, 100, 100);

} // namespace

char keyToChar(sf::Keyboard::Key code, bool shift)
{
    if (code >= sf::Keyboard::A && code <= sf::Keyboard::Z)
        return static_cast<char>((shift ? 'A' : 'a') + (code - sf::Keyboard::A));
    if (code >= sf::Keyboard::Num0 && code <= sf::Keyboard::Num9) {
        const int digit = code - sf::Keyboard::Num0;
        return shift ? ")!@#$%^&*("[digit] : static_cast<char>('0' + digit);
    }
    switch (code) {
    case sf::Keyboard::LBracket: return shift ? '{' : '[';
    case sf::Keyboard::RBracket: return shift ? '}' : ']';
    case sf::Keyboard::Semicolon: return shift ? ':' : ';';
    case sf::Keyboard::Comma: return shift ? '<' : ',';
    case sf::Keyboard::Period: return shift ? '>' : '.';
    case sf::Keyboard::Quote: return shift ? '"' : '\'';
    case sf::Keyboard::Slash: return shift ? '?' : '/';
    case sf::Keyboard::Backslash: return shift ? '|' : '\\';
    case sf::Keyboard::Equal: return shift ? '+' : '=';
    case sf::Keyboard::Hyphen: return shift ? '_' : '-';
    default: return 0;
    }
}

void Console::print(const char* format, ...)
{
    std::vector<char> buffer(FORMAT_BUFFER);
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    // Long messages (a trigger's whole script, a pasted path) get a bigger buffer, not a cut.
    if (needed >= 0 && static_cast<std::size_t>(needed) >= buffer.size()) {
        buffer.resize(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, again);
    }
    va_end(again);
    if (needed < 0)
        return;

    const std::string text(buffer.data(), static_cast<std::size_t>(needed));
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string piece = text.substr(start, end - start);
        if (!trim(piece).empty())
            log.push_front(piece);
        start = end + 1;
    }
    while (log.size() > MAX_LOG)
        log.pop_back();
}

void Console::setSelecting(bool on)
{
    selecting = on;
}

bool Console::hasSelection() const
{
    return anchor != cursor;
}

void Console::deleteSelection()
{
    const int from = std::min(cursor, anchor);
    const int to = std::max(cursor, anchor);
    input.erase(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    cursor = anchor = from;
}

void Console::moveLeft(bool byWord)
{
    if (!selecting && hasSelection()) {
        cursor = anchor = std::min(cursor, anchor);
        return;
    }
    if (byWord) {
        while (cursor > 0) {
            --cursor;
            if (cursor == 0 || input[static_cast<std::size_t>(cursor) - 1] == ' ')
                break;
        }
    } else if (cursor > 0) {
        --cursor;
    }
    if (!selecting)
        anchor = cursor;
}

void Console::moveRight(bool byWord)
{
    if (!selecting && hasSelection()) {
        cursor = anchor = std::max(cursor, anchor);
        return;
    }
    const int length = static_cast<int>(input.size());
    if (byWord) {
        // Never past the last character, so a word jump does not leave the line.
        while (cursor < length - 1) {
            ++cursor;
            if (input[static_cast<std::size_t>(cursor)] == ' ')
                break;
        }
    } else if (cursor < length) {
        ++cursor;
    }
    if (!selecting)
        anchor = cursor;
}

void Console::insertChar(char c)
{
    deleteSelection();
    selecting = false;
    input.insert(static_cast<std::size_t>(cursor), 1, c);
    moveRight(false);
}

void Console::deleteForward()
{
    if (hasSelection())
        deleteSelection();
    else if (static_cast<std::size_t>(cursor) < input.size())
        input.erase(static_cast<std::size_t>(cursor), 1);
}

void Console::backspace()
{
    if (hasSelection()) {
        deleteSelection();
    } else if (cursor > 0) {
        input.erase(static_cast<std::size_t>(cursor) - 1, 1);
        --cursor;
        --anchor;
    }
}

void Console::recall(const std::string& line)
{
    input = line;
    cursor = anchor = static_cast<int>(input.size());
}

void Console::historyOlder()
{
    if (history.empty() || historyIndex >= static_cast<int>(history.size()) - 1)
        return;
    if (historyIndex == -1)
        savedInput = input;
    ++historyIndex;
    recall(history[static_cast<std::size_t>(historyIndex)]);
}

void Console::historyNewer()
{
    if (history.empty() || historyIndex == -1)
        return;
    --historyIndex;
    recall(historyIndex == -1 ? savedInput : history[static_cast<std::size_t>(historyIndex)]);
}

std::string Console::submit()
{
    if (input.empty())
        return std::string();
    history.push_front(input);
    if (history.size() > MAX_HISTORY)
        history.pop_back();
    std::string line;
    line.swap(input);
    cursor = anchor = 0;
    historyIndex = -1;
    return line;
}

std::string Console::handleKey(const sf::Event::KeyEvent& key, bool& submitted)
{
    submitted = false;
    setSelecting(key.shift);
    switch (key.code) {
    case sf::Keyboard::Enter:
        submitted = true;
        return submit();
    case sf::Keyboard::Left: moveLeft(key.control); break;
    case sf::Keyboard::Right: moveRight(key.control); break;
    case sf::Keyboard::Up: historyOlder(); break;
    case sf::Keyboard::Down: historyNewer(); break;
    case sf::Keyboard::Space: insertChar(' '); break;
    case sf::Keyboard::Delete: deleteForward(); break;
    case sf::Keyboard::Backspace: backspace(); break;
    case sf::Keyboard::LShift:
    case sf::Keyboard::RShift: setSelecting(true); break;
    default: {
        const char c = keyToChar(key.code, key.shift);
        if (c != 0)
            insertChar(c);
        break;
    }
    }
    return std::string();
}

void Console::submit(FrameList& frame) const
{
    const float width = static_cast<float>(frame.getSize().x);
    const float size = static_cast<float>(charSize);
    const float bottom = static_cast<float>(height);

    sf::RectangleShape background(sf::Vector2f(width, bottom + 3.0f));
    background.setFillColor(BACKGROUND);
    frame.draw(background);

    sf::RectangleShape rule(sf::Vector2f(width, 2.0f));
    rule.setPosition(0.0f, bottom + 4.0f);
    rule.setFillColor(sf::Color::White);
    frame.draw(rule);

    sf::Text text;
    text.setFont(ResourceManager::debugFont);
    text.setCharacterSize(static_cast<unsigned>(charSize));
    text.setFillColor(sf::Color::White);
    for (std::size_t k = 0; k < log.size(); ++k) {
        const float y = bottom - static_cast<float>(k + 3) * size;
        if (y + size < 0.0f)
            break; // the rest have climbed off the top
        text.setString(log[k]);
        text.setPosition(10.0f, y);
        frame.draw(text);
    }

    text.setString(input);
    text.setPosition(10.0f, bottom - size);
    frame.draw(text);

    const sf::Vector2f at = text.findCharacterPos(static_cast<std::size_t>(cursor));
    sf::RectangleShape caret(sf::Vector2f(2.0f, size));
    caret.setPosition(at);
    caret.setFillColor(CURSOR_COLOUR);
    frame.draw(caret);

    if (hasSelection()) {
        const sf::Vector2f from = text.findCharacterPos(static_cast<std::size_t>(std::min(cursor, anchor)));
        const sf::Vector2f to = text.findCharacterPos(static_cast<std::size_t>(std::max(cursor, anchor)));
        sf::RectangleShape selection(sf::Vector2f(to.x - from.x, size));
        selection.setPosition(from.x, from.y + 2.0f);
        selection.setFillColor(SELECTION_COLOUR);
        frame.draw(selection);
    }
}
