// The editor's drawing: the zone with the mode's overlays, the bar saying what is edited and
// where the mouse is, the mode's panel, the palette strip and the console.

#include "editor/stateeditor.h"

#include "core/globals.h"
#include "play/trigger.h"
#include "render/framelist.h"
#include "world/entity.h"
#include "world/levelfolder.h"
#include "world/resourcemanager.h"
#include "world/tile.h"
#include "world/zone.h"

#include <SFML/Graphics/ConvexShape.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/Text.hpp>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

const sf::Color PANEL_COLOR(70, 70, 100, 200);
const sf::Color LABEL_COLOR(20, 20, 30, 210);
const unsigned ID_LABEL_SIZE = 14;

sf::Text makeText(const std::string& string, float x, float y, unsigned size)
{
    sf::Text text(string, ResourceManager::debugFont, size);
    text.setFillColor(sf::Color::White);
    text.setPosition(x, y);
    return text;
}

// The start of a text that fits in width on one line: the name is drawn every frame, and
// a long one must not cost the frame more than the bar shows.
std::string fitting(const std::string& text, float width, unsigned size)
{
    float used = 0.0f;
    std::size_t n = 0;
    for (; n < text.size() && text[n] != '\n'; ++n) {
        used += ResourceManager::debugFont.getGlyph(static_cast<unsigned char>(text[n]), size, false).advance;
        if (used > width)
            break;
    }
    return text.substr(0, n);
}

std::string place(const Tile* tile)
{
    if (!tile)
        return "-";
    return "column " + std::to_string(tile->x) + ", row " + std::to_string(tile->y);
}

} // namespace

void StateEditor::draw()
{
    frame->clear(sf::Color::Black);
    camera.apply(*frame);
    MORVANE_ASSERT(currZone, "src/stateeditor");
    currZone->animate();
    currZone->submit(*frame, mode == MODE_ENTITY);
    if (mode == MODE_TILE_PROPERTIES) {
        currZone->submitInfo(*frame);
        if (selectedTile)
            selectedTile->submitOutline(*frame);
        drawRegion();
    } else if (mode == MODE_ENTITY && selectedEntity) {
        selectedEntity->submitDebug(*frame, true);
    }
    if (mode == MODE_ENTITY)
        drawEntityIds();
    drawOverlay();
    if (!console.hidden)
        drawConsole();
}

void StateEditor::drawOverlay()
{
    camera.setScreenSpace(*frame, true);
    const sf::Vector2f size = Camera::pictureView().getSize();
    const unsigned charSize = static_cast<unsigned>(console.charSize);

    sf::RectangleShape bar(sf::Vector2f(size.x, 30.0f));
    bar.setFillColor(PANEL_COLOR);
    frame->draw(bar);
    frame->draw(makeText(fitting(currZone->name, size.x - 5.0f, charSize), 5.0f, 5.0f, charSize));
    frame->draw(makeText("ID: " + std::to_string(currZone->id), 5.0f, 15.0f, charSize));
    drawZoneInfo();

    for (int m = 0; m < 3; ++m) {
        sf::RectangleShape box(sf::Vector2f(30.0f, 30.0f));
        box.setPosition(2.0f + 30.0f * m, 32.0f);
        box.setFillColor(PANEL_COLOR);
        if (m == mode) {
            box.setOutlineColor(sf::Color::White);
            box.setOutlineThickness(2.0f);
        }
        frame->draw(box);
    }

    if (panelHeight < 0.0f)
        panelHeight = static_cast<float>(frame->getSize().y) - 64.0f;
    if (mode == MODE_TILE_PAINT)
        drawTilePalette();
    else if (mode == MODE_TILE_PROPERTIES)
        drawTileInfoPanel();
    else if (mode == MODE_ENTITY)
        drawEntityPanel();

    frame->draw(makeText(modeText(mode), 96.0f, 32.0f, charSize));
    drawStrip();
    camera.setScreenSpace(*frame, false);
}

void StateEditor::drawTilePalette()
{
    sf::RectangleShape panel(sf::Vector2f(100.0f, panelHeight));
    panel.setPosition(2.0f, 62.0f);
    panel.setFillColor(sf::Color(40, 40, 40, 200));
    frame->draw(panel);
    const float middle = panelHeight / 2.0f + 30.0f;
    for (int k = -5; k <= 5; ++k) {
        const int index = tileBrush + k;
        if (index < 0 || index >= static_cast<int>(tilePalette.size()))
            continue;
        sf::Sprite& sprite = tilePalette[index];
        sprite.setColor(sf::Color(255, 255, 255, static_cast<sf::Uint8>(255 - 30 * std::abs(k))));
        if (k == 0)
            sprite.setPosition(20.0f, middle);
        else
            sprite.setPosition(-60.0f, middle + 50.0f * k);
        frame->draw(sprite);
    }
}

void StateEditor::drawTileInfoPanel()
{
    if (!selectedTile)
        return;
    std::string info;
    switch (selectedTile->type) {
    case TILE_LINKOUT:
        info = "Link to Zone " + std::to_string(selectedTile->link);
        break;
    case TILE_LINKIN:
        info = "Link from Zone " + std::to_string(selectedTile->link);
        break;
    case TILE_FLOOR:
        info = "Floor";
        break;
    case TILE_WALL:
        info = "Wall";
        break;
    }
    frame->draw(makeText(info, 4.0f, 64.0f, static_cast<unsigned>(console.charSize)));
}

void StateEditor::drawEntityPanel()
{
    sf::RectangleShape panel(sf::Vector2f(300.0f, panelHeight));
    panel.setPosition(2.0f, 62.0f);
    panel.setFillColor(PANEL_COLOR);
    frame->draw(panel);
    if (const Trigger* trigger = selectedTrigger())
        drawTriggerScript(*trigger);
    else
        drawStampList();
}

void StateEditor::drawTriggerScript(const Trigger& trigger)
{
    const unsigned charSize = static_cast<unsigned>(console.charSize);
    float y = 64.0f;
    for (std::size_t i = 0; i < trigger.events.size(); ++i) {
        const Event& event = trigger.events[i];
        sf::Text number = makeText(std::to_string(i), 0.0f, y, charSize);
        if (static_cast<int>(i) == selectedEvent)
            number.setFillColor(sf::Color::Green);
        frame->draw(number);
        y += 10.0f;
        if (event.type == Event::EVENT_DIALOG) {
            for (std::size_t j = 0; j < event.dialogLines.size(); ++j) {
                const DialogLine& line = event.dialogLines[j];
                frame->draw(makeText(line.text, 56.0f, y, charSize));
                sf::Sprite portrait(ResourceManager::getPortrait(line.portraitId));
                portrait.setScale(0.25f, 0.25f);
                sf::Vector2f offset(0.0f, 0.0f);
                if (line.portraitPos == 1)
                    offset = sf::Vector2f(25.0f, 0.0f);
                else if (line.portraitPos == 2)
                    offset = sf::Vector2f(0.0f, 25.0f);
                else if (line.portraitPos == 3)
                    offset = sf::Vector2f(25.0f, 25.0f);
                portrait.setPosition(sf::Vector2f(4.0f, y) + offset);
                frame->draw(portrait);
                if (static_cast<int>(j) == selectedLine) {
                    sf::RectangleShape marker(sf::Vector2f(50.0f, 50.0f));
                    marker.setPosition(4.0f, y);
                    marker.setFillColor(sf::Color::Transparent);
                    marker.setOutlineColor(sf::Color::White);
                    marker.setOutlineThickness(2.0f);
                    frame->draw(marker);
                }
                y += 75.0f;
            }
        } else if (event.type == Event::EVENT_MOVE) {
            const std::string move = "[" + std::to_string(event.entityId) + "] => (" +
                                     std::to_string(event.destX) + ", " + std::to_string(event.destY) + ")";
            frame->draw(makeText(move, 56.0f, y, charSize));
            y += 30.0f;
        }
    }
}

void StateEditor::drawStampList()
{
    const unsigned charSize = static_cast<unsigned>(console.charSize);
    float y = 64.0f;
    for (int t : stampedKinds()) {
        frame->draw(makeText(Entity::getTypeName(t), t == stampType ? 20.0f : 4.0f, y, charSize));
        y += 10.0f;
    }
    for (std::size_t p = 0; p < ResourceManager::doodadTextures.size(); ++p) {
        const bool chosen = stampType == Entity::TYPE_DOODAD && static_cast<int>(p) == doodadIndex;
        frame->draw(makeText(ResourceManager::doodadTextures[p].path, chosen ? 20.0f : 4.0f, y, charSize));
        y += 10.0f;
    }
}

// Beside the name and id: the size, the file, an asterisk while unsaved, where the mouse is.
void StateEditor::drawZoneInfo()
{
    const unsigned charSize = static_cast<unsigned>(console.charSize);
    std::string file;
    if (currZone->id < 0)
        file = source >= 0 ? "from " + LevelFolder::readPath(source) + ", no id to save under" : "new, no id to save under";
    else if (source >= 0 && source != currZone->id)
        file = LevelFolder::readPath(source) + " -> " + LevelFolder::savePath(currZone->id);
    else
        file = LevelFolder::savePath(currZone->id);
    const std::string size = std::to_string(currZone->getWidth()) + " x " + std::to_string(currZone->getHeight());
    frame->draw(makeText(size + "   " + file + (history.isUnsaved() ? "   *" : ""), 160.0f, 5.0f, charSize));

    // Over the strip a click chooses from it: no tile is under the mouse then.
    const bool overStrip = (mode == MODE_TILE_PAINT || mode == MODE_ENTITY) && strip.contains(mouseScreen());
    const Tile* under = overStrip ? nullptr : mouseTile();
    char zoomText[32];
    std::snprintf(zoomText, sizeof zoomText, "zoom %.2gx", static_cast<double>(zoom));
    std::string where = "mouse: " + place(under) + "   selected: " + place(selectedTile);
    const std::vector<Tile*> region = mode == MODE_TILE_PROPERTIES ? selectedTiles() : std::vector<Tile*>();
    if (region.size() > 1)
        where += " (" + std::to_string(region.size()) + " tiles)";
    frame->draw(makeText(where + "   " + zoomText, 160.0f, 15.0f, charSize));
}

// The dragged rectangle of tiles, as one outline.
void StateEditor::drawRegion()
{
    const std::vector<Tile*> region = selectedTiles();
    if (region.size() < 2)
        return;
    const Tile& first = *region.front();
    const Tile& last = *region.back();
    const float left = first.x * TILE_SIZE;
    const float top = first.y * TILE_SIZE;
    const float right = (last.x + 1) * TILE_SIZE;
    const float bottom = (last.y + 1) * TILE_SIZE;
    sf::ConvexShape outline(4);
    outline.setPoint(0, worldToScreen(sf::Vector2f(left, top)));
    outline.setPoint(1, worldToScreen(sf::Vector2f(right, top)));
    outline.setPoint(2, worldToScreen(sf::Vector2f(right, bottom)));
    outline.setPoint(3, worldToScreen(sf::Vector2f(left, bottom)));
    outline.setFillColor(sf::Color(255, 255, 255, 40));
    outline.setOutlineColor(sf::Color::Yellow);
    outline.setOutlineThickness(2.0f);
    frame->draw(outline);
}

// Every entity's id on a dark label in screen pixels, readable at any zoom.
void StateEditor::drawEntityIds()
{
    camera.setScreenSpace(*frame, true);
    const sf::Vector2f size = Camera::pictureView().getSize();
    for (const auto& entry : currZone->entities) {
        const sf::Vector2i pixel = frame->mapCoordsToPixel(worldToScreen(entry.second->position), camera.getView());
        const sf::Vector2f at = frame->mapPixelToCoords(pixel, Camera::pictureView());
        if (at.x < -40.0f || at.y < -40.0f || at.x > size.x || at.y > size.y)
            continue;
        sf::Text id = makeText(std::to_string(entry.first), at.x + 4.0f, at.y - 2.0f, ID_LABEL_SIZE);
        const sf::FloatRect bounds = id.getGlobalBounds();
        sf::RectangleShape back(sf::Vector2f(bounds.width + 6.0f, bounds.height + 6.0f));
        back.setPosition(bounds.left - 3.0f, bounds.top - 3.0f);
        back.setFillColor(LABEL_COLOR);
        back.setOutlineColor(entry.second.get() == selectedEntity ? sf::Color::Red : sf::Color::Green);
        back.setOutlineThickness(1.0f);
        frame->draw(back);
        frame->draw(id);
    }
    camera.setScreenSpace(*frame, false);
}

// Every tile image in tile paint mode, every stamp choice in entity mode.
void StateEditor::drawStrip()
{
    const sf::Vector2f point = mouseScreen();
    if (mode == MODE_TILE_PAINT) {
        strip.layout(Camera::pictureView().getSize(), static_cast<int>(tilePalette.size()));
        strip.submitTiles(*frame, tileBrush, strip.cellAt(point));
    } else if (mode == MODE_ENTITY) {
        const std::vector<std::pair<int, int>> choices = stampChoices();
        int chosen = -1;
        for (std::size_t i = 0; i < choices.size(); ++i)
            if (choices[i].first == stampType && (stampType != Entity::TYPE_DOODAD || choices[i].second == doodadIndex))
                chosen = static_cast<int>(i);
        strip.layout(Camera::pictureView().getSize(), static_cast<int>(choices.size()));
        strip.submitStamps(*frame, choices, chosen, strip.cellAt(point));
    }
}

void StateEditor::drawConsole()
{
    camera.setScreenSpace(*frame, true);
    console.submit(*frame);
    camera.setScreenSpace(*frame, false);
}
