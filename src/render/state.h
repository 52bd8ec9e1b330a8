#pragma once
// The abstract screen: the play state and the editor implement it.

#include "render/framelist.h"

#include <SFML/System/Vector2.hpp>
#include <SFML/Window/Keyboard.hpp>

namespace sf { class RenderWindow; class Event; class View; }

class State;

enum StateIndex {
    STATE_GAME = 0,
    STATE_EDITOR = 1,
    STATE_QUIT = 3, // one past the table: ends the program
};

const int STATE_COUNT = 3;

class State {
public:
    State(sf::RenderWindow* targetWindow, State** stateTable);
    // States live for the whole run; the virtual destructor only keeps tests and
    // sanitizers tidy when they build and drop a table of their own.
    virtual ~State() = default;

    virtual int update() = 0;
    // Adds the frame's picture to the frame list; the presentation paints it later.
    virtual void draw() = 0;
    virtual void enter() = 0;
    virtual void leave() = 0;
    virtual void handleEvent(const sf::Event& event);
    // The window's close button: true lets the window close now.
    virtual bool mayClose();
    // True while the state takes typed text, when keys are letters rather than commands.
    virtual bool isTyping() const;

    // The list the state's 800 x 600 picture goes into from now on: the desktop hands every
    // state the frame's. The state's own until then.
    void setFrame(FrameList* list);
    FrameList& getFrame() const { return *frame; }

protected:
    // The key test both states begin their update with: Escape quits, a fresh F12 press
    // switches to otherState. Returns -1 when the frame goes on as usual.
    static int switchKeys(bool& switchLatch, int otherState);
    // True on the first frame a key is held; latch remembers it between frames.
    static bool freshPress(sf::Keyboard::Key key, bool& latch);
    // Where the mouse points in a view of the picture. The desktop shows its frame through
    // the letterbox: the window pixel is the picture pixel shown there. A state's own frame
    // (tests and tools run without a desktop) is painted straight onto the window, through
    // its views.
    sf::Vector2f mouseIn(const sf::View& view) const;

    sf::RenderWindow* window;
    FrameList* frame;
    State** states;

private:
    FrameList own;
};
