#pragma once
// The game pad, read through the input seam like the keyboard and mouse: whichever pad is
// plugged in first is the one that plays, asked anew on every read, so a pad plugged in or
// pulled out during play is picked up or dropped at once.

#include <SFML/System/Vector2.hpp>

class Gamepad final {
public:
    // Buttons as the usual pads number them.
    enum Button : unsigned { A = 0, B = 1, X = 2, BACK = 6, START = 7 };
    // Of the axis range 100: a stick at rest never quite reads zero.
    static constexpr float DEAD_ZONE = 25.f;

    // The pad that plays, or -1 when none is plugged in.
    static int active();
    // The left stick's direction on screen (x right, y down), length up to 1; zero inside
    // the dead zone or without a pad.
    static sf::Vector2f stick();
    static bool held(Button button);
};
