// The frame list painted as the draws it holds, the world of two lists told apart by what
// they paint, and the presentation chosen by the renderer.
#include "render/framelist.h"

#include "render/keptpicture.h"
#include "render/painter.h"
#include "render/presenter.h"
#include "render/visiblepixels.h"
#include "testsupport.h"
#include "world/resourcemanager.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace {

// A 16 x 16 image: a transparent margin of two texels around a pattern of colours.
sf::Image patternImage()
{
    sf::Image image;
    image.create(16, 16, sf::Color::Transparent);
    for (unsigned x = 2; x < 14; ++x)
        for (unsigned y = 2; y < 14; ++y)
            image.setPixel(x, y, sf::Color(static_cast<sf::Uint8>(x * 18), static_cast<sf::Uint8>(y * 18), 90, 200));
    return image;
}

// Remembered, as the game's own images are, so a picture's description can name it.
const sf::Texture& pattern()
{
    static sf::Texture texture;
    if (texture.getSize().x == 0) {
        testsupport::window();
        const sf::Image image = patternImage();
        texture.loadFromImage(image);
        VisiblePixels::remember(texture, image);
    }
    return texture;
}

sf::Image picture(sf::RenderTexture& target)
{
    target.display();
    return target.getTexture().copyToImage();
}

bool sameBytes(const sf::Image& a, const sf::Image& b)
{
    return a.getSize() == b.getSize() && std::memcmp(a.getPixelsPtr(), b.getPixelsPtr(), a.getSize().x * a.getSize().y * 4) == 0;
}

TEST(FrameListTest, APaintedListIsThePictureOfTheDrawsItHoldsInTheirViews)
{
    testsupport::loadTestResources();
    sf::RenderTexture straight, listed, again;
    ASSERT_TRUE(straight.create(120, 90) && listed.create(120, 90) && again.create(120, 90));
    const sf::View zoomed(sf::Vector2f(40.25f, 30.5f), sf::Vector2f(96.0f, 72.0f));
    sf::Sprite trimmed(pattern());
    trimmed.setPosition(20.25f, 30.5f);
    trimmed.setScale(3.0f, 2.0f);
    sf::Sprite faint(pattern());
    faint.setPosition(35.0f, 40.0f);
    faint.setColor(sf::Color(255, 255, 255, 128));
    sf::Sprite wall(pattern()), nextWall(pattern());
    wall.setPosition(70.0f, 10.0f);
    nextWall.setPosition(78.5f, 14.0f);
    sf::VertexArray ground(sf::Triangles);
    for (const sf::Vector2f& v : {sf::Vector2f(0, 60), sf::Vector2f(0, 76), sf::Vector2f(16, 60), sf::Vector2f(16, 60),
                                  sf::Vector2f(0, 76), sf::Vector2f(16, 76)})
        ground.append(sf::Vertex(v, v - sf::Vector2f(0, 60)));
    sf::CircleShape disc(9.0f, 30);
    disc.setPosition(60.0f, 20.0f);
    disc.setFillColor(sf::Color(25, 25, 25, 50));
    sf::Text label("Hi", ResourceManager::debugFont, 10);
    label.setPosition(5.0f, 70.0f);

    straight.clear(sf::Color(10, 20, 30));
    straight.setView(zoomed);
    straight.draw(ground, sf::RenderStates(&pattern()));
    straight.draw(trimmed);
    straight.draw(wall);
    straight.draw(nextWall);
    straight.draw(faint, sf::BlendAdd);
    straight.setView(straight.getDefaultView());
    straight.draw(disc);
    straight.draw(label);

    FrameList frame(listed.getSize());
    frame.clear(sf::Color(10, 20, 30));
    frame.setView(zoomed);
    frame.setDepth(FrameList::GROUND_DEPTH);
    frame.ground(pattern(), sf::VertexArray(ground));
    frame.setDepth(4.0f);
    frame.trimmed(trimmed, sf::IntRect(1, 1, 14, 14));
    // Blocks that show whole go as one run, and paint what their sprites paint.
    frame.wall(wall, sf::IntRect(0, 0, 16, 16));
    frame.wall(nextWall, sf::IntRect(0, 0, 16, 16));
    frame.draw(faint, sf::BlendAdd);
    frame.setDepth(NAN);
    frame.setView(frame.getDefaultView());
    frame.draw(disc);
    frame.draw(label);
    Painter::paint(frame, listed);
    const sf::Image expected = picture(straight);
    EXPECT_TRUE(sameBytes(picture(listed), expected));
    // Shown again (a paused picture), appended to an empty list.
    FrameList replay(again.getSize());
    replay.clear(sf::Color(10, 20, 30));
    replay.append(frame);
    Painter::paint(replay, again);
    EXPECT_TRUE(sameBytes(picture(again), expected));
    // The mouse maps through a list's views as through a target's.
    for (const sf::Vector2i pixel : {sf::Vector2i(0, 0), sf::Vector2i(37, 81), sf::Vector2i(119, 5)})
        EXPECT_EQ(frame.mapPixelToCoords(pixel, zoomed), straight.mapPixelToCoords(pixel, zoomed));
    EXPECT_EQ(frame.mapCoordsToPixel(sf::Vector2f(12.3f, 45.6f), zoomed), straight.mapCoordsToPixel(sf::Vector2f(12.3f, 45.6f), zoomed));
}

// One world: a ground run, a trimmed sprite and a disc, at depths, then an overlay sprite.
struct World {
    sf::VertexArray ground{sf::Triangles, 3};
    sf::Sprite sprite{pattern(), sf::IntRect(0, 0, 16, 16)};
    sf::IntRect visible{1, 1, 14, 14};
    sf::CircleShape disc{4.0f, 30};
    float depth = 3.0f;
    sf::View view{sf::Vector2f(10, 20), sf::Vector2f(64, 64)};
    const sf::Texture* image = &pattern();
    bool text = false;
    sf::Vector2f overlay;

    World() { sprite.setPosition(5.0f, 6.0f); }

    FrameList list() const
    {
        FrameList frame(sf::Vector2u(64, 64));
        frame.setView(view);
        frame.setDepth(FrameList::GROUND_DEPTH);
        frame.ground(*image, sf::VertexArray(ground));
        frame.setDepth(depth);
        frame.trimmed(sprite, visible);
        frame.draw(disc);
        if (text)
            frame.draw(sf::Text());
        frame.setDepth(NAN);
        sf::Sprite over(pattern());
        over.setPosition(overlay);
        frame.draw(over);
        return frame;
    }
};

TEST(KeptPictureTest, TheWorldOfTwoListsDiffersByEveryChangeThatPaintsOtherwiseAndNothingElse)
{
    const FrameList same = World().list();
    EXPECT_TRUE(KeptPicture::sameWorld(World().list(), same));
    sf::Texture unknown;
    ASSERT_TRUE(unknown.loadFromImage(patternImage()));
    const std::vector<std::pair<const char*, std::function<void(World&)>>> changes = {
        {"sprite moved a quarter pixel", [](World& w) { w.sprite.move(0.25f, 0.0f); }},
        {"sprite mirrored", [](World& w) { w.sprite.setScale(-1.0f, 1.0f); }},
        {"another frame of the sheet", [](World& w) { w.sprite.setTextureRect(sf::IntRect(0, 0, 16, 15)); }},
        {"sprite faded", [](World& w) { w.sprite.setColor(sf::Color(255, 255, 255, 254)); }},
        {"less of it visible", [](World& w) { w.visible.width = 13; }},
        {"another depth", [](World& w) { w.depth = 3.5f; }},
        {"disc grown", [](World& w) { w.disc.setRadius(4.5f); }},
        {"disc coloured", [](World& w) { w.disc.setFillColor(sf::Color::Red); }},
        {"disc outlined", [](World& w) { w.disc.setOutlineThickness(1.0f); }},
        {"disc moved", [](World& w) { w.disc.setPosition(0.0f, 0.5f); }},
        {"a ground vertex moved", [](World& w) { w.ground[1].position.x = 0.5f; }},
        {"the view moved", [](World& w) { w.view.move(0.25f, 0.0f); }},
        // What cannot be told apart is never the same: an image without a number, text.
        {"an image nobody remembered", [&](World& w) { w.image = &unknown; }},
        {"text in the world", [](World& w) { w.text = true; }},
    };
    for (const auto& change : changes) {
        World world;
        change.second(world);
        EXPECT_FALSE(KeptPicture::sameWorld(world.list(), same)) << change.first;
    }
    // What stands over the world is painted every frame, kept or not.
    World moved;
    moved.overlay = sf::Vector2f(30, 30);
    EXPECT_TRUE(KeptPicture::sameWorld(moved.list(), same));
    EXPECT_EQ(VisiblePixels::stamp(&unknown), 0u);
    EXPECT_EQ(VisiblePixels::stamp(nullptr), 0u);
}

TEST(KeptPictureTest, AnImageLoadedAgainIsAnotherOneWhereverItLies)
{
    sf::RenderTexture target;
    ASSERT_TRUE(target.create(64, 64));
    KeptPicture kept;
    using D = KeptPicture::Drawn;
    EXPECT_EQ(kept.paint(World().list(), target), D::PAINTED);
    EXPECT_EQ(kept.paint(World().list(), target), D::COPIED);
    const std::uint64_t before = VisiblePixels::stamp(&pattern());
    VisiblePixels::remember(const_cast<sf::Texture&>(pattern()), patternImage());
    EXPECT_NE(VisiblePixels::stamp(&pattern()), before);
    EXPECT_EQ(kept.paint(World().list(), target), D::PAINTED);
    EXPECT_EQ(kept.paint(World().list(), target), D::COPIED);
    // Switched off, as the benchmark weighs it: every frame painted.
    KeptPicture::enabled = false;
    EXPECT_EQ(kept.paint(World().list(), target), D::PAINTED);
    KeptPicture::enabled = true;
}

TEST(PresenterTest, TheWayIsTheProcessorsOnASoftwareRasteriserAndTheRenderersElseUnlessAsked)
{
    using Way = Presenter::Way;
    struct Case {
        const char* renderer;
        const char* asked;
        Way way;
    };
    const Case cases[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", nullptr, Way::PROCESSOR},
        {"softpipe", "", Way::PROCESSOR},
        {"Software Rasterizer", nullptr, Way::PROCESSOR},
        {"Google SwiftShader", nullptr, Way::PROCESSOR},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", nullptr, Way::RENDERER},
        {"NVIDIA GeForce GTX 1060/PCIe/SSE2", nullptr, Way::RENDERER},
        {"", nullptr, Way::RENDERER},
        {"llvmpipe (LLVM 15.0.6, 256 bits)", "renderer", Way::RENDERER},
        {"AMD Radeon RX 580", "processor", Way::PROCESSOR},
        // Only the two words are heard; anything else leaves it to the renderer.
        {"llvmpipe (LLVM 15.0.6, 256 bits)", "Renderer", Way::PROCESSOR},
        {"AMD Radeon RX 580", "cpu", Way::RENDERER},
    };
    testing::internal::CaptureStdout();
    for (const Case& c : cases)
        EXPECT_EQ(Presenter::choose(c.renderer, c.asked), c.way) << c.renderer << " / " << (c.asked ? c.asked : "-");
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(said, "MORVANE_PRESENT=Renderer is neither processor nor renderer: chosen by the renderer instead\n"
                    "MORVANE_PRESENT=cpu is neither processor nor renderer: chosen by the renderer instead\n");
}

} // namespace
