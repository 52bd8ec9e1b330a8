#include "play/noticeline.h"

#include "render/camera.h"
#include "render/framelist.h"
#include "world/resourcemanager.h"

#include <cmath>

namespace {
const float MARGIN = 8.f;
const float PADDING = 4.f;
const sf::Color BACKING(0, 0, 0, 160);
} // namespace

void NoticeLine::show(const std::string& text, int frames)
{
    line = text;
    framesLeft = frames;
}

void NoticeLine::tick()
{
    if (framesLeft > 0)
        --framesLeft;
}

void NoticeLine::submit(FrameList& frame) const
{
    if (!isShowing())
        return;
    const sf::View kept = frame.getView();
    const sf::View picture = Camera::pictureView();
    frame.setView(picture);
    sf::Text text(line, ResourceManager::debugFont, TEXT_SIZE);
    const sf::FloatRect bounds = text.getLocalBounds();
    const float top = picture.getSize().y - MARGIN - TEXT_SIZE - PADDING;
    text.setPosition(std::round(MARGIN + PADDING - bounds.left), std::round(top + PADDING));
    sf::RectangleShape backing(sf::Vector2f(bounds.left + bounds.width + 2 * PADDING, TEXT_SIZE + 2 * PADDING));
    backing.setPosition(MARGIN, top);
    backing.setFillColor(BACKING);
    frame.draw(backing);
    frame.draw(text);
    frame.setView(kept);
}
