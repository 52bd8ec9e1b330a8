// Dialog portraits: 100 x 100, head and shoulders, on an opaque backdrop (the dialog
// box draws a plain rectangle under each portrait, so nothing may show through).

#include "characters.h"
#include "jobs.h"
#include "palette.h"

#include <cmath>

namespace art {
namespace {

const int SIZE = 100;

// k: pixels per portrait unit; the dialog box's portraits are painted at 1.
Canvas portrait(Style style, Col backdrop, float turn, float k = 1.0f)
{
    // Seen this close, slimmer arms give the shoulders a gentler slope.
    style.build.armR *= 0.8f;
    style.build.shoulderWidth *= 0.9f;
    const float size = SIZE * k;
    Canvas c(static_cast<int>(size), static_cast<int>(size));
    // Backdrop: a soft vertical gradient with a lighter halo behind the head.
    c.fill(rect(0, 0, size, size), [backdrop, size, k](Vec2 p, float, const Shape&) {
        const float t = p.y / size;
        Col col = mix(scaled(backdrop, 1.15f), scaled(backdrop, 0.7f), t);
        const float halo = 1.0f - smoothstep(10.0f * k, 46.0f * k, len(p - Vec2{46, 40} * k));
        return mix(col, pal::WHITE, 0.18f * halo);
    });

    Pose pose;
    pose.armL = {2, 3, 8, 0};
    pose.armR = {2, 3, 8, 0};
    // Tipping the figure away from the camera cancels the game's downward view: eye level.
    pose.lean = -30;
    FigureView view;
    view.facing = -45 + turn;
    view.scale = 1.85f * k;
    view.outline = 2.0f * k;
    view.shadow = false;
    const Joints j = solve(style.build, pose, view.facing);
    const Vec2 head = project(j.head * view.scale, {0, 0});
    view.origin = Vec2{50, 44} * k - head;
    drawFigure(c, style, pose, view);

    // Frame: dark edge with a thin light bevel inside.
    const Shape inner = rect(2.5f * k, 2.5f * k, size - 2.5f * k, size - 2.5f * k);
    c.fill(subtract(rect(0, 0, size, size), inner), pal::OUTLINE);
    c.fill(subtract(inner, rect(3.5f * k, 3.5f * k, size - 3.5f * k, size - 3.5f * k)), withAlpha(pal::WHITE, 0.35f));
    return c;
}

Style playerPortraitStyle()
{
    Style s = playerStyle();
    s.mood = Mood::Smile;
    return s;
}

const Col PLAYER_BACKDROP = rgb(70, 112, 156);

// The desktop's icon: the player's portrait on a rounded tile, painted at twice its size
// and scaled down for smooth edges.
Canvas icon()
{
    const int size = 512;
    const Canvas face = portrait(playerPortraitStyle(), PLAYER_BACKDROP, -8, size / static_cast<float>(SIZE));
    Canvas c(size, size);
    const Shape tile = grow(rect(56, 56, size - 56, size - 56), 48);
    c.fill(tile, [&face](Vec2 p, float, const Shape&) { return face.at(static_cast<int>(p.x), static_cast<int>(p.y)); },
           12.0f, pal::OUTLINE);
    return c.downscaled(2);
}

Style neutralA()
{
    Style s = pedestrianStyle();
    s.top = rgb(150, 150, 160);
    s.sleeve = s.top;
    s.hair = rgb(90, 70, 60);
    return s;
}

Style neutralB()
{
    Style s = pedestrianStyle();
    s.top = rgb(96, 140, 100);
    s.sleeve = s.top;
    s.hair = pal::HAIR_BLACK;
    s.skin = rgb(214, 164, 124);
    return s;
}

Job job(const std::string& name, std::function<Canvas()> make) { return {"resources/gfx/portraits/" + name + ".png", make}; }

} // namespace

std::vector<Job> portraitJobs()
{
    return {
        job("default_portrait", [] { return portrait(neutralA(), rgb(96, 102, 120), 0); }),
        job("default_portrait2", [] { return portrait(neutralB(), rgb(112, 98, 124), 0); }),
        job("otaku", [] { return portrait(playerPortraitStyle(), PLAYER_BACKDROP, -8); }),
        job("clerk_portrait", [] {
            Style s = clerkStyle();
            s.mood = Mood::Smile;
            return portrait(s, rgb(92, 140, 112), 8);
        }),
        job("robber_portrait", [] {
            Style s = robberStyle();
            s.mood = Mood::Angry;
            return portrait(s, rgb(124, 52, 60), -10);
        }),
        job("pell_garrow", [] { return portrait(elderStyle(), rgb(150, 122, 84), 10); }),
        {"resources/gfx/icon.png", icon},
    };
}

} // namespace art
