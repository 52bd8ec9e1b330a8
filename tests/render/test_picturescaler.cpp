// The processor's scaling against Letterbox's own mapping, pixel by pixel, at sizes from a
// single pixel to far beyond the screen.

#include "core/letterbox.h"
#include "render/picturescaler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(PictureScaler, EveryWindowPixelShowsThePicturePixelLetterboxMapsItToAndBarsAreBlack)
{
    const unsigned w = Letterbox::PICTURE.x, h = Letterbox::PICTURE.y;
    // Every picture pixel its own colour, half transparent, rows bottom first as read back.
    std::vector<std::uint32_t> picture(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = 0x7f000000u | static_cast<std::uint32_t>(i);
    PictureScaler scaler;
    // One scaler through every size in turn, as a window resized again and again.
    for (const sf::Vector2u size : {sf::Vector2u(1920, 1080), sf::Vector2u(1, 1), sf::Vector2u(801, 600),
                                    sf::Vector2u(800, 601), sf::Vector2u(333, 1000), sf::Vector2u(4000, 3000),
                                    sf::Vector2u(800, 600), sf::Vector2u(1920, 1080)}) {
        SCOPED_TRACE(testing::Message() << size.x << " x " << size.y);
        const std::size_t stride = size.x + 3; // rows padded, as an X image's may be
        std::vector<std::uint32_t> out(stride * size.y, 0xdeadbeef);
        scaler.scale(picture.data(), size, out.data(), stride, true);
        // Again without the bars, as for the next frame into the same image.
        picture[0] ^= 0xffffff;
        picture[1] ^= 0xff;
        scaler.scale(picture.data(), size, out.data(), stride, false);
        const Letterbox box(size);
        int wrong = 0;
        for (unsigned y = 0; y < size.y; ++y)
            for (unsigned x = 0; x < size.x; ++x) {
                const sf::Vector2i at(static_cast<int>(x), static_cast<int>(y));
                std::uint32_t expected = 0xff000000u; // opaque black
                if (box.area().contains(at)) {
                    const sf::Vector2i p = box.toPicture(at);
                    // RGBA bytes in, 0xAARRGGBB out.
                    const std::uint32_t rgba = picture[static_cast<std::size_t>(h - 1 - p.y) * w + static_cast<std::size_t>(p.x)];
                    expected |= (rgba & 0xffu) << 16 | (rgba & 0xff00u) | (rgba >> 16 & 0xffu);
                }
                wrong += out[y * stride + x] != expected;
            }
        EXPECT_EQ(wrong, 0);
        for (unsigned y = 0; y < size.y; ++y)
            for (std::size_t pad = size.x; pad < stride; ++pad)
                wrong += out[y * stride + pad] != 0xdeadbeef;
        EXPECT_EQ(wrong, 0) << "wrote past a row's pixels";
    }
}

} // namespace
