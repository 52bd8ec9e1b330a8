#include "play/hud.h"

#include "render/framelist.h"
#include "world/resourcemanager.h"

#include <SFML/Graphics/ConvexShape.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Text.hpp>
#include <algorithm>
#include <cmath>

const std::string Hud::KNOCKED_OUT = "Knocked out. Return: try again";
const std::string Hud::ASSIST_OFFER = "A: try again with assist";
const std::string Hud::ASSIST_ON = "Assist";
const sf::Color Hud::TEXT_COLOUR(244, 240, 232);
const sf::Color Hud::POINTER_COLOUR(232, 84, 56);
const std::string Hud::THE_END = "The End";
const std::string Hud::END_PROMPT = "Return: play again. Escape: quit";
const std::string Hud::PACKS_PROMPT = "F2: other zone packs";

namespace {

// Laid out for the game's 800 x 600 view; smaller views shrink it all alike.
const sf::Vector2f DESIGN(800.f, 600.f);
const float MARGIN = 12.f;
// The health image is a row of square cells: heart, full pip, half pip, empty pip.
enum Cell { HEART, PIP_FULL, PIP_HALF, PIP_EMPTY, CELLS };
const float CELL = 32.f;
const float HEART_ADVANCE = 34.f;
const float PIP_ADVANCE = 18.f;
const float ROBBERS_GAP = 24.f;
const float LINE_GAP = 8.f;
const unsigned SMALL_TEXT = 20;
const unsigned NAME_TEXT = 36;
const unsigned TITLE_TEXT = 64;
const unsigned MESSAGE_TEXT = 28;
// The name fades over its last half second.
const int NAME_FADE_FRAMES = 30;

const sf::Color OUTLINE_COLOUR(30, 24, 38);
// A pointer's length from its centre to its tip.
const float POINTER = 12.f;
const sf::Color BAND_COLOUR(30, 24, 38, 170);

float scaleFor(sf::Vector2f view) { return std::min({1.f, view.x / DESIGN.x, view.y / DESIGN.y}); }

// A text of the game's style, shrunk further when it would not fit the width given.
sf::Text styledText(const std::string& string, unsigned size, float scale, float maxWidth)
{
    sf::Text text(string, ResourceManager::dialogFont, size);
    text.setFillColor(Hud::TEXT_COLOUR);
    text.setOutlineColor(OUTLINE_COLOUR);
    text.setOutlineThickness(2.f);
    const float width = text.getLocalBounds().width * scale;
    if (width > maxWidth && width > 0.f)
        scale *= maxWidth / width;
    text.setScale(scale, scale);
    return text;
}

// Moves the text so its visible box has its top centre at (x, top), kept inside the view.
void centreText(sf::Text& text, float x, float top, sf::Vector2f view)
{
    const sf::FloatRect local = text.getLocalBounds();
    const sf::Vector2f scale = text.getScale();
    float left = x - local.width * scale.x * 0.5f;
    left = std::max(0.f, std::min(left, view.x - local.width * scale.x));
    top = std::max(0.f, std::min(top, view.y - local.height * scale.y));
    text.setPosition(left - local.left * scale.x, top - local.top * scale.y);
}

int pipCell(int pip, int hitPoints)
{
    const int from = pip * Hud::PIP_HIT_POINTS;
    if (hitPoints >= from + Hud::PIP_HIT_POINTS)
        return PIP_FULL;
    if (hitPoints >= from + Hud::PIP_HIT_POINTS / 2)
        return PIP_HALF;
    return PIP_EMPTY;
}

void submitCell(FrameList& frame, int cell, const sf::FloatRect& at)
{
    const sf::Texture& image = ResourceManager::getTexture(ResourceManager::HEALTH_BAR);
    const int side = static_cast<int>(image.getSize().y);
    // A missing or foreign image has no cells to show.
    if (side <= 0 || static_cast<int>(image.getSize().x) < side * CELLS)
        return;
    sf::Sprite sprite(image, sf::IntRect(cell * side, 0, side, side));
    sprite.setPosition(at.left, at.top);
    sprite.setScale(at.width / static_cast<float>(side), at.height / static_cast<float>(side));
    frame.draw(sprite);
}

} // namespace

void Hud::arrive(const std::string& zoneName)
{
    name = zoneName;
    nameFrames = NAME_FRAMES;
}

void Hud::tick()
{
    if (nameFrames > 0)
        --nameFrames;
}

void Hud::submit(FrameList& frame, const Status& status) const
{
    if (!shown)
        return;
    frame.setView(frame.getDefaultView());
    place(&frame, frame.getDefaultView().getSize(), status);
}

std::vector<Hud::Piece> Hud::layout(sf::Vector2f viewSize, const Status& status) const
{
    return place(nullptr, viewSize, status);
}

std::vector<Hud::Piece> Hud::place(FrameList* frame, sf::Vector2f view, const Status& status) const
{
    std::vector<Piece> pieces;
    const float s = scaleFor(view);
    const float margin = MARGIN * s;
    const float cell = CELL * s;
    const sf::FloatRect heart(margin, margin, cell, cell);
    pieces.push_back({heart, "heart"});
    if (frame)
        submitCell(*frame, HEART, heart);
    for (int pip = 0; pip < PIPS; ++pip) {
        const sf::FloatRect at(margin + (HEART_ADVANCE + PIP_ADVANCE * static_cast<float>(pip)) * s, margin, cell, cell);
        pieces.push_back({at, "pip"});
        if (frame)
            submitCell(*frame, pipCell(pip, status.hitPoints), at);
    }

    // Beside the bar, not under it: a dialog box of a scene starts just below.
    float left = margin + (HEART_ADVANCE + PIP_ADVANCE * PIPS + ROBBERS_GAP) * s;
    auto beside = [&](const std::string& string, const char* what) {
        sf::Text text = styledText(string, SMALL_TEXT, s, std::max(1.f, view.x - left - margin));
        const sf::FloatRect local = text.getLocalBounds();
        const sf::Vector2f scale = text.getScale();
        text.setPosition(left - local.left * scale.x, margin + (cell - local.height * scale.y) * 0.5f - local.top * scale.y);
        const sf::FloatRect bounds = text.getGlobalBounds();
        pieces.push_back({bounds, what});
        if (frame)
            frame->draw(text);
        left = std::min(view.x - margin - 1.f, bounds.left + bounds.width + ROBBERS_GAP * s);
    };
    if (status.robbersLeft > 0)
        beside("Robbers left: " + std::to_string(status.robbersLeft), "robbers");
    if (status.assist)
        beside(ASSIST_ON, "assist");

    // Under the bar, inside the view's edges: each pointer on the line from the view's
    // centre to its robber.
    const float tip = POINTER * s;
    const sf::Vector2f low(margin + tip, margin + cell + margin + tip), high(view.x - margin - tip, view.y - margin - tip);
    const sf::Vector2f centre((low.x + high.x) * 0.5f, (low.y + high.y) * 0.5f);
    for (const sf::Vector2f& away : status.robbersAway) {
        const sf::Vector2f d = away - centre;
        const float length = std::hypot(d.x, d.y);
        if (low.x >= high.x || low.y >= high.y || length <= 0.f)
            break;
        float reach = 1.f;
        if (d.x != 0.f)
            reach = std::min(reach, ((d.x > 0.f ? high.x : low.x) - centre.x) / d.x);
        if (d.y != 0.f)
            reach = std::min(reach, ((d.y > 0.f ? high.y : low.y) - centre.y) / d.y);
        const sf::Vector2f at = centre + d * reach, along = d / length, across(-along.y, along.x);
        sf::ConvexShape pointer(3);
        pointer.setPoint(0, at + along * tip);
        pointer.setPoint(1, at - along * (0.6f * tip) + across * (0.5f * tip));
        pointer.setPoint(2, at - along * (0.6f * tip) - across * (0.5f * tip));
        pointer.setFillColor(Hud::POINTER_COLOUR);
        pointer.setOutlineColor(OUTLINE_COLOUR);
        pointer.setOutlineThickness(2.f * s);
        pieces.push_back({pointer.getGlobalBounds(), "pointer"});
        if (frame)
            frame->draw(pointer);
    }

    if (nameFrames > 0) {
        sf::Text title = styledText(name, NAME_TEXT, s, view.x - 2.f * margin);
        // Low on the screen: the dialog box of an arrival scene takes the top.
        centreText(title, view.x * 0.5f, view.y * 0.8f, view);
        const float fade = std::min(1.f, static_cast<float>(nameFrames) / NAME_FADE_FRAMES);
        const sf::Uint8 alpha = static_cast<sf::Uint8>(255.f * fade);
        title.setFillColor(sf::Color(Hud::TEXT_COLOUR.r, Hud::TEXT_COLOUR.g, Hud::TEXT_COLOUR.b, alpha));
        title.setOutlineColor(sf::Color(OUTLINE_COLOUR.r, OUTLINE_COLOUR.g, OUTLINE_COLOUR.b, alpha));
        pieces.push_back({title.getGlobalBounds(), "name"});
        if (frame)
            frame->draw(title);
    }
    return pieces;
}

std::vector<std::string> Hud::knockedOutLines(bool offerAssist)
{
    std::vector<std::string> lines{KNOCKED_OUT};
    if (offerAssist)
        lines.push_back(ASSIST_OFFER);
    return lines;
}

void Hud::submitKnockedOut(FrameList& frame, bool offerAssist)
{
    frame.setView(frame.getDefaultView());
    placeMessage(&frame, frame.getDefaultView().getSize(), knockedOutLines(offerAssist), false);
}

void Hud::submitEndCard(FrameList& frame)
{
    frame.setView(frame.getDefaultView());
    placeMessage(&frame, frame.getDefaultView().getSize(), {THE_END, END_PROMPT, PACKS_PROMPT}, true);
}

std::vector<Hud::Piece> Hud::messageLayout(sf::Vector2f viewSize, const std::vector<std::string>& lines, bool titled)
{
    return placeMessage(nullptr, viewSize, lines, titled);
}

std::vector<Hud::Piece> Hud::placeMessage(FrameList* frame, sf::Vector2f view,
                                          const std::vector<std::string>& lines, bool titled)
{
    const float s = scaleFor(view);
    const float width = view.x - 2.f * MARGIN * s;
    float top = titled ? view.y * 0.36f : view.y * 0.7f;
    std::vector<sf::Text> texts;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        texts.push_back(styledText(lines[i], titled && i == 0 ? TITLE_TEXT : MESSAGE_TEXT, s, width));
        centreText(texts.back(), view.x * 0.5f, top, view);
        const sf::FloatRect bounds = texts.back().getGlobalBounds();
        top = bounds.top + bounds.height + (titled ? 28.f : LINE_GAP) * s;
    }
    std::vector<Piece> pieces;
    if (!titled && !texts.empty()) {
        // One band behind the prompts that stand over the world.
        const float pad = 10.f * s;
        const sf::FloatRect first = texts.front().getGlobalBounds();
        const sf::FloatRect last = texts.back().getGlobalBounds();
        const float height = std::min(view.y, last.top + last.height - first.top + 2.f * pad);
        sf::RectangleShape band(sf::Vector2f(view.x, height));
        band.setPosition(0.f, std::max(0.f, std::min(first.top - pad, view.y - height)));
        band.setFillColor(BAND_COLOUR);
        pieces.push_back({band.getGlobalBounds(), "band"});
        if (frame)
            frame->draw(band);
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        pieces.push_back({texts[i].getGlobalBounds(), lines[i]});
        if (frame)
            frame->draw(texts[i]);
    }
    return pieces;
}
