#pragma once
// Dresses a solved skeleton and paints it: limbs and torso as shaded capsules, a
// head with hair, face and headgear, drawn back to front.

#include "skeleton.h"

namespace art {

enum class Hair { Messy, Short, Bald, Grey };
enum class Hat { None, Cap, Visor };
enum class Mood { Calm, Smile, Angry };

struct Style {
    Build build;
    Col skin, hair, top, sleeve, forearm, pants, shoe, sole;
    Hair hairCut = Hair::Short;
    Hat hat = Hat::None;
    Col hatColor;
    bool glasses = false;
    bool mask = false;
    bool hood = false;
    bool apron = false;
    bool beard = false;
    bool collar = false;
    Mood mood = Mood::Calm;
    bool zip = false;
    Col apronColor;
    Col accent; // pocket, zip or print on the top
};

struct FigureView {
    Vec2 origin;        // where the feet touch the ground
    float facing = -90; // -90 faces the lower right, 180 the upper right
    float scale = 1.0f;
    float outline = 1.5f;
    bool shadow = true;
};

void drawFigure(Canvas& canvas, const Style& style, const Pose& pose, const FigureView& view);

} // namespace art
