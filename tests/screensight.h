#pragma once
// What a person can make out of a robber on the screen: some opaque pixel of its sprite
// inside the view and not under an opaque pixel of a wall block drawn in front of it, or
// there in silhouette (a solid pixel, while silhouettes are on): a person who sees the
// robber's flat shape over a wall knows where it is. Told from the picture's geometry (the
// sprite shown, the wall images and where they stand), not from whether the game knows the
// robber is there.

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/View.hpp>
#include <SFML/System/Vector2.hpp>
#include <map>
#include <vector>

namespace sf { class Sprite; class Texture; }
class Robber;
class Tile;
class Zone;

namespace playbot {

class ScreenSight {
public:
    // Whether the robber, as its last draw showed it, can be seen in the view.
    bool shows(const Zone& zone, const Robber& robber, const sf::View& view);
    // Whether the robber's sprite of now would show if it stood at the world point: a
    // person looking there and seeing nobody knows it has gone.
    bool wouldShow(const Zone& zone, const Robber& robber, const sf::Vector2f& at, const sf::View& view);

private:
    bool seen(const Zone& zone, const sf::Sprite& sprite, const sf::Vector2f& feet, const sf::View& view);
    const sf::Image& pixels(const sf::Texture& texture);
    void collectWalls(const Zone& zone);

    struct Block {
        const Tile* tile;
        sf::FloatRect bounds;
    };
    std::map<const sf::Texture*, sf::Image> images;
    const Zone* wallsOf = nullptr;
    unsigned long wallsVersion = 0;
    std::vector<Block> walls;
};

} // namespace playbot
