#include "world/tile.h"

#include "core/globals.h"
#include "render/framelist.h"
#include "world/resourcemanager.h"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/VertexArray.hpp>
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

namespace {
const char* SOURCE = "src/tile";
// A link tile's number, written over its diamond.
const unsigned LABEL_SIZE = 20;
const sf::Vector2f LABEL_OFFSET(-10.0f, 10.0f);
}

unsigned long Tile::layoutVersion = 0;

Tile::Tile()
    : x(0), y(0), texture(0), link(-1), type(TILE_FLOOR), walkable(true)
{
    setTexture(0);
}

void Tile::setTexture(int i)
{
    MORVANE_ASSERT((unsigned int)i < ResourceManager::tileTextures.size(), SOURCE);
    texture = i;
}

sf::Sprite Tile::imageSprite(int i)
{
    const sf::Texture& image = ResourceManager::tileTextures[static_cast<std::size_t>(i)];
    sf::Sprite sprite(image);
    sprite.setOrigin(imageOrigin(image.getSize()));
    return sprite;
}

sf::Vector2f Tile::imageOrigin(const sf::Vector2u& size)
{
    return sf::Vector2f(static_cast<float>(size.x / 2), static_cast<float>(size.y) - TILE_SCREEN_HEIGHT);
}

void Tile::setType(TileType typeIn)
{
    type = typeIn;
    walkable = (type != TILE_WALL);
    ++layoutVersion;
}

bool Tile::hasOwnImage() const
{
    return texture >= 0 && static_cast<std::size_t>(texture) < ResourceManager::tileTextures.size();
}

bool Tile::isWallBlock() const
{
    return type == TILE_WALL && !ResourceManager::tileTextures.empty()
        && ResourceManager::tileTextures[static_cast<std::size_t>(shownImage())].getSize().y > TILE_SCREEN_HEIGHT;
}

float Tile::depth() const
{
    return (x + y + 1) * TILE_SIZE;
}

bool Tile::standsInFront(const sf::Vector2f& feet) const
{
    return feet.x >= (x + 1) * TILE_SIZE || feet.y >= (y + 1) * TILE_SIZE;
}

sf::Vector2f Tile::anchor() const
{
    return worldToScreen(sf::Vector2f(x * TILE_SIZE, y * TILE_SIZE));
}

void Tile::submit(FrameList& frame) const
{
    sf::Sprite sprite = imageSprite(shownImage());
    sprite.setPosition(anchor());
    // A block as a wall item, whole, so the painter shows whoever it hides.
    if (isWallBlock())
        frame.wall(sprite, sf::IntRect(sf::Vector2i(), sf::Vector2i(sprite.getTexture()->getSize())));
    else
        frame.draw(sprite);
}

void Tile::submitOutline(FrameList& frame) const
{
    const sf::Vector2f p = anchor();
    const float h = TILE_SCREEN_HEIGHT;
    sf::VertexArray strip(sf::LineStrip, 5);
    strip[0] = sf::Vertex(p, sf::Color::White);
    strip[1] = sf::Vertex(p + sf::Vector2f(h, h * 0.5f), sf::Color::White);
    strip[2] = sf::Vertex(p + sf::Vector2f(0, h), sf::Color::White);
    strip[3] = sf::Vertex(p + sf::Vector2f(-h, h * 0.5f), sf::Color::White);
    strip[4] = sf::Vertex(p, sf::Color::White);
    frame.draw(std::move(strip));
}

void Tile::submitInfo(FrameList& frame) const
{
    sf::Color fill;
    switch (type) {
    case TILE_LINKOUT: fill = sf::Color(255, 0, 255, 150); break;
    case TILE_LINKIN: fill = sf::Color(0, 255, 255, 150); break;
    case TILE_WALL: fill = sf::Color(0, 0, 255, 150); break;
    case TILE_FLOOR: return;
    default: fill = sf::Color(0, 0, 0, 255); break;
    }
    const sf::Vector2f p = anchor();
    const float h = TILE_SCREEN_HEIGHT;
    sf::VertexArray quad(sf::Quads, 4);
    quad[0] = sf::Vertex(p, fill);
    quad[1] = sf::Vertex(p + sf::Vector2f(h, h * 0.5f), fill);
    quad[2] = sf::Vertex(p + sf::Vector2f(0, h), fill);
    quad[3] = sf::Vertex(p + sf::Vector2f(-h, h * 0.5f), fill);
    frame.draw(std::move(quad));

    if (type == TILE_LINKOUT || type == TILE_LINKIN) {
        sf::Text text(std::to_string(link), ResourceManager::debugFont, LABEL_SIZE);
        text.setFillColor(sf::Color::White);
        text.setPosition(p + LABEL_OFFSET);
        frame.draw(std::move(text));
    }
}

float Tile::infoHalfWidth()
{
    // A label has at most 11 characters ("-2147483648"), digits and a minus sign, each
    // narrower than the type is tall; it starts left of the anchor and runs right.
    return std::max(TILE_SCREEN_HEIGHT, LABEL_OFFSET.x + 11.0f * static_cast<float>(LABEL_SIZE));
}

zonefile::TileRecord Tile::record() const
{
    zonefile::TileRecord r;
    r.type = static_cast<int32_t>(type);
    r.texture = texture;
    r.link = link;
    return r;
}

void Tile::load(const zonefile::TileRecord& r)
{
    setType(static_cast<TileType>(r.type));
    link = r.link;
    // An image number we do not have is kept, so saving gives it back; image 0 stands in.
    texture = r.texture;
}
