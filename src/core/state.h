#pragma once
// The abstract screen: the play state and the editor implement it.

#include <SFML/System/Vector2.hpp>

namespace sf { class RenderTarget; class RenderWindow; class Event; class Texture; }

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
    virtual void draw() = 0;
    virtual void enter() = 0;
    virtual void leave() = 0;
    virtual void handleEvent(const sf::Event& event);
    // True while the state takes typed text, when keys are letters rather than commands.
    virtual bool isTyping() const;

    // Where the state draws its 800 x 600 picture from now on: the window itself, or an
    // offscreen texture when the window has another size. The window at first.
    void setTarget(sf::RenderTarget* target);

protected:
    // The key test both states begin their update with: Escape quits, a fresh F12 press
    // switches to otherState. Returns -1 when the frame goes on as usual.
    static int switchKeys(bool& switchLatch, int otherState);
    // The picture pixel under the mouse. Drawn straight into the window, that is the window
    // pixel; drawn offscreen, it is the one the letterbox shows there.
    sf::Vector2i mousePixel() const;
    // Copies the picture drawn so far this frame, for showing it again later.
    void copyPicture(sf::Texture& into) const;
    // Draws a copied picture over the whole picture, in the picture's own pixels.
    void showPicture(const sf::Texture& copy) const;

    sf::RenderWindow* window;
    sf::RenderTarget* picture;
    State** states;
};
