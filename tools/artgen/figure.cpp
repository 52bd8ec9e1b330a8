#include "figure.h"

#include "palette.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace art {
namespace {

struct Part {
    float depth;
    std::function<void()> draw;
};

class Painter {
public:
    Painter(Canvas& c, const Style& s, const Pose& po, const Joints& j, const FigureView& v)
        : canvas(c), style(s), pose(po), joints(j), view(v)
    {
    }

    Vec2 at(V3 p) const { return project(p * view.scale, view.origin); }
    float r(float radius) const { return radius * view.scale; }
    float ow() const { return view.outline; }

    void solid(const Shape& s, Col c, float roundness)
    {
        canvas.fill(s, toon(material(c, r(roundness))), ow(), pal::OUTLINE);
    }
    void detail(const Shape& s, Col c) { canvas.fill(s, c); }

    Canvas& canvas;
    const Style& style;
    const Pose& pose;
    const Joints& joints;
    const FigureView& view;
};

// Is a point on the head's surface (head-frame direction) turned toward the camera?
float facingCamera(const Joints& j, V3 dir) { return dot(j.headFrame * dir, toCamera()); }

// Transposed rotation: world direction into the head's own frame.
V3 intoFrame(const M3& m, V3 v)
{
    return {m.m[0][0] * v.x + m.m[1][0] * v.y + m.m[2][0] * v.z, m.m[0][1] * v.x + m.m[1][1] * v.y + m.m[2][1] * v.z,
            m.m[0][2] * v.x + m.m[1][2] * v.y + m.m[2][2] * v.z};
}

float angleTo(V3 a, V3 b)
{
    const float la = std::sqrt(dot(a, a)), lb = std::sqrt(dot(b, b));
    return std::acos(std::max(-1.0f, std::min(1.0f, dot(a, b) / (la * lb))));
}

// The head is painted per pixel on a sphere: each pixel is lifted back to a point of
// the head, so hairline, eyes, glasses, mask and beard all turn with it.
Paint headPaint(const Painter& p, float radiusPx)
{
    const Style& st = p.style;
    const M3 frame = p.joints.headFrame;
    const Vec2 c = p.at(p.joints.head);
    const bool closed = p.pose.eyesClosed;
    const bool portrait = p.view.scale > 1.5f;
    return [=](Vec2 q, float, const Shape&) {
        const V3 right{0.7071f, -0.7071f, 0}, down{0.35355f, 0.35355f, -0.866f}, cam{0.6124f, 0.6124f, 0.5f};
        const float dx = (q.x - c.x) / radiusPx, dy = (q.y - c.y) / radiusPx;
        const float dz = std::sqrt(std::max(0.0f, 1.0f - dx * dx - dy * dy));
        const V3 world = right * dx + down * dy + cam * dz;
        const V3 h = intoFrame(frame, world); // x right, y forward, z up
        const float px = 1.0f / radiusPx;     // one pixel, in radians on the sphere
        auto soft = [px](float edgeDistance) { return clamp01(0.5f - edgeDistance / px); };

        Col base = st.mask ? pal::MASK : st.skin;
        const float eyeZ = 0.05f, eyeY = 0.92f, eyeX = 0.36f;
        if (st.mask)
            base = mix(base, st.skin, soft(std::fabs(h.z - eyeZ) - 0.2f) * soft(0.35f - h.y));
        // Hair: high at the forehead, down to the nape at the back.
        const float angle = std::atan2(h.x, h.y);
        if (st.hairCut != Hair::Bald && !st.mask) {
            float line = -0.5f + 0.88f * smoothstep(-0.35f, 0.75f, h.y);
            if (st.hairCut == Hair::Messy)
                line += 0.09f * std::sin(angle * 9.0f);
            if (st.hairCut == Hair::Grey)
                line += 0.08f * smoothstep(0.3f, 0.9f, h.y); // receding a little
            base = mix(base, st.hair, soft(line - h.z));
        }
        if (st.beard)
            base = mix(base, st.hair, std::max(soft(h.z + 0.5f), soft(std::fabs(h.z + 0.3f) - 0.06f) * soft(std::fabs(h.x) - 0.26f)) * clamp01(h.y * 4.0f));
        if (st.hat == Hat::Cap)
            base = mix(base, st.hatColor, soft(0.3f - h.z));
        if (st.hat == Hat::Visor)
            base = mix(base, st.hatColor, soft(std::fabs(h.z - 0.48f) - 0.12f));

        // Light the sphere like the other surfaces, then lay the face on top.
        const float lx = -0.5f, ly = -0.68f, lz = 0.54f;
        const float lambert = dx * lx + dy * ly + dz * lz;
        const Material m = material(base);
        const float terminator = portrait ? -0.22f : 0.1f;
        Col col = mix(m.shade, m.base, smoothstep(terminator, terminator + 0.08f, lambert));
        const float highlight = portrait ? 0.93f : 0.8f;
        col = mix(col, m.light, smoothstep(highlight, highlight + 0.06f, lambert));

        for (int s = -1; s <= 1; s += 2) {
            const V3 eye{s * eyeX, eyeY, eyeZ};
            const float d = angleTo(h, eye);
            if (st.glasses) {
                col = mix(col, pal::LENS, 0.45f * soft(d - 0.22f));
                col = mix(col, pal::GLASSES, soft(std::fabs(d - 0.22f) - 0.045f - px * 0.3f));
            }
            if (portrait) {
                col = mix(col, pal::WHITE, soft(d - 0.12f));
                col = mix(col, pal::EYE, soft(angleTo(h, {s * eyeX + 0.03f, eyeY, eyeZ}) - 0.07f));
                // Brows slant with the mood: inner ends down for a scowl.
                const float tilt = st.mood == Mood::Angry ? 0.55f : (st.mood == Mood::Smile ? -0.1f : 0.1f);
                const float browZ = eyeZ + 0.21f + tilt * (std::fabs(h.x) - eyeX);
                const Col brow = st.mask ? scaled(pal::MASK, 0.6f) : scaled(st.hair, st.hairCut == Hair::Grey ? 0.9f : 0.75f);
                col = mix(col, brow, soft(std::fabs(h.z - browZ) - 0.04f) * soft(std::fabs(h.x - s * eyeX) - 0.15f) * soft(0.5f - h.y));
            } else if (closed) {
                col = mix(col, pal::EYE, soft(std::fabs(h.z - eyeZ) - 0.03f) * soft(std::fabs(h.x - s * eyeX) - 0.1f) * soft(0.5f - h.y));
            } else {
                col = mix(col, pal::EYE, soft(d - 0.11f));
            }
        }
        if (st.glasses)
            col = mix(col, pal::GLASSES, soft(std::fabs(h.z - eyeZ) - 0.03f) * soft(std::fabs(h.x) - 0.15f) * soft(0.5f - h.y));
        if (!st.mask) {
            // A smile lifts the corners; a frown drops them.
            const float curve = st.mood == Mood::Smile ? 1.6f : (st.mood == Mood::Angry ? -1.0f : 0.0f);
            const float mouthZ = -0.44f + curve * h.x * h.x;
            const float mouth = soft(std::fabs(h.z - mouthZ) - 0.035f) * soft(std::fabs(h.x) - 0.17f) * soft(0.6f - h.y);
            col = mix(col, pal::MOUTH, mouth);
            const float nose = soft(angleTo(h, {0.06f, 0.96f, -0.18f}) - 0.09f) * clamp01((h.x - 0.04f) * 8.0f);
            col = mix(col, material(st.skin).shade, nose * 0.8f);
        }
        return col;
    };
}

void drawHead(Painter& p)
{
    const Style& st = p.style;
    const Joints& j = p.joints;
    const float R = st.build.headR;
    auto on = [&](float x, float y, float z) { return p.at(j.head + j.headFrame * V3{x * R, y * R, z * R}); };
    const Shape skull = circle(p.at(j.head), p.r(R));
    const float front = facingCamera(j, {0, 1, 0});

    // The brim goes behind the head when the face is turned away.
    std::vector<Vec2> brim;
    if (st.hat == Hat::Cap)
        brim = {on(-0.58f, 0.7f, 0.5f), on(0.58f, 0.7f, 0.5f), on(0.44f, 1.2f, 0.46f), on(-0.44f, 1.2f, 0.46f)};
    const bool brimFront = facingCamera(j, {0, 1, 0.2f}) >= 0;
    if (!brim.empty() && !brimFront)
        p.solid(polygon(brim), scaled(st.hatColor, 0.85f), 3);

    // Far ear first, the near one after the head.
    int nearEar = facingCamera(j, {1, 0, 0}) > 0 ? 1 : -1;
    auto ear = [&](int s) {
        if (std::fabs(facingCamera(j, {static_cast<float>(s), 0, 0})) < 0.15f || front < -0.8f || st.mask)
            return; // a balaclava covers the ears
        p.solid(circle(on(s * 0.92f, 0.02f, -0.05f), p.r(p.view.scale > 1.5f ? 2.0f : 2.6f)), st.mask ? pal::MASK : st.skin, 3);
    };
    ear(-nearEar);
    p.canvas.fill(skull, headPaint(p, p.r(R)), p.ow(), pal::OUTLINE);
    if (front > -0.3f)
        ear(nearEar);
    if (st.hairCut == Hair::Messy) {
        // A few spikes on top.
        for (int k = -3; k <= 3; ++k) {
            const Vec2 root = on(k * 0.2f, -0.2f + 0.04f * k, 0.86f);
            const Vec2 tip = on(k * 0.32f, -0.42f + 0.1f * (k & 1), 1.16f - 0.02f * std::abs(k));
            p.solid(capsule(root, tip, p.r(2.8f), p.r(0.7f)), st.hair, 2);
        }
    }
    if (!brim.empty() && brimFront)
        p.solid(polygon(brim), scaled(st.hatColor, 0.85f), 3);
}

void drawTorso(Painter& p)
{
    const Style& st = p.style;
    const Joints& j = p.joints;
    const Build& b = st.build;
    const float front = dot(j.chest * V3{0, 1, 0}, toCamera());
    const V3 low = j.pelvis + j.chest * V3{0, 0, 5};
    const V3 high = j.pelvis + j.chest * V3{0, 0, b.torso - 8};
    // A tapered trunk with a bar across the shoulders, so the chest is broader than deep.
    const V3 shL = j.pelvis + j.chest * V3{-b.shoulderWidth * 0.8f, 0, b.torso - 7};
    const V3 shR = j.pelvis + j.chest * V3{b.shoulderWidth * 0.8f, 0, b.torso - 7};
    const Shape body = unite(capsule(p.at(low), p.at(high), p.r(b.waistR), p.r(b.chestR)),
                             capsule(p.at(shL), p.at(shR), p.r(b.chestR * 0.62f), p.r(b.chestR * 0.62f)));

    auto hood = [&] {
        const V3 h0 = j.pelvis + j.chest * V3{-9, -b.chestR * 0.55f, b.torso + 1};
        const V3 h1 = j.pelvis + j.chest * V3{9, -b.chestR * 0.55f, b.torso + 1};
        p.solid(capsule(p.at(h0), p.at(h1), p.r(8), p.r(8)), scaled(st.top, 0.92f), 8);
    };
    if (st.hood && front >= 0)
        hood();
    // Neck first so the collar line of the torso covers its root.
    p.solid(capsule(p.at(j.chestTop), p.at(j.neckTop), p.r(5.5f), p.r(5.5f)), st.mask ? pal::MASK : st.skin, 5);
    p.solid(body, st.top, b.chestR);

    auto surface = [&](float x, float z, float out) {
        // A point on the front (out > 0) or back of the torso capsule.
        const float t = (z - 5) / (b.torso - 13);
        const float radius = b.waistR + (b.chestR - b.waistR) * std::min(1.0f, std::max(0.0f, t));
        return p.at(j.pelvis + j.chest * V3{x, out * radius * 0.92f, z});
    };
    const Shape inside = grow(body, -p.r(0.6f));
    if (front > 0.05f) {
        if (st.apron) {
            const Shape apron = intersect(polygon({surface(-10, 40, 1), surface(10, 40, 1), surface(13, -2, 1), surface(-13, -2, 1)}), grow(body, p.r(2)));
            p.canvas.fill(apron, toon(material(st.apronColor, p.r(b.chestR))), p.ow() * 0.7f, pal::OUTLINE);
            p.detail(intersect(capsule(surface(-6, 14, 1.05f), surface(6, 14, 1.05f), p.r(3), p.r(3)), inside), scaled(st.apronColor, 0.75f));
        }
        if (st.zip)
            p.detail(intersect(capsule(surface(0, 4, 1), surface(0, b.torso - 4, 1), p.r(0.8f), p.r(0.8f)), inside), st.accent);
        if (st.hood) {
            // Front pocket and drawstrings.
            p.detail(intersect(polygon({surface(-8, 20, 1), surface(8, 20, 1), surface(11, 7, 1), surface(-11, 7, 1)}), inside), scaled(st.top, 0.8f));
            for (int s = -1; s <= 1; s += 2)
                p.detail(capsule(surface(s * 4.0f, b.torso - 2, 1), surface(s * 4.5f, b.torso - 14, 1), p.r(0.8f), p.r(0.8f)), st.accent);
        }
        if (st.collar)
            for (int s = -1; s <= 1; s += 2)
                p.detail(intersect(polygon({surface(0, b.torso - 6, 1.05f), surface(s * 8.0f, b.torso - 1, 1), surface(s * 6.0f, b.torso - 10, 1.05f)}), grow(body, p.r(1))), scaled(st.top, 1.15f));
    } else if (st.apron) {
        p.detail(intersect(capsule(surface(-12, 16, -1), surface(12, 16, -1), p.r(1.2f), p.r(1.2f)), inside), st.apronColor);
    }
    if (st.hood && front < 0)
        hood();
}

void drawLeg(Painter& p, int s)
{
    const Style& st = p.style;
    const Joints& j = p.joints;
    const Build& b = st.build;
    const Shape leg = chain({p.at(j.hip[s]), p.at(j.knee[s]), p.at(j.ankle[s])}, {p.r(b.thighR), p.r(b.thighR * 0.85f), p.r(b.shinR)});
    p.solid(leg, st.pants, b.thighR);
    const Shape shoe = capsule(p.at(j.ankle[s] + (j.toe[s] - j.ankle[s]) * -0.15f), p.at(j.toe[s]), p.r(5.6f), p.r(5.0f));
    p.solid(shoe, st.shoe, 5);
    p.detail(intersect(grow(shoe, -p.r(0.5f)), capsule(p.at(j.ankle[s] + V3{0, 0, -6}), p.at(j.toe[s] + V3{0, 0, -6}), p.r(3.5f), p.r(3.5f))), st.sole);
}

void drawArm(Painter& p, int s)
{
    const Style& st = p.style;
    const Joints& j = p.joints;
    const Build& b = st.build;
    const Vec2 sh = p.at(j.shoulder[s]), el = p.at(j.elbow[s]), ha = p.at(j.hand[s]);
    if (st.forearm.a > 0 && (st.forearm.r != st.sleeve.r || st.forearm.g != st.sleeve.g)) {
        p.solid(capsule(el, ha, p.r(b.foreR), p.r(b.foreR * 0.85f)), st.forearm, b.foreR);
        p.solid(capsule(sh, lerp(sh, el, 0.75f), p.r(b.armR + 0.5f), p.r(b.armR)), st.sleeve, b.armR);
    } else {
        p.solid(chain({sh, el, ha}, {p.r(b.armR), p.r(b.armR * 0.92f), p.r(b.foreR)}), st.sleeve, b.armR);
        p.detail(intersect(capsule(lerp(el, ha, 0.86f), lerp(el, ha, 0.92f), p.r(b.foreR + 0.6f), p.r(b.foreR + 0.6f)), grow(capsule(el, ha, p.r(b.foreR), p.r(b.foreR)), p.r(0.2f))), scaled(st.sleeve, 0.75f));
    }
    p.solid(circle(ha, p.r(b.handR)), st.mask ? pal::MASK : st.skin, b.handR);
    if (s == 1 && p.pose.holding) {
        // A soda can, about to fly.
        const Vec2 up{0, -p.r(5)};
        p.solid(capsule(ha - up * 0.2f, ha + up, p.r(3.6f), p.r(3.6f)), pal::SNEAKER_RED, 3);
        p.detail(capsule(ha + up * 0.55f, ha + up * 0.75f, p.r(3.2f), p.r(3.2f)), pal::WHITE);
    }
}

// Moves the figure over the ground so that the feet carrying its weight are centred on
// the origin: a stance or a stride then stays put on the point the game places it by.
void plant(Joints& j)
{
    const float lowest = std::min(j.ankle[0].z, j.ankle[1].z);
    V3 centre;
    int feet = 0;
    for (int s = 0; s < 2; ++s)
        if (j.ankle[s].z < lowest + 10.0f) {
            centre = centre + (j.ankle[s] + j.toe[s]) * 0.5f;
            ++feet;
        }
    const V3 move{-centre.x / feet, -centre.y / feet, 0};
    for (V3* q : {&j.pelvis, &j.chestTop, &j.neckTop, &j.head})
        *q = *q + move;
    for (int s = 0; s < 2; ++s)
        for (V3* q : {&j.hip[s], &j.knee[s], &j.ankle[s], &j.toe[s], &j.shoulder[s], &j.elbow[s], &j.hand[s]})
            *q = *q + move;
}

std::vector<V3> limbEnds(const Joints& j, Pose::Trail limb)
{
    switch (limb) {
    case Pose::Trail::RightFoot: return {j.toe[1]};
    case Pose::Trail::RightHand: return {j.hand[1]};
    case Pose::Trail::BothHands: return {j.hand[0], j.hand[1]};
    default: return {};
    }
}

// Pale arcs where the limb has just been, fading toward their tail.
void drawTrail(Canvas& canvas, const Style& style, const Pose& pose, const FigureView& view)
{
    const int steps = 10;
    std::vector<std::vector<Vec2>> arcs;
    for (int k = 0; k <= steps; ++k) {
        Pose q = pose;
        q.turn -= pose.trail * k / steps;
        Joints j = solve(style.build, q, view.facing);
        plant(j);
        const std::vector<V3> ends = limbEnds(j, pose.trailLimb);
        arcs.resize(ends.size());
        for (std::size_t e = 0; e < ends.size(); ++e)
            arcs[e].push_back(project(ends[e] * view.scale, view.origin));
    }
    for (const std::vector<Vec2>& arc : arcs)
        for (int k = 0; k < steps; ++k) {
            const float fade = 1.0f - static_cast<float>(k) / steps;
            canvas.fill(capsule(arc[k], arc[k + 1], view.scale * (1.0f + 4.0f * fade), view.scale * (1.0f + 4.0f * (fade - 0.1f))),
                        withAlpha(pal::WHITE, 0.5f * fade));
        }
}

} // namespace

void drawFigure(Canvas& canvas, const Style& style, const Pose& pose, const FigureView& view)
{
    Joints j = solve(style.build, pose, view.facing);
    if (view.shadow && pose.lean > -45)
        plant(j);
    Painter p(canvas, style, pose, j, view);

    if (view.shadow) {
        // One soft shadow under the body, kept close to the feet.
        V3 lo{1e9f, 1e9f, 0}, hi{-1e9f, -1e9f, 0};
        for (V3 q : {j.pelvis, j.head, j.ankle[0], j.ankle[1], j.toe[0], j.toe[1], j.chestTop}) {
            lo = {std::min(lo.x, q.x), std::min(lo.y, q.y), 0};
            hi = {std::max(hi.x, q.x), std::max(hi.y, q.y), 0};
        }
        Vec2 c = p.at((lo + hi) * 0.5f);
        c.y = std::min(c.y, view.origin.y + p.r(4));
        const Vec2 a = p.at(lo), b2 = p.at(hi), e1 = p.at({lo.x, hi.y, 0}), e2 = p.at({hi.x, lo.y, 0});
        const float wx = std::max(std::fabs(a.x - b2.x), std::fabs(e1.x - e2.x)) * 0.5f;
        const float wy = std::max(std::fabs(a.y - b2.y), std::fabs(e1.y - e2.y)) * 0.5f;
        canvas.softEllipse(c, std::min(p.r(64), std::max(p.r(30.0f), wx + p.r(16))),
                           std::min(p.r(18), std::max(p.r(11.0f), wy + p.r(7))), pal::SHADOW);
    }

    if (pose.trailLimb != Pose::Trail::None && pose.trail > 0)
        drawTrail(canvas, style, pose, view);

    std::vector<Part> parts;
    const float chestDepth = depthOf((j.pelvis + j.chestTop) * 0.5f);
    parts.push_back({chestDepth, [&] { drawTorso(p); }});
    parts.push_back({depthOf(j.pelvis) - 0.5f, [&] {
                         p.solid(capsule(p.at(j.hip[0]), p.at(j.hip[1]), p.r(style.build.thighR + 1), p.r(style.build.thighR + 1)), style.pants, 8);
                     }});
    parts.push_back({std::max(depthOf(j.neckTop), chestDepth) + 1.0f, [&] { drawHead(p); }});
    for (int s = 0; s < 2; ++s) {
        parts.push_back({(depthOf(j.hip[s]) + depthOf(j.knee[s]) + depthOf(j.ankle[s])) / 3.0f - 6.0f, [&p, s] { drawLeg(p, s); }});
        const float armDepth = (depthOf(j.shoulder[s]) + depthOf(j.elbow[s]) + 2 * depthOf(j.hand[s])) / 4.0f;
        parts.push_back({armDepth, [&p, s] { drawArm(p, s); }});
    }
    std::stable_sort(parts.begin(), parts.end(), [](const Part& a, const Part& b) { return a.depth < b.depth; });
    for (const Part& part : parts)
        part.draw();
}

} // namespace art
