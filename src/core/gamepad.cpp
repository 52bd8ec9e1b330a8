#include "core/gamepad.h"

#include "core/input.h"

#include <algorithm>
#include <cmath>

int Gamepad::active()
{
    for (unsigned pad = 0; pad < sf::Joystick::Count; ++pad)
        if (input::isPadConnected(pad))
            return static_cast<int>(pad);
    return -1;
}

sf::Vector2f Gamepad::stick()
{
    const int pad = active();
    if (pad < 0)
        return sf::Vector2f(0.f, 0.f);
    const sf::Vector2f raw(input::padAxis(pad, sf::Joystick::X), input::padAxis(pad, sf::Joystick::Y));
    const float length = std::sqrt(raw.x * raw.x + raw.y * raw.y);
    if (!(length > DEAD_ZONE))
        return sf::Vector2f(0.f, 0.f);
    return raw / std::max(length, 100.f);
}

bool Gamepad::held(Button button)
{
    const int pad = active();
    return pad >= 0 && input::isPadButtonPressed(pad, button);
}
