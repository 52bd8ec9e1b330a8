#pragma once
// One sequence of character frames cut from an up-right and a down-right sprite sheet.

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/System/Vector2.hpp>
#include <memory>
#include <vector>

namespace sf { class Texture; }
class FrameList;

class Animation final {
    // Every animation cut the same way from the same sheets shares one set of frames, so a
    // crowd costs one set per kind of character rather than one per character.
    struct FrameSet {
        std::vector<sf::Sprite> up;
        std::vector<sf::Sprite> down;
        // The visible pixels each frame can show, the only part worth painting.
        std::vector<sf::IntRect> upVisible;
        std::vector<sf::IntRect> downVisible;
        int frameWidth = 0;
        int frameHeight = 0;
    };
    static std::shared_ptr<const FrameSet> cutFrames(const sf::Texture& upTexture, const sf::Texture& downTexture,
                                                     int frames, int columns, const sf::Vector2f& origin);
    std::shared_ptr<const FrameSet> shared;

public:
    // origin is in frame pixels: the point placed at position, normally the feet.
    Animation(const sf::Texture& upTexture, const sf::Texture& downTexture, int frames, int columns,
              int frameDelay, const sf::Vector2f& origin, bool backAndForth);

    // Lets go of the frame sets kept for the game's own sheets; before those are destroyed.
    static void releaseFrames();

    // One tick: a frame stays up for delay + 1 ticks.
    void update();
    // The frame shown, where position puts it: up picks the up-right sheet; mirrored flips
    // it for left-facing characters; where a later wall block hides it, it shows as a flat
    // shape of silhouette (transparent: not at all). tint multiplies the frame's colours,
    // the flat shape's not.
    void submit(FrameList& frame, bool up, const sf::Color& silhouette = sf::Color::Transparent,
                const sf::Color& tint = sf::Color::White) const;
    // Whether point falls in the visible part of the frame submit would show.
    bool covers(const sf::Vector2f& point, bool up) const;

    // delay * frameCount: how long an action built on this animation lasts.
    int runLength() const { return frameCount * delay; }
    // Back to the first frame with a full countdown, as an action starting anew.
    void restart();

    sf::Vector2f position;
    bool mirrored = false;
    sf::Vector2f scale{1.0f, 1.0f};
    int frameCount;
    int currentFrame = 0;
    const std::vector<sf::Sprite>& upFrames;
    const std::vector<sf::Sprite>& downFrames;
    int delay;
    int timer;
    bool loop = true;
    bool pingPong;
    bool forward = true;
};
