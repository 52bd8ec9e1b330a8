#pragma once
// The editor's drop-down command line: one typed line with a cursor, a selection and a
// history of submitted lines, under a log of the editor's messages.

#include <SFML/Window/Event.hpp>
#include <SFML/Window/Keyboard.hpp>
#include <cstddef>
#include <deque>
#include <string>

class FrameList;

// The US keyboard layout for the keys the console types; 0 for any other key.
char keyToChar(sf::Keyboard::Key code, bool shift);

class Console final {
public:
    static constexpr std::size_t MAX_LOG = 199;
    static constexpr std::size_t MAX_HISTORY = 30;

    int charSize = 10;
    int height = 150;
    bool hidden = true;
    std::deque<std::string> log; // newest first
    std::string input;
    std::string savedInput; // the typed line, kept while the history is shown
    int cursor = 0;
    int anchor = 0; // the selection runs from here to cursor
    bool selecting = false;
    int historyIndex = -1; // -1 while editing input
    std::deque<std::string> history; // newest first

#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    void print(const char* format, ...);

    void setSelecting(bool on);
    bool hasSelection() const;
    void deleteSelection();
    void moveLeft(bool byWord);
    void moveRight(bool byWord);
    void insertChar(char c);
    void deleteForward();
    void backspace();
    void historyOlder();
    void historyNewer();
    // The line for the command interpreter; empty (and nothing changes) when input is.
    std::string submit();

    // One key press while the console is shown. Sets submitted when Return was pressed and
    // then hands back the submitted line.
    std::string handleKey(const sf::Event::KeyEvent& key, bool& submitted);
    // Expects the target to be in screen space.
    void submit(FrameList& frame) const;

private:
    void recall(const std::string& line);
};
