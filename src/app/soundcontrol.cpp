#include "app/soundcontrol.h"

#include "core/letterbox.h"
#include "render/framelist.h"

#include <SFML/Audio/Listener.hpp>
#include <SFML/Graphics/ConvexShape.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <algorithm>

namespace {
const sf::Color PANEL(20, 20, 28, 200);
const sf::Color LIT(235, 235, 235);
const sf::Color UNLIT(90, 90, 100);
const sf::Color MUTED(220, 60, 50);
const float BAR_WIDTH = 6.f;
const float BAR_GAP = 3.f;
const float PANEL_HEIGHT = 36.f;
const float MARGIN = 10.f;

int roundToStep(int volume)
{
    const int clamped = std::clamp(volume, 0, SoundControl::MAX_VOLUME);
    return (clamped + SoundControl::STEP / 2) / SoundControl::STEP * SoundControl::STEP;
}

sf::ConvexShape speaker(float x, float y, sf::Color color)
{
    sf::ConvexShape shape(6);
    shape.setPoint(0, sf::Vector2f(0.f, 6.f));
    shape.setPoint(1, sf::Vector2f(5.f, 6.f));
    shape.setPoint(2, sf::Vector2f(12.f, 0.f));
    shape.setPoint(3, sf::Vector2f(12.f, 18.f));
    shape.setPoint(4, sf::Vector2f(5.f, 12.f));
    shape.setPoint(5, sf::Vector2f(0.f, 12.f));
    shape.setPosition(x, y);
    shape.setFillColor(color);
    return shape;
}
} // namespace

SoundControl::SoundControl(int volumeIn, bool mutedIn) : volume(roundToStep(volumeIn)), muted(mutedIn), showFrames(0)
{
    apply();
}

bool SoundControl::handleKey(sf::Keyboard::Key key)
{
    switch (key) {
    case sf::Keyboard::M:
        muted = !muted;
        break;
    case sf::Keyboard::Hyphen:
    case sf::Keyboard::Subtract:
        volume = std::max(0, volume - STEP);
        muted = false;
        break;
    case sf::Keyboard::Equal:
    case sf::Keyboard::Add:
        volume = std::min(MAX_VOLUME, volume + STEP);
        muted = false;
        break;
    default:
        return false;
    }
    apply();
    showFrames = SHOW_FRAMES;
    return true;
}

void SoundControl::update()
{
    if (showFrames > 0)
        --showFrames;
}

void SoundControl::apply() const { sf::Listener::setGlobalVolume(muted ? 0.f : static_cast<float>(volume)); }

void SoundControl::submit(FrameList& frame) const
{
    if (showFrames <= 0)
        return;
    const int bars = MAX_VOLUME / STEP;
    const float width = 2 * MARGIN + 18.f + bars * (BAR_WIDTH + BAR_GAP);
    const float left = Letterbox::PICTURE.x - MARGIN - width;
    sf::RectangleShape panel(sf::Vector2f(width, PANEL_HEIGHT));
    panel.setPosition(left, MARGIN);
    panel.setFillColor(PANEL);
    frame.draw(panel);
    frame.draw(speaker(left + MARGIN, MARGIN + 9.f, muted ? MUTED : LIT));
    for (int i = 0; i < bars; ++i) {
        const float height = 4.f + 2.f * i;
        sf::RectangleShape bar(sf::Vector2f(BAR_WIDTH, height));
        bar.setPosition(left + MARGIN + 18.f + i * (BAR_WIDTH + BAR_GAP), MARGIN + PANEL_HEIGHT - 8.f - height);
        const bool lit = i < volume / STEP;
        bar.setFillColor(!lit ? UNLIT : muted ? MUTED : LIT);
        frame.draw(bar);
    }
}
