#include "characters.h"

#include "jobs.h"
#include "palette.h"

#include <cmath>

namespace art {
namespace {

const float PI = 3.14159265f;

float wave(int f, int n, float offset = 0) { return std::sin(2 * PI * (f + offset) / n); }

// Keyframed value: picks from a list by frame, clamped at the ends.
float key(const std::vector<float>& k, int f) { return k[static_cast<std::size_t>(std::min<int>(f, static_cast<int>(k.size()) - 1))]; }

Pose relaxed()
{
    Pose p;
    p.armL = {4, 8, 14, 0};
    p.armR = {4, 8, 14, 0};
    p.legL = {0, 3, 2, 0};
    p.legR = {0, 3, 2, 0};
    return p;
}

Pose guard()
{
    Pose p;
    p.drop = 3;
    p.legL = {14, 4, 14, 0};
    p.legR = {-12, 4, 10, 0};
    p.armL = {48, 12, 108, 26};
    p.armR = {34, 14, 118, 22};
    p.bend = 4;
    return p;
}

// Walking: frame 2 is the passing pose, which also serves as the standing frame.
Pose walk(int f, float stride, float armSwing)
{
    Pose p = relaxed();
    const float ph = 2 * PI * (f - 2) / 8.0f;
    const float s = std::sin(ph), c = std::cos(ph);
    p.legL.swing = stride * s;
    p.legR.swing = -stride * s;
    p.legL.bend = 6 + 26 * std::max(0.0f, c) * std::max(0.0f, s + 0.3f);
    p.legR.bend = 6 + 26 * std::max(0.0f, -c) * std::max(0.0f, -s + 0.3f);
    p.armL.swing = -armSwing * s;
    p.armR.swing = armSwing * s;
    p.armL.bend = 16 + 14 * std::max(0.0f, -s);
    p.armR.bend = 16 + 14 * std::max(0.0f, s);
    p.drop = 1.5f - 1.5f * std::cos(2 * ph);
    p.twist = 7 * s;
    p.lean = 3;
    return p;
}

Pose playerIdle(int f)
{
    Pose p = guard();
    const float b = wave(f, 8);
    p.drop = 3 + 1.5f * b;
    p.bend = 4 + 1.5f * b;
    p.armL.bend += 4 * b;
    p.armR.bend += 4 * b;
    p.headPitch = -1.5f * b;
    return p;
}

Pose punch(int f, float reach)
{
    Pose p = guard();
    // Right jab fully out on frame 4, left on frame 7.
    const std::vector<float> twistK = {0, -10, -20, 5, 28, 14, -8, -28, -12, -4, 0, 0};
    const std::vector<float> rSwing = {34, 30, 26, 64, 86, 60, 34, 30, 32, 34, 34, 34};
    const std::vector<float> rBend = {118, 124, 130, 50, 0, 70, 118, 124, 120, 118, 118, 118};
    const std::vector<float> lSwing = {48, 46, 44, 46, 44, 46, 66, 86, 60, 50, 48, 48};
    const std::vector<float> lBend = {108, 110, 112, 110, 112, 108, 50, 0, 70, 104, 108, 108};
    const std::vector<float> leanK = {0, -2, -3, 4, 9, 5, 3, 9, 5, 2, 1, 0};
    p.twist = key(twistK, f) * 0.8f;
    p.armR.swing = key(rSwing, f);
    p.armR.bend = key(rBend, f);
    // The chest turns into each jab; the arm turns back so the fist still flies ahead.
    p.armR.yaw = (f == 4 ? reach : 22) - std::max(0.0f, p.twist);
    p.armL.swing = key(lSwing, f);
    p.armL.bend = key(lBend, f);
    p.armL.yaw = (f == 7 ? reach : 26) - std::max(0.0f, -p.twist);
    p.lean = key(leanK, f);
    p.drop = 3 + (f == 4 || f == 7 ? 2.0f : 0.0f);
    return p;
}

Pose spinKick(int f)
{
    Pose p = guard();
    const std::vector<float> turnK = {0, -25, 0, 50, 100, 150, 200, 250, 300, 340, 360, 360};
    const std::vector<float> legUp = {0, 0, 0.4f, 1, 1, 1, 1, 1, 0.8f, 0.3f, 0, 0};
    p.turn = key(turnK, f);
    const float up = key(legUp, f);
    p.legR = {10 * up - 12 * (1 - up), 7 + 78 * up, 70 * (1 - up) * (up > 0 ? 1.0f : 0.0f) + 10 * (1 - up), 0};
    p.legL = {6, 5, 16, 0};
    p.tilt = -22 * up;
    p.drop = 4 + 2 * up;
    p.armL = {40, 30 + 30 * up, 80, 10};
    p.armR = {40, 20 + 40 * up, 80, 10};
    if (f >= 4 && f <= 8) {
        p.trailLimb = Pose::Trail::RightFoot;
        p.trail = 60;
    }
    return p;
}

Pose throwing(int f)
{
    Pose p = relaxed();
    const std::vector<float> rSwing = {60, 20, -30, 160, 110, 60, 30, 10};
    const std::vector<float> rBend = {90, 90, 80, 50, 0, 10, 20, 16};
    const std::vector<float> twistK = {0, -15, -30, -20, 20, 30, 15, 0};
    const std::vector<float> leanK = {0, -4, -8, -4, 10, 14, 8, 3};
    p.armR.swing = key(rSwing, f);
    p.armR.bend = key(rBend, f);
    p.armR.spread = f == 2 ? 30 : 14;
    p.armL = {f < 3 ? 60.0f : 30.0f, 14, f < 3 ? 90.0f : 30.0f, 20};
    p.twist = key(twistK, f);
    p.lean = key(leanK, f);
    p.legL = {18, 6, 10, 0};
    p.legR = {-16, 6, 8, 0};
    p.drop = 2;
    p.holding = f < 4;
    return p;
}

Pose hurt(int f)
{
    Pose p = guard();
    const std::vector<float> leanK = {-12, -20, -16, -11, -7, -4, -2, 0};
    const std::vector<float> headK = {-22, -30, -20, -12, -6, -3, -1, 0};
    const float k = -key(leanK, f) / 20.0f;
    p.lean = key(leanK, f);
    p.headPitch = key(headK, f);
    p.shift = {0, -6 * k, 0};
    p.armL = {20 - 30 * k, 20 + 20 * k, 60, 10};
    p.armR = {20 - 30 * k, 20 + 24 * k, 50, 10};
    p.legL = {16 * k, 8, 14, 0};
    p.legR = {-6, 8, 18 * k + 6, 0};
    p.twist = 10 * k;
    p.eyesClosed = f < 3;
    return p;
}

Pose death(int f)
{
    Pose p = relaxed();
    const std::vector<float> leanK = {-14, -30, -50, -70, -86, -80, -88, -88};
    const std::vector<float> kneeK = {10, 30, 40, 46, 50, 52, 54, 54};
    const float lean = key(leanK, f);
    const float k = -lean / 88.0f;
    p.lean = lean;
    p.headPitch = f < 3 ? -20.0f : (f == 5 ? 10.0f : 0.0f);
    // Knees stay up as the body lands, which keeps the fallen figure compact.
    p.legL = {10 + 40 * k, 8, key(kneeK, f), 0};
    p.legR = {4 + 30 * k, 14, key(kneeK, f) * 0.8f, 0};
    p.drop = key(kneeK, f) * 0.2f;
    // Slide forward and lift, so the body lies on its back around where it stood.
    p.shift = {0, 34 * k, 15 * k * k + (f == 5 ? 5.0f : 0.0f)};
    p.armL = {-20 * k - 10, 30 + 40 * k, 30, 0};
    p.armR = {-30 * k - 5, 24 + 50 * k, 20, 0};
    p.eyesClosed = f >= 2;
    return p;
}

// A spinning backhand that comes round on frame 8.
Pose spinAttack(int f, int frames, bool bothArms)
{
    Pose p = guard();
    std::vector<float> turnK = {0, -30, 0, 75, 150, 225, 300, 375, 450, 585, 720};
    if (frames == 12)
        turnK = {0, -30, 0, 75, 150, 225, 300, 375, 450, 560, 650, 720};
    p.turn = key(turnK, f);
    const bool out = f >= 3 && f <= frames - 2;
    if (out) {
        p.armR = {10, 84, 0, 0};
        p.armL = bothArms ? Limb{10, 80, 10, 0} : Limb{40, 20, 110, 30};
        p.tilt = -6;
        p.lean = 4;
    }
    p.legL = {8, 10, 16, 0};
    p.legR = {-8, 10, 16, 0};
    p.drop = 5;
    if (f >= 4 && f <= frames - 2) {
        p.trailLimb = bothArms ? Pose::Trail::BothHands : Pose::Trail::RightHand;
        p.trail = 65;
    }
    return p;
}

Pose robberIdle(int f)
{
    Pose p = relaxed();
    const float b = wave(f, 8);
    p.drop = 2 + 1.2f * b;
    p.bend = 8 + 2 * b;
    p.lean = 2;
    p.headPitch = -8;
    p.legL = {8, 9, 8, 6};
    p.legR = {-6, 9, 8, 6};
    p.armL = {20, 16, 40 + 4 * b, 10};
    p.armR = {14, 18, 30 + 4 * b, 10};
    p.twist = 3 * wave(f, 8, 2);
    return p;
}

Pose robberPunch(int f)
{
    Pose p = punch(f, 12);
    p.bend += 4;
    return p;
}

} // namespace

Style playerStyle()
{
    Style s;
    s.build.thigh = 30;
    s.build.shin = 29;
    s.build.torso = 44;
    s.build.headR = 16;
    s.build.waistR = 19;
    s.build.chestR = 20;
    s.build.shoulderWidth = 21;
    s.build.armR = 8;
    s.build.foreR = 6.8f;
    s.build.handR = 6;
    s.build.thighR = 10.5f;
    s.build.shinR = 8;
    s.skin = pal::SKIN;
    s.hair = pal::HAIR_BLACK;
    s.top = pal::HOODIE;
    s.sleeve = pal::HOODIE;
    s.forearm = pal::HOODIE;
    s.pants = pal::DENIM;
    s.shoe = pal::SNEAKER;
    s.sole = pal::SNEAKER_RED;
    s.hairCut = Hair::Messy;
    s.glasses = true;
    s.hood = true;
    s.accent = pal::WHITE;
    return s;
}

Style robberStyle()
{
    Style s;
    s.build.headR = 14;
    s.build.waistR = 14;
    s.build.chestR = 18;
    s.build.shoulderWidth = 20;
    s.build.thigh = 36;
    s.build.shin = 35;
    s.skin = pal::SKIN_DARK;
    s.hair = pal::MASK;
    s.top = pal::JACKET;
    s.sleeve = pal::JACKET;
    s.forearm = pal::JACKET;
    s.pants = pal::TROUSERS_DARK;
    s.shoe = pal::SHOE_BROWN;
    s.sole = scaled(pal::SHOE_BROWN, 0.6f);
    s.hairCut = Hair::Bald;
    s.mask = true;
    s.hat = Hat::Cap;
    s.hatColor = pal::CAP_RED;
    s.zip = true;
    s.collar = true;
    s.accent = pal::METAL;
    return s;
}

Style pedestrianStyle()
{
    Style s;
    s.build.headR = 14;
    s.build.waistR = 13;
    s.build.chestR = 16;
    s.build.shoulderWidth = 18;
    s.skin = pal::SKIN;
    s.hair = pal::HAIR_BROWN;
    s.top = pal::SHIRT_BLUE;
    s.sleeve = pal::SHIRT_BLUE;
    s.forearm = pal::SKIN;
    s.pants = pal::DENIM_LIGHT;
    s.shoe = pal::SHOE_BROWN;
    s.sole = scaled(pal::SHOE_BROWN, 0.6f);
    s.hairCut = Hair::Short;
    s.collar = true;
    s.accent = pal::WHITE;
    return s;
}

Style clerkStyle()
{
    Style s;
    s.build.headR = 14;
    s.build.waistR = 14;
    s.build.chestR = 16;
    s.skin = pal::SKIN;
    s.hair = pal::HAIR_BROWN;
    s.top = pal::UNIFORM_RED;
    s.sleeve = pal::UNIFORM_RED;
    s.forearm = pal::SKIN;
    s.pants = pal::KHAKI;
    s.shoe = pal::HAIR_BLACK;
    s.sole = pal::OUTLINE;
    s.hairCut = Hair::Short;
    s.hat = Hat::Visor;
    s.hatColor = pal::UNIFORM_RED;
    s.apron = true;
    s.apronColor = pal::APRON_GREEN;
    s.collar = true;
    s.accent = pal::WHITE;
    return s;
}

Style elderStyle()
{
    Style s = pedestrianStyle();
    s.hair = pal::HAIR_GREY;
    s.hairCut = Hair::Grey;
    s.top = pal::CARDIGAN;
    s.sleeve = pal::CARDIGAN;
    s.forearm = pal::CARDIGAN;
    s.beard = true;
    s.glasses = true;
    s.zip = true;
    s.accent = scaled(pal::CARDIGAN, 0.6f);
    return s;
}

const std::vector<Animation>& animations()
{
    static const std::vector<Animation> list = [] {
        const std::string o = "resources/gfx/otaku/otaku_";
        const std::string r = "resources/gfx/robber/gangster_";
        const std::string m = "resources/gfx/male_pedestrian/";
        const std::string c = "resources/gfx/clerk/clerk_";
        const Style pl = playerStyle(), rb = robberStyle(), pd = pedestrianStyle(), ck = clerkStyle();
        return std::vector<Animation>{
            {o + "idle_downright.png", o + "idle_upright.png", 8, 125, 194, playerIdle, pl, FRAME_H},
            {o + "punch_downright.png", o + "punch_upright.png", 12, 123, 197, [](int f) { return punch(f, 14); }, pl, FRAME_H},
            {o + "walk_downright.png", o + "walk_upright.png", 8, 125, 200, [](int f) { return walk(f, 30, 26); }, pl, FRAME_H},
            {o + "spinkick_downright.png", o + "spinkick_upright.png", 12, 123, 197, spinKick, pl, FRAME_H},
            {o + "throw_downright.png", o + "throw_upright.png", 8, 125, 195, throwing, pl, FRAME_H},
            {o + "death_downright.png", o + "death_upright.png", 8, 125, 195, death, pl, DEATH_FRAME_H},
            {o + "hurt_downright.png", o + "hurt_upright.png", 8, 125, 195, hurt, pl, FRAME_H},
            {r + "idle_downright.png", r + "idle_upright.png", 8, 125, 192, robberIdle, rb, FRAME_H},
            {r + "walking_downright.png", r + "walk_upright.png", 8, 128, 186,
             [](int f) {
                 Pose p = walk(f, 28, 20);
                 p.bend = 6;
                 return p;
             },
             rb, FRAME_H},
            {r + "punch_downright.png", r + "punch_upright.png", 12, 135, 194, robberPunch, rb, FRAME_H},
            {r + "spin_downright.png", r + "spin_upright.png", 11, 121, 193, [](int f) { return spinAttack(f, 11, false); }, rb, FRAME_H},
            {r + "hurt_downright.png", r + "hurt_upright.png", 8, 121, 193, hurt, rb, FRAME_H},
            {r + "death_downright.png", r + "death_upright.png", 8, 134, 198, death, rb, DEATH_FRAME_H},
            {m + "spin_downright.png", m + "spin_upright.png", 12, 150, 180, [](int f) { return spinAttack(f, 12, true); }, pd, FRAME_H},
            {m + "throw_downright.png", m + "throw_upright.png", 8, 128, 160, throwing, pd, FRAME_H},
            {m + "walking_downright.png", m + "walking_upright.png", 8, 154, 177, [](int f) { return walk(f, 26, 22); }, pd, FRAME_H},
            {c + "walk_downright.png", c + "walk_upright.png", 8, 130, 200, [](int f) { return walk(f, 22, 18); }, ck, FRAME_H},
        };
    }();
    return list;
}

namespace {

Canvas sheet(const Animation& a, float facing)
{
    const int rows = (a.frames + 3) / 4;
    Canvas c(FRAME_W * 4, a.frameH * rows);
    for (int f = 0; f < a.frames; ++f) {
        FigureView view;
        view.facing = facing;
        Canvas frame(FRAME_W, a.frameH);
        view.origin = {static_cast<float>(a.originX), static_cast<float>(a.originY)};
        drawFigure(frame, a.style, a.pose(f), view);
        c.draw(frame, (f % 4) * FRAME_W, (f / 4) * a.frameH);
    }
    return c;
}

} // namespace

std::vector<Job> characterJobs()
{
    std::vector<Job> jobs;
    for (const Animation& a : animations()) {
        jobs.push_back({a.downPath, [&a] { return sheet(a, DOWN_RIGHT); }});
        jobs.push_back({a.upPath, [&a] { return sheet(a, UP_RIGHT); }});
    }
    return jobs;
}

} // namespace art
