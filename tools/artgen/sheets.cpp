#include "sheets.h"

#include "palette.h"

#include <SFML/Graphics/Image.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace art {
namespace {

bool load(const std::string& path, sf::Image& image)
{
    if (image.loadFromFile(path))
        return true;
    std::printf("artgen: cannot read back %s\n", path.c_str());
    return false;
}

// Copies a w x h region of src with its point (ox, oy) landing on (x, y).
void place(Canvas& dst, const sf::Image& src, int sx, int sy, int w, int h, float ox, float oy, float x, float y,
           bool mirror = false)
{
    const int left = static_cast<int>(std::lround(x - (mirror ? w - ox : ox)));
    const int top = static_cast<int>(std::lround(y - oy));
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const sf::Color p = src.getPixel(static_cast<unsigned>(sx + (mirror ? w - 1 - i : i)), static_cast<unsigned>(sy + j));
            if (p.a == 0)
                continue;
            dst.blend(left + i, top + j, rgb(p.r, p.g, p.b, p.a / 255.0f), 1.0f);
        }
}

struct Layout {
    int x, y;
};

} // namespace

bool writeContactSheet(const std::string& root, const std::vector<Job>& jobs, const std::string& out)
{
    // Shelf packing: sheets at a quarter, props at half, tiles and portraits whole.
    const int maxWidth = 1200, gap = 6;
    std::vector<Canvas> pieces;
    for (const Job& job : jobs) {
        sf::Image image;
        if (!load(root + "/" + job.path, image))
            return false;
        Canvas c = Canvas::fromImage(image);
        pieces.push_back(c.width() > 300 ? c.downscaled(4) : (c.width() > 128 ? c.downscaled(2) : c));
    }
    std::vector<Layout> at;
    int x = gap, y = gap, rowH = 0;
    for (const Canvas& c : pieces) {
        if (x + c.width() + gap > maxWidth) {
            x = gap;
            y += rowH + gap;
            rowH = 0;
        }
        at.push_back({x, y});
        x += c.width() + gap;
        rowH = std::max(rowH, c.height());
    }
    Canvas sheet(maxWidth, y + rowH + gap);
    sheet.fill(rect(0, 0, static_cast<float>(maxWidth), static_cast<float>(sheet.height())), rgb(92, 96, 110));
    for (std::size_t i = 0; i < pieces.size(); ++i)
        sheet.draw(pieces[i], at[i].x, at[i].y);
    return sheet.save(out);
}

bool writeTestScene(const std::string& root, const std::string& out)
{
    // A street corner: road, curb, sidewalk, a lawn and a small shop.
    const char* rows[] = {
        "GGGGG88988",
        "GGGGG85566",
        "GGGGG:5566",
        "GGGGG85567",
        "SSSSSSSSSS",
        "CCCCCCCCCC",
        "AAAAAAAAAA",
        "LLLLLLLLLL",
        "AAAAAAAAAA",
        "GGHHHHGGGG",
    };
    auto tileOf = [](char ch) {
        switch (ch) {
        case 'G': return 0;
        case 'A': return 1;
        case 'L': return 2;
        case 'S': return 3;
        case 'C': return 4;
        case '5': return 5;
        case '6': return 6;
        case '7': return 7;
        case '8': return 8;
        case '9': return 9;
        case ':': return 10;
        case 'H': return 11;
        default: return 0;
        }
    };
    const int W = 800, H = 600;
    Canvas scene(W, H);
    scene.fill(rect(0, 0, W, H), rgb(0, 0, 0));
    // Camera centred on world (160, 130).
    const float camX = W / 2.0f - 2.0f * (160 - 130), camY = H / 2.0f - (160 + 130);
    auto screen = [&](float wx, float wy) { return Vec2{camX + 2 * (wx - wy), camY + wx + wy}; };

    // The zone draws its tiles column by column, then the entities by depth.
    for (int tx = 0; tx < 10; ++tx)
        for (int ty = 0; ty < 10; ++ty) {
            sf::Image tile;
            const int n = tileOf(rows[ty][tx]);
            if (!load(root + "/resources/gfx/tiles/" + std::to_string(n) + ".png", tile))
                return false;
            const Vec2 p = screen(32.0f * tx, 32.0f * ty);
            const int w = static_cast<int>(tile.getSize().x), h = static_cast<int>(tile.getSize().y);
            place(scene, tile, 0, 0, w, h, static_cast<float>(w / 2), h - 64.0f, p.x, p.y);
        }

    struct Thing {
        float wx, wy;
        std::string path;
        int frames;     // 0 for a prop image
        int frame;
        float ox, oy;
        bool mirror;
    };
    const std::vector<Thing> things = {
        {215, 45, "resources/gfx/doodads/counter.png", 0, 0, 64, 128, false},
        {296, 112, "resources/gfx/doodads/fridge_downright.png", 0, 0, 112, 196, false},
        {210, 100, "resources/gfx/doodads/monitor_downright.png", 0, 0, 123, 210, false},
        {250, 70, "resources/gfx/doodads/chair_upright.png", 0, 0, 119, 207, false},
        {190, 40, "resources/gfx/clerk/clerk_walk_downright.png", 8, 2, 130, 200, false},
        {230, 150, "resources/gfx/doodads/street_lamp_downright.png", 0, 0, 119, 356, false},
        {120, 140, "resources/gfx/doodads/trashcan.png", 0, 0, 128, 172, false},
        {60, 80, "resources/gfx/doodads/chair_downright.png", 0, 0, 119, 207, false},
        {250, 250, "resources/gfx/doodads/car_downright.png", 0, 0, 90, 170, false},
        {40, 250, "resources/gfx/doodads/car_upright.png", 0, 0, 166, 170, false},
        {150, 170, "resources/gfx/otaku/otaku_punch_downright.png", 12, 4, 123, 197, false},
        {176, 178, "resources/gfx/robber/gangster_hurt_downright.png", 8, 1, 121, 193, true},
        {80, 150, "resources/gfx/male_pedestrian/walking_upright.png", 8, 2, 154, 177, false},
        {30, 110, "resources/gfx/robber/gangster_walking_downright.png", 8, 3, 128, 186, false},
        {100, 220, "resources/gfx/robber/gangster_death_downright.png", 8, 7, 134, 198, true},
    };
    std::vector<const Thing*> order;
    for (const Thing& t : things)
        order.push_back(&t);
    std::stable_sort(order.begin(), order.end(),
                     [](const Thing* a, const Thing* b) { return a->wx + a->wy < b->wx + b->wy; });
    bool complete = true;
    for (const Thing* t : order) {
        sf::Image image;
        if (!load(root + "/" + t->path, image)) {
            complete = false;
            continue;
        }
        int w = static_cast<int>(image.getSize().x), h = static_cast<int>(image.getSize().y);
        int sx = 0, sy = 0;
        if (t->frames > 0) {
            const int rowsInSheet = (t->frames + 3) / 4;
            w /= 4;
            h /= rowsInSheet;
            sx = (t->frame % 4) * w;
            sy = (t->frame / 4) * h;
        }
        const Vec2 p = screen(t->wx, t->wy);
        place(scene, image, sx, sy, w, h, t->ox, t->oy, p.x, p.y, t->mirror);
    }
    return scene.save(out) && complete;
}

} // namespace art
