#include "animation.h"
#include "testsupport.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <gtest/gtest.h>

#include <vector>

namespace {

// 4 columns of frameW x frameH frames; frame i is coloured (red, green, 10 i).
sf::Texture makeSheet(int frames, unsigned frameW, unsigned frameH, sf::Uint8 red, sf::Uint8 green)
{
    testsupport::window();
    sf::Image image;
    image.create(4 * frameW, static_cast<unsigned>((frames + 3) / 4) * frameH, sf::Color::Transparent);
    for (int i = 0; i < frames; ++i)
        for (unsigned y = 0; y < frameH; ++y)
            for (unsigned x = 0; x < frameW; ++x)
                image.setPixel((i % 4) * frameW + x, (i / 4) * frameH + y,
                               sf::Color(red, green, static_cast<sf::Uint8>(10 * i)));
    sf::Texture texture;
    texture.loadFromImage(image);
    return texture;
}

std::vector<int> framesOver(Animation& a, int updates)
{
    std::vector<int> seen;
    for (int i = 0; i < updates; ++i) {
        a.update();
        seen.push_back(a.currentFrame);
    }
    return seen;
}

} // namespace

TEST(Animation, EachFrameStaysForItsDelayPlusOneUpdates)
{
    const sf::Texture sheet = makeSheet(8, 4, 4, 200, 0);
    Animation a(sheet, sheet, 8, 4, 6, {0, 0}, false);
    const std::vector<int> seen = framesOver(a, 14);
    EXPECT_EQ(seen, (std::vector<int>{0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 2}));
}

TEST(Animation, LoopsOrHoldsTheLastFrameOrRunsBackAndForth)
{
    const sf::Texture sheet = makeSheet(12, 4, 4, 200, 0);
    Animation looping(sheet, sheet, 12, 4, 0, {0, 0}, false);
    EXPECT_EQ(framesOver(looping, 13).back(), 1);

    Animation once(sheet, sheet, 12, 4, 0, {0, 0}, false);
    once.loop = false;
    const std::vector<int> seen = framesOver(once, 40);
    EXPECT_EQ(std::vector<int>(seen.begin() + 10, seen.end()), std::vector<int>(30, 11));

    Animation pingPong(sheet, sheet, 4, 4, 0, {0, 0}, true);
    EXPECT_EQ(framesOver(pingPong, 9), (std::vector<int>{1, 2, 3, 2, 1, 0, 1, 2, 3}));
}

TEST(Animation, FramesAreCutRowByRowFromTheUpSheetLayout)
{
    const sf::Texture up = makeSheet(11, 10, 20, 200, 0); // 3 rows
    const sf::Texture down = makeSheet(12, 5, 5, 0, 200);  // its own size is not consulted
    Animation a(up, down, 11, 4, 3, {7, 9}, false);
    ASSERT_EQ(a.upFrames.size(), 11u);
    EXPECT_EQ(a.upFrames[5].getTextureRect(), sf::IntRect(10, 20, 10, 20));
    EXPECT_EQ(a.downFrames[10].getTextureRect(), sf::IntRect(20, 40, 10, 20));
    EXPECT_EQ(a.downFrames[10].getOrigin(), sf::Vector2f(7, 9));
}

TEST(Animation, DrawsTheChosenSheetMirroredAroundItsOrigin)
{
    const sf::Texture up = makeSheet(4, 8, 8, 200, 0);
    const sf::Texture down = makeSheet(4, 8, 8, 0, 200);
    Animation a(up, down, 4, 4, 0, {0, 0}, false);
    a.currentFrame = 3;
    a.position = {16, 16};
    sf::RenderTexture canvas;
    ASSERT_TRUE(canvas.create(32, 32));
    auto render = [&](bool upSheet) {
        canvas.clear(sf::Color::Black);
        a.draw(canvas, upSheet);
        canvas.display();
        return canvas.getTexture().copyToImage();
    };
    EXPECT_EQ(render(true).getPixel(20, 20), sf::Color(200, 0, 30));
    a.mirrored = true;
    const sf::Image mirrored = render(true);
    EXPECT_EQ(mirrored.getPixel(12, 20), sf::Color(200, 0, 30));
    EXPECT_EQ(mirrored.getPixel(20, 20), sf::Color::Black);
    EXPECT_EQ(render(false).getPixel(12, 20), sf::Color(0, 200, 30));
}

TEST(Animation, AnEmptySheetGivesEmptyFramesThatDrawNothing)
{
    testsupport::window();
    const sf::Texture empty;
    Animation a(empty, empty, 8, 4, 6, {125, 194}, false);
    sf::RenderTexture canvas;
    ASSERT_TRUE(canvas.create(8, 8));
    canvas.clear(sf::Color::Black);
    for (int i = 0; i < 20; ++i) {
        a.update();
        a.draw(canvas, i % 2 == 0);
    }
    canvas.display();
    EXPECT_EQ(canvas.getTexture().copyToImage().getPixel(4, 4), sf::Color::Black);
    EXPECT_EQ(a.upFrames[3].getTextureRect(), sf::IntRect(0, 0, 0, 0));
}
