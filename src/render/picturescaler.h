#pragma once
// Scales the game's 800 x 600 picture into a window-sized image on the processor, each
// window pixel taking the picture pixel Letterbox says is under it, the bars black. The
// picture comes as the renderer reads it back fastest, RGBA bytes (0xAABBGGRR as 32-bit
// pixels); what is written is opaque 0xAARRGGBB, as the X server's usual true colour takes it.

#include <SFML/System/Vector2.hpp>
#include <cstddef>
#include <cstdint>
#include <vector>

class PictureScaler final {
public:
    // picture: Letterbox::PICTURE's RGBA pixels, bottom row first, as the renderer reads
    // them back. out: windowSize.y rows of `stride` pixels each. The bars are painted only when
    // asked: an image kept from frame to frame needs them once.
    void scale(const std::uint32_t* picture, sf::Vector2u windowSize, std::uint32_t* out, std::size_t stride,
               bool bars);

private:
    void map(sf::Vector2u windowSize);
    // Window rows [from, to).
    void scaleRows(const std::uint32_t* picture, std::size_t width, std::uint32_t* out, std::size_t stride, bool bars,
                   std::size_t from, std::size_t to) const;

    sf::Vector2u mapped;
    std::vector<int> columns; // picture column under each window column of the picture's area
    std::vector<int> rows;    // picture row (read back, bottom first) under each window row, -1 on a bar
    std::size_t left = 0;     // the area's first window column
};
