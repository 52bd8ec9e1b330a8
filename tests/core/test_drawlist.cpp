#include "core/drawlist.h"

#include "core/spritetrim.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

// A 16 x 16 image: a transparent margin of two texels around a pattern of colours.
const sf::Texture& patternTexture()
{
    static sf::Texture texture;
    if (texture.getSize().x == 0) {
        sf::Image image;
        image.create(16, 16, sf::Color::Transparent);
        for (unsigned x = 2; x < 14; ++x)
            for (unsigned y = 2; y < 14; ++y)
                image.setPixel(x, y, sf::Color(static_cast<sf::Uint8>(x * 18), static_cast<sf::Uint8>(y * 18), 90, 200));
        texture.loadFromImage(image);
    }
    return texture;
}

// What an entity pass might draw: a trimmed sprite, a walls' due point, a whole sprite, a shape.
void drawScene(sf::RenderTarget& into, const std::function<void(float)>& due)
{
    sf::Sprite sprite(patternTexture());
    sprite.setPosition(20.25f, 30.5f);
    sprite.setScale(3.0f, 2.0f);
    SpriteTrim::draw(into, sprite, sf::IntRect(1, 1, 14, 14));
    due(12.5f);
    sprite.setPosition(35.0f, 40.0f);
    sprite.setColor(sf::Color(255, 255, 255, 128));
    DrawList::draw(into, sprite);
    sf::CircleShape disc(9.0f, 30);
    disc.setPosition(60.0f, 20.0f);
    disc.setFillColor(sf::Color(25, 25, 25, 50));
    DrawList::draw(into, disc);
}

TEST(DrawListTest, APaintedListIsTheSamePictureAsTheDrawsMadeStraight)
{
    sf::RenderTexture straight, held;
    ASSERT_TRUE(straight.create(120, 90) && held.create(120, 90));
    // The walls due are a bar painted where the mark falls in the order.
    auto bar = [](sf::RenderTarget& target) {
        return [&target](float depth) {
            sf::RectangleShape shape(sf::Vector2f(100.0f, depth));
            shape.setPosition(10.0f, 45.0f);
            shape.setFillColor(sf::Color(200, 40, 40, 160));
            target.draw(shape);
        };
    };
    straight.clear(sf::Color(10, 20, 30));
    drawScene(straight, bar(straight));
    DrawList list(held);
    std::vector<float> marks;
    drawScene(list, [&](float depth) { list.mark(depth); });
    held.clear(sf::Color(10, 20, 30));
    list.paint(held, [&](float depth) {
        marks.push_back(depth);
        bar(held)(depth);
    });
    straight.display();
    held.display();
    EXPECT_EQ(marks, std::vector<float>{12.5f});
    EXPECT_EQ(0, std::memcmp(straight.getTexture().copyToImage().getPixelsPtr(),
                             held.getTexture().copyToImage().getPixelsPtr(), 120 * 90 * 4));
}

TEST(DrawListTest, TheDescriptionTellsApartEveryChangeThatPaintsOtherwise)
{
    sf::RenderTexture target;
    ASSERT_TRUE(target.create(64, 64));
    auto describe = [&](const std::function<void(sf::Sprite&, sf::IntRect&, sf::CircleShape&, float&)>& change) {
        sf::Sprite sprite(patternTexture(), sf::IntRect(0, 0, 16, 16));
        sprite.setPosition(5.0f, 6.0f);
        sf::IntRect visible(1, 1, 14, 14);
        sf::CircleShape disc(4.0f, 30);
        float depth = 3.0f;
        change(sprite, visible, disc, depth);
        DrawList list(target);
        SpriteTrim::draw(list, sprite, visible);
        list.mark(depth);
        DrawList::draw(list, disc);
        return list.outline().steps;
    };
    const std::vector<DrawList::Key> same = describe([](sf::Sprite&, sf::IntRect&, sf::CircleShape&, float&) {});
    EXPECT_EQ(describe([](sf::Sprite&, sf::IntRect&, sf::CircleShape&, float&) {}), same);
    const std::vector<std::function<void(sf::Sprite&, sf::IntRect&, sf::CircleShape&, float&)>> changes = {
        [](sf::Sprite& s, sf::IntRect&, sf::CircleShape&, float&) { s.move(0.25f, 0.0f); },
        [](sf::Sprite& s, sf::IntRect&, sf::CircleShape&, float&) { s.setScale(-1.0f, 1.0f); },
        [](sf::Sprite& s, sf::IntRect&, sf::CircleShape&, float&) { s.setTextureRect(sf::IntRect(0, 0, 16, 15)); },
        [](sf::Sprite& s, sf::IntRect&, sf::CircleShape&, float&) { s.setColor(sf::Color(255, 255, 255, 254)); },
        [](sf::Sprite&, sf::IntRect& v, sf::CircleShape&, float&) { v.width = 13; },
        [](sf::Sprite&, sf::IntRect&, sf::CircleShape&, float& d) { d = 3.5f; },
        [](sf::Sprite&, sf::IntRect&, sf::CircleShape& c, float&) { c.setRadius(4.5f); },
        [](sf::Sprite&, sf::IntRect&, sf::CircleShape& c, float&) { c.setFillColor(sf::Color::Red); },
        [](sf::Sprite&, sf::IntRect&, sf::CircleShape& c, float&) { c.setOutlineThickness(1.0f); },
        [](sf::Sprite&, sf::IntRect&, sf::CircleShape& c, float&) { c.setPosition(0.0f, 0.5f); },
    };
    for (std::size_t i = 0; i < changes.size(); ++i)
        EXPECT_NE(describe(changes[i]), same) << i;
}

TEST(DrawListTest, TheChangedAreaHoldsWhereAMovedSpriteWasAndIsAndNothingElseIsRepaintedBlind)
{
    sf::RenderTexture target;
    ASSERT_TRUE(target.create(200, 100));
    // A sprite at x, a wall mark at depth, a second sprite standing still; extra adds a shape.
    auto outline = [&](float x, float depth, bool extra, DrawList::Outline* out, sf::IntRect* area,
                       const DrawList::Outline* before) {
        DrawList list(target);
        sf::Sprite moving(patternTexture()), still(patternTexture());
        moving.setPosition(x, 10.0f);
        still.setPosition(150.0f, 60.0f);
        SpriteTrim::draw(list, moving, sf::IntRect(0, 0, 16, 16));
        list.mark(depth);
        DrawList::draw(list, still);
        if (extra)
            DrawList::draw(list, sf::CircleShape(3.0f));
        if (out != nullptr)
            *out = list.outline();
        return before != nullptr && list.outline().changedSince(*before, *area);
    };
    DrawList::Outline before;
    sf::IntRect area;
    outline(20.0f, 5.0f, false, &before, nullptr, nullptr);
    ASSERT_TRUE(outline(60.0f, 5.0f, false, nullptr, &area, &before));
    // From the old place to the new one, a pixel of margin each way; the still sprite outside.
    EXPECT_LE(area.left, 19);
    EXPECT_GE(area.left + area.width, 77);
    EXPECT_LE(area.top, 9);
    EXPECT_GE(area.top + area.height, 27);
    EXPECT_LT(area.left + area.width, 150);
    EXPECT_FALSE(area.contains(150, 60));
    EXPECT_TRUE(outline(20.0f, 5.0f, false, nullptr, &area, &before));
    EXPECT_EQ(area.width, 0);
    // A wall due at another point, or a draw more, is not a matter of pixels.
    EXPECT_FALSE(outline(20.0f, 6.0f, false, nullptr, &area, &before));
    EXPECT_FALSE(outline(20.0f, 5.0f, true, nullptr, &area, &before));
}

} // namespace
