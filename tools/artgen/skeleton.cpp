#include "skeleton.h"

#include <cmath>

namespace art {

namespace {
const float DEG = 3.14159265f / 180.0f;
}

V3 M3::operator*(V3 v) const
{
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

M3 M3::operator*(const M3& o) const
{
    M3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
    return r;
}

M3 rotX(float d)
{
    const float c = std::cos(d * DEG), s = std::sin(d * DEG);
    M3 r;
    r.m[1][1] = c;
    r.m[1][2] = -s;
    r.m[2][1] = s;
    r.m[2][2] = c;
    return r;
}

M3 rotY(float d)
{
    const float c = std::cos(d * DEG), s = std::sin(d * DEG);
    M3 r;
    r.m[0][0] = c;
    r.m[0][2] = s;
    r.m[2][0] = -s;
    r.m[2][2] = c;
    return r;
}

M3 rotZ(float d)
{
    const float c = std::cos(d * DEG), s = std::sin(d * DEG);
    M3 r;
    r.m[0][0] = c;
    r.m[0][1] = -s;
    r.m[1][0] = s;
    r.m[1][1] = c;
    return r;
}

namespace {

const V3 DOWN{0, 0, -1};

// side: 0 left, 1 right. Spread and yaw are mirrored so positive means outward / inward.
M3 limbFrame(const Limb& l, int side)
{
    const float out = side == 0 ? l.spread : -l.spread;
    const float in = side == 0 ? -l.yaw : l.yaw;
    return rotZ(in) * rotY(out);
}

} // namespace

Joints solve(const Build& b, const Pose& p, float facing)
{
    Joints j;
    const M3 yaw = rotZ(facing + p.turn);
    j.body = yaw * rotY(p.tilt) * rotX(-p.lean);
    const V3 ground = rotZ(facing) * p.shift;
    const float legLen = b.thigh + b.shin + 4.0f;
    j.pelvis = ground + j.body * V3{0, 0, legLen - p.drop};
    j.chest = j.body * rotZ(p.twist) * rotX(-p.bend);
    j.chestTop = j.pelvis + j.chest * V3{0, 0, b.torso};
    j.neckTop = j.pelvis + j.chest * V3{0, 0, b.torso + b.neck};
    j.headFrame = j.chest * rotZ(p.headTurn) * rotX(-p.headPitch);
    j.head = j.neckTop + j.headFrame * V3{0, 0.5f, b.headR * 0.8f};

    const Limb* legs[2] = {&p.legL, &p.legR};
    const Limb* arms[2] = {&p.armL, &p.armR};
    for (int s = 0; s < 2; ++s) {
        const float sx = s == 0 ? -1.0f : 1.0f;
        const Limb& leg = *legs[s];
        const M3 lf = j.body * limbFrame(leg, s);
        j.hip[s] = j.pelvis + j.body * V3{sx * b.hipWidth, 0, 0};
        j.knee[s] = j.hip[s] + lf * (rotX(leg.swing) * DOWN) * b.thigh;
        j.ankle[s] = j.knee[s] + lf * (rotX(leg.swing - leg.bend) * DOWN) * b.shin;
        j.toe[s] = j.ankle[s] + j.body * (rotZ(s == 0 ? -leg.yaw : leg.yaw) * V3{0, b.foot, -2.5f});

        const Limb& arm = *arms[s];
        const M3 af = j.chest * limbFrame(arm, s);
        j.shoulder[s] = j.pelvis + j.chest * V3{sx * b.shoulderWidth, 0, b.torso - 5.0f};
        j.elbow[s] = j.shoulder[s] + af * (rotX(arm.swing) * DOWN) * b.upperArm;
        j.hand[s] = j.elbow[s] + af * (rotX(arm.swing + arm.bend) * DOWN) * b.foreArm;
    }
    return j;
}

Vec2 project(V3 p, Vec2 o)
{
    return {o.x + (p.x - p.y) * 0.7071f, o.y + (p.x + p.y) * 0.35355f - p.z * 0.866f};
}

float depthOf(V3 p) { return (p.x + p.y) * 0.6124f + p.z * 0.5f; }

} // namespace art
