#include "editor/palettestrip.h"

#include "characters/doodad.h"
#include "core/globals.h"
#include "render/framelist.h"
#include "render/painter.h"
#include "world/entity.h"
#include "world/entitymanager.h"
#include "world/resourcemanager.h"
#include "world/tile.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/View.hpp>
#include <algorithm>

namespace {

const sf::Color STRIP_COLOR(40, 40, 40, 220);
const sf::Color HOVER_COLOR(110, 110, 150, 220);
const float PAD = 3.0f;
// Characters and props are drawn at this scale: a character fills most of a cell.
const float ENTITY_SCALE = 0.2f;

} // namespace

PaletteStrip::PaletteStrip() = default;
PaletteStrip::~PaletteStrip() = default;

void PaletteStrip::layout(const sf::Vector2f& screen, int count)
{
    cells = std::max(count, 0);
    area = sf::FloatRect(0.0f, screen.y - HEIGHT, screen.x, HEIGHT);
    cellWidth = cells > 0 ? std::min(MAX_CELL, (screen.x - 2 * PAD) / cells) : 0.0f;
}

bool PaletteStrip::contains(const sf::Vector2f& point) const { return cells > 0 && area.contains(point); }

int PaletteStrip::cellAt(const sf::Vector2f& point) const
{
    for (int i = 0; i < cells; ++i)
        if (cell(i).contains(point))
            return i;
    return -1;
}

sf::FloatRect PaletteStrip::cell(int index) const
{
    return sf::FloatRect(PAD + cellWidth * index, area.top + PAD, cellWidth - PAD, HEIGHT - 2 * PAD);
}

void PaletteStrip::submitCells(FrameList& frame, int chosen, int hovered)
{
    sf::RectangleShape back(sf::Vector2f(area.width, area.height));
    back.setPosition(area.left, area.top);
    back.setFillColor(STRIP_COLOR);
    frame.draw(back);
    for (int i = 0; i < cells; ++i) {
        const sf::FloatRect place = cell(i);
        sf::RectangleShape box(sf::Vector2f(place.width, place.height));
        box.setPosition(place.left, place.top);
        box.setFillColor(i == hovered ? HOVER_COLOR : sf::Color::Transparent);
        if (i == chosen) {
            box.setOutlineColor(sf::Color::White);
            box.setOutlineThickness(2.0f);
        }
        frame.draw(box);
    }
}

void PaletteStrip::submitTiles(FrameList& frame, int chosen, int hovered)
{
    submitCells(frame, chosen, hovered);
    for (int i = 0; i < cells && i < static_cast<int>(ResourceManager::tileTextures.size()); ++i) {
        const sf::FloatRect box = cell(i);
        sf::Sprite sprite = Tile::imageSprite(i);
        const sf::FloatRect image = sprite.getLocalBounds();
        const float scale = std::min(box.width / image.width, box.height / image.height) * 0.9f;
        sprite.setScale(scale, scale);
        // The origin is the diamond's top corner: centre the whole image in the cell.
        const float imageTop = (image.height - TILE_SCREEN_HEIGHT) * scale;
        sprite.setPosition(box.left + box.width / 2, box.top + (box.height - image.height * scale) / 2 + imageTop);
        frame.draw(sprite);
    }
}

void PaletteStrip::submitStamps(FrameList& frame, const std::vector<std::pair<int, int>>& choices,
                                int chosen, int hovered)
{
    submitCells(frame, chosen, hovered);
    if (sampled != choices || sampledWidth != cellWidth)
        paintSamples(choices);
    // The picture holds colours already weighed by their cover.
    sf::Sprite shown(samplePicture.getTexture());
    shown.setPosition(area.left, area.top);
    frame.draw(shown, sf::BlendMode(sf::BlendMode::One, sf::BlendMode::OneMinusSrcAlpha));
}

void PaletteStrip::paintSamples(const std::vector<std::pair<int, int>>& choices)
{
    sampled = choices;
    sampledWidth = cellWidth;
    // Drawn once, standing still: a unit's animation would step on with every draw.
    if (!samplePicture.create(static_cast<unsigned>(area.width), static_cast<unsigned>(area.height)))
        return;
    FrameList painted(samplePicture.getSize());
    painted.clear(sf::Color::Transparent);
    EntityManager samples(nullptr);
    for (int i = 0; i < cells && i < static_cast<int>(choices.size()); ++i) {
        const std::pair<int, int>& choice = choices[static_cast<std::size_t>(i)];
        std::unique_ptr<Entity> made = choice.first == Entity::TYPE_DOODAD
                                           ? std::unique_ptr<Entity>(std::make_unique<Doodad>(&samples, choice.second))
                                           : createEntity(choice.first, &samples);
        if (!made)
            continue;
        Entity* sample = samples.add(std::move(made));
        const sf::FloatRect box = cell(i);
        // A view of the world around the entity's feet, shrunk into the cell.
        sf::View view(sf::Vector2f(0.0f, -box.height * 0.4f / ENTITY_SCALE),
                      sf::Vector2f(box.width / ENTITY_SCALE, box.height / ENTITY_SCALE));
        view.setViewport(sf::FloatRect((box.left - area.left) / area.width, (box.top - area.top) / area.height,
                                       box.width / area.width, box.height / area.height));
        painted.setView(view);
        sample->position = ZERO_VECTOR;
        sample->animate();
        sample->submit(painted);
    }
    Painter::paint(painted, samplePicture);
    samplePicture.display();
}
