#include "render/picturescaler.h"

#include "core/letterbox.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <thread>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {
const std::uint32_t BLACK = 0xff000000u;
const std::uint32_t OPAQUE = 0xff000000u;
// Below this a second thread costs more than it saves.
const unsigned MIN_ROWS_TO_SHARE = 200;

// RGBA bytes to opaque 0xAARRGGBB: red and blue change places.
std::uint32_t toWindow(std::uint32_t rgba)
{
    return OPAQUE | (rgba & 0x0000ff00u) | ((rgba << 16 | rgba >> 16) & 0x00ff00ffu);
}
} // namespace

void PictureScaler::map(sf::Vector2u windowSize)
{
    if (windowSize == mapped && !rows.empty())
        return;
    mapped = windowSize;
    // Letterbox alone says which picture pixel a window pixel shows, so the mouse and the
    // picture can never disagree.
    const Letterbox box(windowSize);
    const sf::IntRect& area = box.area();
    left = static_cast<std::size_t>(area.left);
    columns.resize(static_cast<std::size_t>(area.width));
    rows.assign(windowSize.y, -1);
    for (int x = 0; x < area.width; ++x)
        columns[static_cast<std::size_t>(x)] = box.toPicture(sf::Vector2i(area.left + x, area.top)).x;
    for (int y = area.top; y < area.top + area.height; ++y)
        rows[static_cast<std::size_t>(y)] =
            static_cast<int>(Letterbox::PICTURE.y) - 1 - box.toPicture(sf::Vector2i(area.left, y)).y;
}

void PictureScaler::scale(const std::uint32_t* picture, sf::Vector2u windowSize, std::uint32_t* out,
                          std::size_t stride, bool bars)
{
    map(windowSize);
    // The other processor is idle while the picture is shown: it takes the top half.
    const std::size_t half = windowSize.y / 2;
    if (windowSize.y < MIN_ROWS_TO_SHARE) {
        scaleRows(picture, windowSize.x, out, stride, bars, 0, windowSize.y);
        return;
    }
    std::thread top;
    try {
        top = std::thread([&] { scaleRows(picture, windowSize.x, out, stride, bars, 0, half); });
    } catch (const std::system_error&) {
        // No thread to be had: this one does it all.
        scaleRows(picture, windowSize.x, out, stride, bars, 0, half);
    }
    scaleRows(picture, windowSize.x, out, stride, bars, half, windowSize.y);
    if (top.joinable())
        top.join();
}

void PictureScaler::scaleRows(const std::uint32_t* picture, std::size_t width, std::uint32_t* out, std::size_t stride,
                              bool bars, std::size_t from, std::size_t to) const
{
    const std::size_t shown = columns.size();
    int lastRow = -1;
    const std::uint32_t* lastLine = nullptr;
    for (std::size_t y = from; y < to; ++y) {
        std::uint32_t* line = out + y * stride;
        const int row = rows[y];
        if (row < 0) {
            if (bars)
                std::fill(line, line + width, BLACK);
            continue;
        }
        if (bars) {
            std::fill(line, line + left, BLACK);
            std::fill(line + left + shown, line + width, BLACK);
        }
        line += left;
        // A picture row shown on several window rows is worked out once.
        if (row == lastRow) {
            std::memcpy(line, lastLine, shown * sizeof(std::uint32_t));
            continue;
        }
        const std::uint32_t* source = picture + static_cast<std::size_t>(row) * Letterbox::PICTURE.x;
        const int* column = columns.data();
        std::size_t x = 0;
#ifdef __SSE2__
        // Four pixels a store: the loop is most of a scaled frame's cost.
        const __m128i opaque = _mm_set1_epi32(static_cast<int>(OPAQUE));
        const __m128i redBlue = _mm_set1_epi32(0x00ff00ff);
        const __m128i green = _mm_set1_epi32(0x0000ff00);
        for (; x + 4 <= shown; x += 4) {
            const __m128i four = _mm_set_epi32(static_cast<int>(source[column[x + 3]]), static_cast<int>(source[column[x + 2]]),
                                               static_cast<int>(source[column[x + 1]]), static_cast<int>(source[column[x]]));
            const __m128i swapped = _mm_and_si128(_mm_or_si128(_mm_slli_epi32(four, 16), _mm_srli_epi32(four, 16)), redBlue);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(line + x),
                             _mm_or_si128(_mm_or_si128(swapped, _mm_and_si128(four, green)), opaque));
        }
#endif
        for (; x < shown; ++x)
            line[x] = toWindow(source[column[x]]);
        lastRow = row;
        lastLine = line;
    }
}
