#include "screensight.h"

#include "characters/robber.h"
#include "render/animation.h"
#include "core/globals.h"
#include "render/painter.h"
#include "world/resourcemanager.h"
#include "world/tile.h"
#include "world/zone.h"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>

namespace playbot {
namespace {

// Every third pixel of the sprite is looked at: a cap or a hand showing is enough.
const int STEP = 3;

// The animation a robber's draw picks, as the robber's own draw does.
const Animation& shownAnimation(const Robber& r)
{
    if (r.isMoving() && !r.isBusy())
        return r.hitPoints <= 0 ? r.death : r.walk;
    if (r.hitPoints <= 0)
        return r.death;
    if (r.spinTimer > 0)
        return r.spin;
    if (r.punchTimer > 0)
        return r.punch;
    if (r.hurtTimer > 0)
        return r.hurt;
    return r.idle;
}

// The robber's sprite of now, placed at a world point.
bool spriteAt(const Robber& r, const sf::Vector2f& at, sf::Sprite& sprite)
{
    const Animation& a = shownAnimation(r);
    const bool up = r.facing.x + r.facing.y < 0.0f;
    const std::vector<sf::Sprite>& frames = up ? a.upFrames : a.downFrames;
    if (a.currentFrame < 0 || a.currentFrame >= static_cast<int>(frames.size()))
        return false;
    sprite = frames[static_cast<std::size_t>(a.currentFrame)];
    sprite.setPosition(worldToScreen(at));
    const bool mirrored = r.facing.x - r.facing.y <= 0.0f;
    sprite.setScale(mirrored ? -1.0f : 1.0f, 1.0f);
    return sprite.getTexture() != nullptr;
}

bool opaque(const sf::Image& image, const sf::IntRect& rect, int x, int y)
{
    if (x < 0 || y < 0 || x >= rect.width || y >= rect.height)
        return false;
    return image.getPixel(static_cast<unsigned>(rect.left + x), static_cast<unsigned>(rect.top + y)).a > 0;
}

bool solid(const sf::Image& image, const sf::IntRect& rect, int x, int y)
{
    return image.getPixel(static_cast<unsigned>(rect.left + x), static_cast<unsigned>(rect.top + y)).a >= 128;
}

} // namespace

bool ScreenSight::shows(const Zone& zone, const Robber& robber, const sf::View& view)
{
    return wouldShow(zone, robber, robber.position, view);
}

bool ScreenSight::wouldShow(const Zone& zone, const Robber& robber, const sf::Vector2f& at, const sf::View& view)
{
    sf::Sprite sprite;
    return spriteAt(robber, at, sprite) && seen(zone, sprite, at, view);
}

bool ScreenSight::seen(const Zone& zone, const sf::Sprite& sprite, const sf::Vector2f& feet, const sf::View& view)
{
    const sf::FloatRect shown(view.getCenter() - view.getSize() * 0.5f, view.getSize());
    const sf::FloatRect bounds = sprite.getGlobalBounds();
    if (!bounds.intersects(shown))
        return false;
    collectWalls(zone);
    const float depth = zone.sortDepth()(feet);
    // The wall blocks painted after the robber, over where it stands.
    std::vector<sf::Sprite> front;
    for (const Block& block : walls)
        if (block.tile->depth() > depth && block.bounds.intersects(bounds)) {
            front.push_back(Tile::imageSprite(block.tile->shownImage()));
            front.back().setPosition(block.tile->anchor());
        }
    const sf::IntRect rect = sprite.getTextureRect();
    const sf::Image& image = pixels(*sprite.getTexture());
    const sf::Transform& place = sprite.getTransform();
    for (int y = 0; y < rect.height; y += STEP)
        for (int x = 0; x < rect.width; x += STEP) {
            if (!opaque(image, rect, x, y))
                continue;
            const sf::Vector2f p = place.transformPoint(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
            if (!shown.contains(p))
                continue;
            bool covered = false;
            for (const sf::Sprite& wall : front) {
                const sf::Vector2f local = wall.getInverseTransform().transformPoint(p);
                const sf::IntRect wallRect = wall.getTextureRect();
                covered = local.x >= 0.f && local.y >= 0.f
                    && opaque(pixels(*wall.getTexture()), wallRect, static_cast<int>(local.x), static_cast<int>(local.y));
                if (covered)
                    break;
            }
            // Where a wall paints over a solid pixel, the robber's silhouette shows there.
            if (!covered || (Painter::silhouettes && solid(image, rect, x, y)))
                return true;
        }
    return false;
}

const sf::Image& ScreenSight::pixels(const sf::Texture& texture)
{
    auto found = images.find(&texture);
    if (found == images.end())
        found = images.emplace(&texture, texture.copyToImage()).first;
    return found->second;
}

void ScreenSight::collectWalls(const Zone& zone)
{
    if (wallsOf == &zone && wallsVersion == Tile::layoutVersion)
        return;
    wallsOf = &zone;
    wallsVersion = Tile::layoutVersion;
    walls.clear();
    for (int x = 0; x < zone.getWidth(); ++x)
        for (int y = 0; y < zone.getHeight(); ++y) {
            const Tile* tile = zone.getTile(x, y);
            if (tile == nullptr || !tile->isWallBlock())
                continue;
            sf::Sprite sprite = Tile::imageSprite(tile->shownImage());
            sprite.setPosition(tile->anchor());
            walls.push_back(Block{tile, sprite.getGlobalBounds()});
        }
}

} // namespace playbot
