#pragma once
// A bot that plays like a person: it acts on what the screen showed a quarter of a second
// ago, aims a little off, and presses buttons and keys no more than six times a second.
// Its random source is its own and seeded; the game's own randomness is left alone.

#include "core/input.h"
#include "playbot.h"

#include <SFML/Graphics/View.hpp>
#include <SFML/System/Vector2.hpp>
#include <deque>
#include <random>
#include <vector>

namespace sf { class RenderWindow; }
class StateGame;
class Zone;

namespace playbot {

class HumanBot {
public:
    static constexpr int REACTION_FRAMES = 15; // 250 ms at 60 frames a second
    static constexpr float MAX_AIM_ERROR = 15.0f; // degrees either way
    static constexpr int PRESS_GAP_FRAMES = 10; // six presses a second at most
    static constexpr int HOLD_FRAMES = 6; // a click or a tap stays down this long
    static constexpr int PUNCH_FRAMES = 48; // a punch, once started, runs this long

    HumanBot(input::ScriptedSource& scriptIn, sf::RenderWindow& windowIn, unsigned seed);

    // Notes what the screen shows now, then sets this frame's input from what it showed
    // REACTION_FRAMES ago; before that much has been seen it does nothing.
    void decide(const StateGame& game);

    int getPresses() const { return presses; }
    // The shortest time between two presses so far, in frames.
    int getShortestGap() const { return shortestGap; }

private:
    struct Figure {
        sf::Vector2f position;
        int type = 0;
        bool hurt = false;
        bool attacking = false;
    };
    // What a person sees on one frame.
    struct Sight {
        int zoneId = -1;
        bool typing = false;  // a line is being typed out
        bool waiting = false; // a whole line waits to be moved on
        bool scene = false;   // a dialog or a scripted walk holds the world
        bool fading = false;
        bool knockedOut = false;
        bool endCard = false;
        int when = 0; // the frame it was seen on
        sf::Vector2f player;
        // Frames left of the player's own punch or flinch: a person knows how long those take.
        int playerBusy = 0;
        bool playerDown = false;
        std::vector<Figure> figures;
        sf::View view;
    };
    enum Control { WALK, PUNCH, TALK, CONTROLS };

    Sight look(const StateGame& game) const;
    void act(const Sight& seen, Zone& zone);
    const Figure* pickTarget(const Sight& seen) const;
    // The player can act now, as far as the last sight and its own last punch tell.
    bool playerFree(const Sight& seen) const;
    bool punchDue(const Sight& seen, const Figure& target);
    bool stepAside(const Sight& seen, Zone& zone);
    void fight(const Sight& seen, const Figure& target, Zone& zone);
    void walkTo(const Sight& seen, const sf::Vector2f& world);
    void headOn(const Sight& seen, Zone& zone);
    void pointAt(const Sight& seen, const sf::Vector2f& world);
    // A new press, if the last one is far enough back; clicks let go after HOLD_FRAMES.
    bool press(Control control);
    void letGo(Control control);
    void releaseClicks();
    void setDown(Control control, bool down);

    input::ScriptedSource& script;
    sf::RenderWindow& window;
    std::mt19937 random;
    std::deque<Sight> seen;
    int frame = 0;
    int lastPress = -1000;
    int lastPunch = -1000;
    int presses = 0;
    int shortestGap = 1 << 30;
    int downSince[CONTROLS] = {-1, -1, -1};
};

} // namespace playbot
