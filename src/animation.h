#pragma once
// One sequence of character frames cut from an up-right and a down-right sprite sheet.

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/System/Vector2.hpp>
#include <vector>

namespace sf {
class RenderTarget;
class Texture;
} // namespace sf

class Animation final {
public:
    // origin is in frame pixels: the point placed at position, normally the feet.
    Animation(const sf::Texture& upTexture, const sf::Texture& downTexture, int frames, int columns,
              int frameDelay, const sf::Vector2f& origin, bool backAndForth);

    // One tick: a frame stays up for delay + 1 ticks.
    void update();
    // up picks the up-right sheet; mirrored flips it for left-facing characters.
    void draw(sf::RenderTarget& target, bool up);

    // delay * frameCount: how long an action built on this animation lasts.
    int runLength() const { return frameCount * delay; }
    // Back to the first frame with a full countdown, as an action starting anew.
    void restart();

    sf::Vector2f position;
    bool mirrored = false;
    sf::Vector2f scale{1.0f, 1.0f};
    int frameCount;
    int currentFrame = 0;
    std::vector<sf::Sprite> upFrames;
    std::vector<sf::Sprite> downFrames;
    int delay;
    int timer;
    bool loop = true;
    bool pingPong;
    bool forward = true;

private:
    int frameWidth = 0;
    int frameHeight = 0;
};
