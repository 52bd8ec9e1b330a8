// Dialog portraits: 100 x 100, head and shoulders, on an opaque backdrop (the dialog
// box draws a plain rectangle under each portrait, so nothing may show through).

#include "characters.h"
#include "jobs.h"
#include "palette.h"

#include <cmath>

namespace art {
namespace {

const int SIZE = 100;

Canvas portrait(Style style, Col backdrop, float turn)
{
    // Seen this close, slimmer arms give the shoulders a gentler slope.
    style.build.armR *= 0.8f;
    style.build.shoulderWidth *= 0.9f;
    Canvas c(SIZE, SIZE);
    // Backdrop: a soft vertical gradient with a lighter halo behind the head.
    c.fill(rect(0, 0, SIZE, SIZE), [backdrop](Vec2 p, float, const Shape&) {
        const float t = p.y / SIZE;
        Col col = mix(scaled(backdrop, 1.15f), scaled(backdrop, 0.7f), t);
        const float halo = 1.0f - smoothstep(10.0f, 46.0f, len(p - Vec2{46, 40}));
        return mix(col, pal::WHITE, 0.18f * halo);
    });

    Pose pose;
    pose.armL = {2, 3, 8, 0};
    pose.armR = {2, 3, 8, 0};
    // Tipping the figure away from the camera cancels the game's downward view: eye level.
    pose.lean = -30;
    FigureView view;
    view.facing = -45 + turn;
    view.scale = 1.85f;
    view.outline = 2.0f;
    view.shadow = false;
    const Joints j = solve(style.build, pose, view.facing);
    const Vec2 head = project(j.head * view.scale, {0, 0});
    view.origin = Vec2{50, 44} - head;
    drawFigure(c, style, pose, view);

    // Frame: dark edge with a thin light bevel inside.
    const Shape inner = rect(2.5f, 2.5f, SIZE - 2.5f, SIZE - 2.5f);
    c.fill(subtract(rect(0, 0, SIZE, SIZE), inner), pal::OUTLINE);
    c.fill(subtract(inner, rect(3.5f, 3.5f, SIZE - 3.5f, SIZE - 3.5f)), withAlpha(pal::WHITE, 0.35f));
    return c;
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
        job("otaku", [] {
            Style s = playerStyle();
            s.mood = Mood::Smile;
            return portrait(s, rgb(70, 112, 156), -8);
        }),
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
    };
}

} // namespace art
