#pragma once
// A small 3D skeleton: hips, chest, head, two arms and two legs with elbows and knees.
// Poses are joint angles; solve() turns them into joint positions, and the figure is
// then projected with the game's isometric camera, so one pose gives both the front
// (down-right) and the back (up-right) view.

#include "raster.h"

namespace art {

struct V3 {
    float x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

struct M3 {
    float m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    V3 operator*(V3 v) const;
    M3 operator*(const M3& o) const;
};
M3 rotX(float degrees);
M3 rotY(float degrees);
M3 rotZ(float degrees);

// Angles in degrees. swing moves the limb forward, spread away from the body,
// bend folds the elbow forward or the knee backward, yaw turns the limb inward.
struct Limb {
    float swing = 0, spread = 0, bend = 0, yaw = 0;
};

struct Pose {
    V3 shift;          // whole body, in the facing frame (x right, y forward, z up)
    float turn = 0;    // body turn about the vertical, counter-clockwise from above
    float lean = 0;    // whole body tips forward (+) or back (-) about the feet
    float tilt = 0;    // whole body tips to its right (+)
    float drop = 0;    // hips lowered, for crouches and bounces
    float twist = 0;   // chest turned against the hips
    float bend = 0;    // chest bent forward
    float headPitch = 0, headTurn = 0;
    Limb armL, armR, legL, legR;
    bool eyesClosed = false;
    bool holding = false; // something in the right hand, ready to throw
    // A swoosh behind a fast limb: the arc it swept over the last `trail` degrees of turn.
    enum class Trail { None, RightFoot, RightHand, BothHands };
    Trail trailLimb = Trail::None;
    float trail = 0;
};

// Body measures in skeleton units (about 0.87 screen pixels of height each).
struct Build {
    float thigh = 34, shin = 33, foot = 13, hipWidth = 9;
    float torso = 46, neck = 8, headR = 15, shoulderWidth = 19;
    float upperArm = 25, foreArm = 23;
    float waistR = 15, chestR = 18, thighR = 9, shinR = 7, armR = 7, foreR = 6, handR = 5.5f;
};

struct Joints {
    V3 pelvis, chestTop, neckTop, head;
    V3 hip[2], knee[2], ankle[2], toe[2];
    V3 shoulder[2], elbow[2], hand[2];
    M3 body, chest, headFrame;
};

// facing: degrees about the vertical; -90 faces world +x (the screen's lower right).
Joints solve(const Build& b, const Pose& p, float facing);

// The game's camera: ground at 2:1, heights shortened by cos 30 degrees.
Vec2 project(V3 p, Vec2 origin);
float depthOf(V3 p);                  // larger is nearer the viewer
inline V3 toCamera() { return {0.6124f, 0.6124f, 0.5f}; }

} // namespace art
