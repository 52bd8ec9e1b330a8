// The slow bot's eyes against the picture itself: wherever a robber stands round a block of
// wall, facing either way, the bot sees it exactly when drawing it changes the picture (a
// sliver of a few pixels aside, which its sampling may miss and a person would too). A
// wall block is lower than a robber: one close behind it shows its head unless the view's
// edge cuts that off, and then only its silhouette over the wall shows it.

#include "characters/robber.h"
#include "charscene.h"
#include "core/globals.h"
#include "render/painter.h"
#include "screensight.h"
#include "testsupport.h"
#include "world/tile.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderTexture.hpp>
#include <gtest/gtest.h>

namespace {

const int SLIVER = 40; // pixels: fewer may go unseen, more must be seen

sf::Image drawn(Zone& zone, sf::RenderTexture& picture)
{
    picture.clear(sf::Color::Black);
    charscene::drawZone(zone, picture, false, true);
    picture.display();
    return picture.getTexture().copyToImage();
}

int differing(const sf::Image& a, const sf::Image& b)
{
    int n = 0;
    for (unsigned y = 0; y < a.getSize().y; ++y)
        for (unsigned x = 0; x < a.getSize().x; ++x)
            n += a.getPixel(x, y) != b.getPixel(x, y) ? 1 : 0;
    return n;
}

} // namespace

TEST(ScreenSight, SeesARobberExactlyWhenThePictureShowsIt)
{
    testsupport::loadRepoResources();
    Zone zone(0, 12, 12, nullptr);
    const int BRICK = 8;
    for (int x = 5; x <= 7; ++x)
        for (int y = 5; y <= 7; ++y) {
            zone.getTile(x, y)->setType(TILE_WALL);
            zone.getTile(x, y)->setTexture(BRICK);
        }
    ASSERT_TRUE(zone.getTile(6, 6)->isWallBlock());
    sf::RenderTexture picture;
    ASSERT_TRUE(picture.create(400, 300));
    // The view's top edge runs just under the top of the wall, so a robber standing close
    // behind it has its head cut off by the edge and the rest hidden by the wall.
    const sf::View view(worldToScreen(sf::Vector2f(6.5f, 6.5f) * TILE_SIZE) - sf::Vector2f(0.f, 6.f),
                        sf::Vector2f(400.f, 300.f));
    picture.setView(view);
    const sf::Image empty = drawn(zone, picture);

    for (bool silhouettes : {true, false}) {
        SCOPED_TRACE(silhouettes ? "silhouettes" : "no silhouettes");
        Painter::silhouettes = silhouettes;
        playbot::ScreenSight eyes;
        int hidden = 0, shown = 0, offView = 0;
        for (int x = 0; x < 12; ++x)
            for (int y = 0; y < 12; ++y) {
                if (!zone.getTile(x, y)->walkable)
                    continue;
                Robber* robber = zone.entities.add(std::make_unique<Robber>(&zone.entities));
                robber->position = sf::Vector2f(x + 0.5f, y + 0.5f) * TILE_SIZE;
                robber->facing = (x + y) % 2 == 0 ? sf::Vector2f(1.f, 0.f) : sf::Vector2f(-0.6f, 0.8f);
                const int n = differing(drawn(zone, picture), empty);
                const bool seen = eyes.shows(zone, *robber, view);
                zone.entities.remove(robber->getID());
                SCOPED_TRACE("robber on " + std::to_string(x) + "," + std::to_string(y) + ", " + std::to_string(n)
                             + " pixels");
                if (n == 0) {
                    EXPECT_FALSE(seen);
                } else if (n >= SLIVER) {
                    EXPECT_TRUE(seen);
                }
                const sf::Vector2f feet = worldToScreen(sf::Vector2f(x + 0.5f, y + 0.5f) * TILE_SIZE);
                const bool feetInView =
                    sf::FloatRect(view.getCenter() - view.getSize() * 0.5f, view.getSize()).contains(feet);
                hidden += n == 0 && feetInView ? 1 : 0;
                offView += n == 0 && !feetInView ? 1 : 0;
                shown += n >= SLIVER ? 1 : 0;
            }
        // The view's edge hid some and most stood in plain sight; the block hid some only
        // without silhouettes, which show everyone it covers.
        EXPECT_EQ(hidden >= 1, !silhouettes) << hidden;
        EXPECT_GE(offView, 10);
        EXPECT_GE(shown, 30);
    }
    Painter::silhouettes = true;
}
