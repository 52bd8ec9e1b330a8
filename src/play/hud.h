#pragma once
// What the screen tells the player over the world: health, the robbers left and the way to
// those out of sight, the assist if it is on, the zone's name on arrival, and the two messages that wait for Return (knocked
// out, the end).

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/System/Vector2.hpp>
#include <string>
#include <vector>

class FrameList;

class Hud {
public:
    static const std::string KNOCKED_OUT;
    static const std::string ASSIST_OFFER;
    static const std::string ASSIST_ON;
    static const sf::Color TEXT_COLOUR;
    static const sf::Color POINTER_COLOUR;
    static const std::string THE_END;
    static const std::string END_PROMPT;
    static const std::string PACKS_PROMPT;
    // How long the zone's name stays up after an arrival.
    static constexpr int NAME_FRAMES = 2 * 60;
    // One pip of the health bar; a half pip shows half of it.
    static constexpr int PIP_HIT_POINTS = 10;
    static constexpr int PIPS = 10;

    struct Status {
        int hitPoints = 0;
        int robbersLeft = 0;
        bool assist = false;
        // Where each robber still standing out of sight is, in the view's coordinates: a
        // pointer at the view's edge shows the way to it.
        std::vector<sf::Vector2f> robbersAway;
    };

    // Every part drawn, in the coordinates of the view it is drawn in.
    struct Piece {
        sf::FloatRect bounds;
        std::string what;
    };

    void arrive(const std::string& zoneName);
    // One frame of the name's time on screen.
    void tick();
    // The name makes way for a message in its place.
    void dropName() { nameFrames = 0; }
    void toggle() { shown = !shown; }
    void show(bool on) { shown = on; }
    bool isShown() const { return shown; }
    bool showsName() const { return nameFrames > 0; }

    // In the frame's default view, which maps onto the whole picture; the caller sets its
    // own view again afterwards. Nothing is placed outside that view, whatever its size.
    void submit(FrameList& frame, const Status& status) const;
    static void submitKnockedOut(FrameList& frame, bool offerAssist);
    static void submitEndCard(FrameList& frame);
    static std::vector<std::string> knockedOutLines(bool offerAssist);

    // What draw would place for a view of this size, without drawing it.
    std::vector<Piece> layout(sf::Vector2f viewSize, const Status& status) const;
    // A titled message is a title and its prompt in the middle; else prompts low over the scene.
    static std::vector<Piece> messageLayout(sf::Vector2f viewSize, const std::vector<std::string>& lines, bool titled);

private:
    std::vector<Piece> place(FrameList* frame, sf::Vector2f viewSize, const Status& status) const;
    static std::vector<Piece> placeMessage(FrameList* frame, sf::Vector2f viewSize,
                                           const std::vector<std::string>& lines, bool titled);

    bool shown = true;
    std::string name;
    int nameFrames = 0;
};
