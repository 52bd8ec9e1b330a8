#pragma once
// The cast: how each character is dressed, and the poses of every animation.

#include "figure.h"

#include <functional>
#include <string>
#include <vector>

namespace art {

Style playerStyle();
Style robberStyle();
Style pedestrianStyle();
Style clerkStyle();
Style elderStyle();

using PoseFn = std::function<Pose(int frame)>;

// One animation: both sheets, frame count and the point of each frame on the ground.
struct Animation {
    std::string downPath, upPath;
    int frames;
    int originX, originY;
    PoseFn pose;
    Style style;
    int frameH; // deaths get taller frames: a body lying toward the viewer reaches below the feet
};

const std::vector<Animation>& animations();

// The two views. The front view is turned 20 degrees toward the camera from the exact
// diagonal so that faces read; the back view stays on it.
const float DOWN_RIGHT = -70.0f;
const float UP_RIGHT = 180.0f;

const int FRAME_W = 256;
const int FRAME_H = 224;
const int DEATH_FRAME_H = 256;

} // namespace art
