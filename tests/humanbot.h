#pragma once
// A bot that plays like a person: it acts on what the screen showed a moment ago, aims a
// little off, and presses buttons and keys only so often. Two profiles: one at a quick
// person's pace, and a slower one that also sees only what the screen shows, so a robber
// off the view or behind a wall block is unknown to it until it shows again, and what it
// remembers is where it last saw it. Its random source is its own and seeded; the game's
// own randomness is left alone.

#include "core/input.h"
#include "playbot.h"
#include "screensight.h"

#include <SFML/Graphics/View.hpp>
#include <SFML/System/Vector2.hpp>
#include <deque>
#include <map>
#include <random>
#include <vector>

namespace sf { class RenderWindow; }
class StateGame;
class Zone;

namespace playbot {

class HumanBot {
public:
    struct Profile {
        int reactionFrames; // what it acts on was on the screen this long ago
        float maxAimError;  // degrees either way
        int pressGapFrames; // at least this long between two presses
        bool screenOnly;    // knows robbers only as the screen shows them
    };
    // 250 ms late, 15 degrees, six presses a second, and sees every robber.
    static const Profile QUICK;
    // 400 ms late, 25 degrees, four presses a second, and sees only the screen.
    static const Profile SLOW;
    static constexpr int HOLD_FRAMES = 6; // a click or a tap stays down this long
    static constexpr int PUNCH_FRAMES = 48; // a punch, once started, runs this long

    HumanBot(input::ScriptedSource& scriptIn, sf::RenderWindow& windowIn, unsigned seed,
             const Profile& profileIn = QUICK);

    // Notes what the screen shows now, then sets this frame's input from what it showed
    // reactionFrames ago; before that much has been seen it does nothing.
    void decide(const StateGame& game);

    const Profile& getProfile() const { return profile; }

    int getPresses() const { return presses; }
    // Of the robbers standing in the zone, frame by frame: how many were on the screen, and
    // how many were off the view or behind a wall block.
    int getRobbersShown() const { return robbersShown; }
    int getRobbersHidden() const { return robbersHidden; }
    // The shortest time between two presses so far, in frames.
    int getShortestGap() const { return shortestGap; }

private:
    struct Figure {
        sf::Vector2f position;
        int type = 0;
        bool hurt = false;
        bool attacking = false;
        // Not on the screen now: where it was last seen.
        bool remembered = false;
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

    Sight look(const StateGame& game);
    // The robbers as the screen shows them, and those it showed before, where they were.
    void lookForRobbers(const Zone& zone, Sight& sight);
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
    Profile profile;
    std::mt19937 random;
    ScreenSight eyes;
    int memoryZone = -1;
    std::map<int, Figure> memory; // by robber id
    std::deque<Sight> seen;
    int frame = 0;
    int lastPress = -1000;
    int lastPunch = -1000;
    // Since when a robber near by has been waited for, and how near it was then.
    int waitStart = 0;
    int lastWait = -1000;
    float waitDistance = 0.0f;
    int presses = 0;
    int robbersShown = 0;
    int robbersHidden = 0;
    int shortestGap = 1 << 30;
    int downSince[CONTROLS] = {-1, -1, -1};
};

} // namespace playbot
