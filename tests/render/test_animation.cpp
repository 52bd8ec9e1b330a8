#include "render/animation.h"
#include "render/framelist.h"
#include "render/visiblepixels.h"
#include "testsupport.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
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

// The animation's frame painted over what canvas holds, in canvas's view.
void paintFrame(const Animation& a, sf::RenderTarget& canvas, bool up)
{
    FrameList frame(canvas.getSize());
    frame.setView(canvas.getView());
    a.submit(frame, up);
    testsupport::paint(frame, canvas);
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
        paintFrame(a, canvas, upSheet);
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
        paintFrame(a, canvas, i % 2 == 0);
    }
    canvas.display();
    EXPECT_EQ(canvas.getTexture().copyToImage().getPixel(4, 4), sf::Color::Black);
    EXPECT_EQ(a.upFrames[3].getTextureRect(), sf::IntRect(0, 0, 0, 0));
}

namespace {

// Frames mostly empty, each with a soft-edged blob somewhere else, some frames blank.
sf::Texture blobSheet(sf::Image& image)
{
    testsupport::window();
    image.create(4 * 40, 2 * 30, sf::Color::Transparent);
    for (int i = 0; i < 8; ++i) {
        if (i == 5)
            continue;
        const unsigned left = (i % 4) * 40 + 3 + 4 * (i % 3), top = (i / 4) * 30 + 2 + 3 * (i % 4);
        for (unsigned y = 0; y < 9u + i; ++y)
            for (unsigned x = 0; x < 7u + 2u * i && left + x < (i % 4 + 1) * 40u; ++x)
                image.setPixel(left + x, top + y,
                               sf::Color(static_cast<sf::Uint8>(30 * i), static_cast<sf::Uint8>(7 * x),
                                         static_cast<sf::Uint8>(11 * y), x == 0 || y == 0 ? 90 : 255));
    }
    sf::Texture texture;
    texture.loadFromImage(image);
    return texture;
}

} // namespace

TEST(VisiblePixels, VisibleBoundsHugTheNonTransparentPixelsOfARegion)
{
    sf::Image image;
    blobSheet(image);
    EXPECT_EQ(VisiblePixels::bounds(image, sf::IntRect(0, 0, 40, 30)), sf::IntRect(3, 2, 7, 9));
    // A faint pixel counts; a blank frame gives an empty rectangle at its corner.
    EXPECT_EQ(VisiblePixels::bounds(image, sf::IntRect(40, 0, 40, 30)), sf::IntRect(47, 5, 9, 10));
    EXPECT_EQ(VisiblePixels::bounds(image, sf::IntRect(40, 30, 40, 30)), sf::IntRect(40, 30, 0, 0));
    // Regions reaching past the image are cut to it.
    EXPECT_EQ(VisiblePixels::bounds(image, sf::IntRect(-50, -50, 60, 60)), sf::IntRect(3, 2, 7, 8));
    EXPECT_EQ(VisiblePixels::bounds(image, sf::IntRect(500, 0, 10, 10)), sf::IntRect(500, 0, 0, 0));
}

TEST(VisiblePixels, TexturesAnswerFromTheirRememberedImageAsTheImageItselfWould)
{
    testsupport::window();
    // Sparse dots, rows wider than a word of bits and not a multiple of it.
    std::mt19937 random(5);
    sf::Image image;
    image.create(150, 40, sf::Color::Transparent);
    for (int i = 0; i < 60; ++i)
        image.setPixel(random() % 150, random() % 40, sf::Color(1, 2, 3, static_cast<sf::Uint8>(1 + random() % 255)));
    sf::Texture remembered, unknown;
    ASSERT_TRUE(remembered.loadFromImage(image));
    ASSERT_TRUE(unknown.loadFromImage(image));
    VisiblePixels::remember(remembered, image);
    for (int i = 0; i < 400; ++i) {
        const sf::IntRect region(static_cast<int>(random() % 170) - 10, static_cast<int>(random() % 50) - 5,
                                 static_cast<int>(random() % 140), static_cast<int>(random() % 30));
        const sf::IntRect expected = VisiblePixels::bounds(image, region);
        ASSERT_EQ(VisiblePixels::bounds(remembered, region), expected);
        if (i % 40 == 0) { // read back from the card: slow, so only now and then
            ASSERT_EQ(VisiblePixels::bounds(unknown, region), expected);
        }
    }
    VisiblePixels::forget(remembered);
}

TEST(VisiblePixels, DrawingOnlyTheVisiblePartPaintsTheSamePixelsAsTheWholeFrame)
{
    sf::Image image;
    const sf::Texture sheet = blobSheet(image);
    Animation blobs(sheet, sheet, 8, 4, 0, {13.0f, 21.0f}, false);
    // A blank frame amid opaque ones: a pixel centre on its very edge may take the
    // neighbouring frame's texel when drawn whole, and must when drawn trimmed.
    sf::Image ringed;
    ringed.create(60, 60, sf::Color(200, 30, 30));
    for (unsigned y = 20; y < 40; ++y)
        for (unsigned x = 20; x < 40; ++x)
            ringed.setPixel(x, y, sf::Color::Transparent);
    sf::Texture ringSheet;
    ASSERT_TRUE(ringSheet.loadFromImage(ringed));
    Animation blank(ringSheet, ringSheet, 9, 3, 0, {7.0f, 5.0f}, false);

    sf::RenderTexture canvas;
    ASSERT_TRUE(canvas.create(64, 64));
    auto render = [&](const std::function<void()>& paint) {
        canvas.clear(sf::Color(20, 40, 60));
        paint();
        canvas.display();
        return canvas.getTexture().copyToImage();
    };
    // Whole, fractional and half-pixel places (every pixel centre on a texel edge), at the
    // game's scale and scaled as a resized window scales them.
    const sf::Vector2f places[] = {{30.0f, 30.0f}, {30.3f, 29.6f}, {17.7f, 40.1f}, {33.9f, 28.2f},
                                   {30.5f, 29.5f}, {20.5f, 41.0f}, {30.25f, 29.75f}, {31.125f, 30.375f}};
    for (Animation* a : {&blobs, &blank})
        for (int frame = a == &blank ? 4 : 0; frame < (a == &blank ? 5 : 8); ++frame)
            for (const sf::Vector2f& place : places)
                for (bool mirrored : {false, true})
                    for (float scale : {1.0f, 1.25f, 2.0f, 0.75f}) {
                        SCOPED_TRACE("frame " + std::to_string(frame) + " at " + std::to_string(place.x) + ", " +
                                     std::to_string(place.y) + (mirrored ? " mirrored" : "") + " scale " +
                                     std::to_string(scale));
                        a->currentFrame = frame;
                        a->position = place;
                        a->mirrored = mirrored;
                        a->scale = {scale, scale};
                        const sf::Image trimmed = render([&] { paintFrame(*a, canvas, true); });
                        sf::Sprite whole = a->upFrames[static_cast<std::size_t>(frame)];
                        whole.setPosition(place);
                        whole.setScale(mirrored ? -scale : scale, scale);
                        const sf::Image plain = render([&] { canvas.draw(whole); });
                        EXPECT_TRUE(std::equal(trimmed.getPixelsPtr(), trimmed.getPixelsPtr() + 64 * 64 * 4,
                                               plain.getPixelsPtr()));
                    }
}

TEST(Animation, CharactersCutTheSameWayShareOneSetOfFrames)
{
    sf::Image image;
    const sf::Texture sheet = blobSheet(image);
    const sf::Texture other = blobSheet(image);
    Animation first(sheet, sheet, 8, 4, 6, {13.0f, 21.0f}, false);
    Animation second(sheet, sheet, 8, 4, 2, {13.0f, 21.0f}, false);
    Animation elsewhere(other, other, 8, 4, 6, {13.0f, 21.0f}, false);
    Animation otherOrigin(sheet, sheet, 8, 4, 6, {12.0f, 21.0f}, false);
    EXPECT_EQ(&first.upFrames, &second.upFrames);
    EXPECT_NE(&first.upFrames, &elsewhere.upFrames);
    EXPECT_NE(&first.upFrames, &otherOrigin.upFrames);
    // Each keeps its own place in the sequence.
    second.update();
    second.update();
    second.update();
    EXPECT_EQ(second.currentFrame, 1);
    EXPECT_EQ(first.currentFrame, 0);

    // Sets of the game's own sheets outlive their last user, until the sheets are released.
    VisiblePixels::remember(other, image);
    const std::vector<sf::Sprite>* kept = nullptr;
    {
        Animation last(other, other, 8, 4, 6, {1.0f, 2.0f}, false);
        kept = &last.upFrames;
    }
    // Had the set gone, this one would likely take its place in memory.
    const Animation filler(sheet, sheet, 8, 4, 6, {5.0f, 5.0f}, false);
    EXPECT_NE(&filler.upFrames, kept);
    EXPECT_EQ(&Animation(other, other, 8, 4, 6, {1.0f, 2.0f}, false).upFrames, kept);
    Animation::releaseFrames();
    VisiblePixels::forget(other);
}
