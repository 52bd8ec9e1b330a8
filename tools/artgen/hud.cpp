// The play screen's health bar: one row of 32 x 32 cells, a heart and the three states of
// a pip (full, half, empty), which the game lays out from the left.

#include "jobs.h"
#include "palette.h"

#include <algorithm>

namespace art {
namespace {

const int CELL = 32;
const float OUTLINE = 2.0f;

Shape heart(Vec2 at)
{
    const Shape lobes = unite(circle(at + Vec2{-6.5f, -3.5f}, 7.5f), circle(at + Vec2{6.5f, -3.5f}, 7.5f));
    return unite(lobes, polygon({at + Vec2{-13.6f, -0.8f}, at + Vec2{13.6f, -0.8f}, at + Vec2{0, 13.0f}}));
}

// A pip is an upright rounded bar: its trough, and the part of it that is filled.
Shape pip(Vec2 at) { return capsule(at + Vec2{0, -8.5f}, at + Vec2{0, 8.5f}, 5.5f, 5.5f); }

void paintPip(Canvas& c, Vec2 at, float filled)
{
    c.fill(pip(at), pal::OUTLINE, OUTLINE, pal::OUTLINE);
    c.fill(grow(pip(at), -1.0f), toon(material(rgb(70, 58, 78), 4.0f)));
    if (filled <= 0.0f)
        return;
    // Fills from the bottom, as a glass fills.
    const float top = at.y + 14.0f - 28.0f * filled;
    c.fill(intersect(grow(pip(at), -1.0f), rect(at.x - 8, top, at.x + 8, at.y + 16)), toon(material(rgb(214, 62, 62), 4.0f)));
    c.fill(capsule(Vec2{at.x - 2.2f, std::max(top + 3.0f, at.y - 6.0f)}, Vec2{at.x - 2.2f, at.y + 3.0f}, 1.0f, 1.0f),
           withAlpha(pal::WHITE, 0.55f));
}

Canvas healthBar()
{
    Canvas c(CELL * 4, CELL);
    const Vec2 heartAt{16, 17};
    c.fill(heart(heartAt), toon(material(rgb(222, 64, 70), 8.0f)), OUTLINE, pal::OUTLINE);
    c.fill(circle(heartAt + Vec2{-6.5f, -5.5f}, 2.4f), withAlpha(pal::WHITE, 0.7f));
    const float fills[] = {1.0f, 0.5f, 0.0f};
    for (int i = 0; i < 3; ++i)
        paintPip(c, Vec2{CELL * (i + 1) + 16.0f, 16.0f}, fills[i]);
    return c;
}

} // namespace

std::vector<Job> hudJobs() { return {{"resources/gfx/hud/health.png", healthBar}}; }

} // namespace art
