#include "animation.h"

#include "globals.h"

#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <cstdio>

namespace {
const char* SOURCE = "src/animation";
const char* MSG_FRAME = "[%d]%d, %d\n";
} // namespace

Animation::Animation(const sf::Texture& upTexture, const sf::Texture& downTexture, int frames,
                     int columns, int frameDelay, const sf::Vector2f& origin, bool backAndForth)
    : frameCount(frames), delay(frameDelay), timer(frameDelay), pingPong(backAndForth)
{
    MORVANE_ASSERT(frames > 0 && columns > 0 && frameDelay >= 0, SOURCE);
    // The down sheet shares the up sheet's layout; a missing sheet is 0 x 0 and just gives
    // empty frames that draw nothing.
    const int rows = (frameCount + columns - 1) / columns;
    frameWidth = static_cast<int>(upTexture.getSize().x) / columns;
    frameHeight = static_cast<int>(upTexture.getSize().y) / rows;
    upFrames.reserve(static_cast<std::size_t>(frameCount));
    downFrames.reserve(static_cast<std::size_t>(frameCount));
    for (int i = 0; i < frameCount; ++i) {
        const int column = i % columns;
        const int row = i / columns;
        const sf::IntRect rect(column * frameWidth, row * frameHeight, frameWidth, frameHeight);
        upFrames.emplace_back(upTexture, rect);
        upFrames.back().setOrigin(origin);
        downFrames.emplace_back(downTexture, rect);
        downFrames.back().setOrigin(origin);
        if (frameCount == 7)
            std::printf(MSG_FRAME, i, column, row);
    }
}

void Animation::update()
{
    timer -= 1;
    if (timer >= 0)
        return;
    timer = delay;
    if (!pingPong) {
        currentFrame += 1;
        if (currentFrame >= frameCount)
            currentFrame = loop ? 0 : frameCount - 1;
    } else if (forward) {
        currentFrame += 1;
        if (currentFrame >= frameCount) {
            // A single frame has nowhere to turn back to.
            currentFrame = frameCount > 1 ? frameCount - 2 : 0;
            forward = false;
        }
    } else {
        currentFrame -= 1;
        if (currentFrame < 0) {
            currentFrame = frameCount > 1 ? 1 : 0;
            forward = true;
        }
    }
}

void Animation::restart()
{
    currentFrame = 0;
    timer = delay;
    forward = true;
}

void Animation::draw(sf::RenderTarget& target, bool up)
{
    if (frameWidth <= 0 || frameHeight <= 0 || currentFrame < 0 || currentFrame >= frameCount)
        return;
    sf::Sprite& sprite = (up ? upFrames : downFrames)[static_cast<std::size_t>(currentFrame)];
    sprite.setPosition(position);
    sprite.setScale(mirrored ? -scale.x : scale.x, scale.y);
    target.draw(sprite);
}
