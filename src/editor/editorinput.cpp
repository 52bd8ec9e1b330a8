// The editor's mouse and keys: scrolling and zoom, the three modes' mouse work, the palette
// strip, and the key presses that edit.

#include "editor/stateeditor.h"

#include "core/input.h"
#include "play/trigger.h"
#include "world/resourcemanager.h"
#include "world/tile.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <algorithm>
#include <cmath>

namespace {

const float SCROLL_STEP = 5.0f;
// Four wheel steps double or halve the zoom.
const float ZOOM_PER_STEP = 1.189207f;

bool shiftHeld() { return input::isKeyPressed(sf::Keyboard::LShift) || input::isKeyPressed(sf::Keyboard::RShift); }

} // namespace

void StateEditor::handleEditorKeys()
{
    sf::View& view = camera.getView();
    const sf::Vector2f before = view.getCenter();
    if (input::isKeyPressed(sf::Keyboard::A))
        view.move(-SCROLL_STEP, 0.0f);
    if (input::isKeyPressed(sf::Keyboard::D))
        view.move(SCROLL_STEP, 0.0f);
    if (input::isKeyPressed(sf::Keyboard::S))
        view.move(0.0f, SCROLL_STEP);
    if (input::isKeyPressed(sf::Keyboard::W))
        view.move(0.0f, -SCROLL_STEP);
    // Keep the mouse mapping in step with what the next frame shows.
    if (view.getCenter() != before)
        camera.apply(*frame);

    if (input::isKeyPressed(sf::Keyboard::Num1))
        mode = MODE_TILE_PAINT;
    if (input::isKeyPressed(sf::Keyboard::Num2))
        mode = MODE_TILE_PROPERTIES;
    if (input::isKeyPressed(sf::Keyboard::Num3))
        mode = MODE_ENTITY;
}

void StateEditor::zoomAtMouse(float steps)
{
    const float wanted = std::min(MAX_ZOOM, std::max(MIN_ZOOM, zoom * std::pow(ZOOM_PER_STEP, steps)));
    if (!(wanted != zoom))
        return;
    // The point under the cursor stays under it.
    sf::View& view = camera.getView();
    const sf::Vector2f before = mouseIn(view);
    view.setSize(Camera::pictureView().getSize() / wanted);
    view.move(before - mouseIn(view));
    zoom = wanted;
    camera.apply(*frame);
}

void StateEditor::handleMouse()
{
    const bool left = input::isButtonPressed(sf::Mouse::Left);
    const bool right = input::isButtonPressed(sf::Mouse::Right);
    const bool pressed = left && !leftHeld;
    if (!stripMouse(pressed)) {
        const sf::Vector2f world = mouseWorld();
        Tile* tile = mouseTile();
        if (mode == MODE_TILE_PAINT)
            paintMouse(tile, left, right, pressed);
        else if (mode == MODE_TILE_PROPERTIES)
            propertiesMouse(tile, left, pressed);
        else if (mode == MODE_ENTITY)
            entityMouse(world, left, right);
    }
    leftHeld = left;
    rightHeld = right;
    // A stroke lasts while its button does.
    if ((held == Stroke::PAINT || held == Stroke::FILL || held == Stroke::MOVE) && !left)
        endStroke();
    if (held == Stroke::DELETE && !right)
        endStroke();
}

bool StateEditor::stripMouse(bool pressed)
{
    if (mode != MODE_TILE_PAINT && mode != MODE_ENTITY)
        return false;
    const sf::Vector2f point = mouseScreen();
    const std::vector<std::pair<int, int>> choices = stampChoices();
    const int count = mode == MODE_TILE_PAINT ? static_cast<int>(tilePalette.size()) : static_cast<int>(choices.size());
    strip.layout(Camera::pictureView().getSize(), count);
    if (!strip.contains(point))
        return false;
    const int cell = strip.cellAt(point);
    if (pressed && cell >= 0) {
        if (mode == MODE_TILE_PAINT) {
            tileBrush = cell;
        } else {
            stampType = choices[static_cast<std::size_t>(cell)].first;
            doodadIndex = choices[static_cast<std::size_t>(cell)].second;
        }
    }
    return true;
}

void StateEditor::paintMouse(Tile* tile, bool left, bool right, bool pressed)
{
    // A zone file may name images that are not loaded: those are neither picked nor painted.
    const bool brushLoaded = tileBrush >= 0 && tileBrush < static_cast<int>(ResourceManager::tileTextures.size());
    if (tile && left) {
        if (pressed && shiftHeld() && brushLoaded) {
            floodFill(*tile);
            held = Stroke::FILL;
        }
        // The rest of a fill's press paints nothing.
        if (held == Stroke::FILL || !brushLoaded || tile->texture == tileBrush)
            return;
        stroke(Stroke::PAINT, "paint %d tile", "paint %d tiles");
        step().noteTile(*tile);
        tile->setTexture(tileBrush);
    } else if (tile && right && tile->hasOwnImage()) {
        tileBrush = tile->texture;
    }
}

void StateEditor::floodFill(Tile& start)
{
    const int from = start.texture;
    if (from == tileBrush)
        return;
    beginStep("fill %d tile", "fill %d tiles");
    const int w = currZone->getWidth();
    const int h = currZone->getHeight();
    std::vector<bool> seen(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), false);
    std::vector<Tile*> open{&start};
    seen[static_cast<std::size_t>(start.x) * h + start.y] = true;
    const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    while (!open.empty()) {
        Tile* tile = open.back();
        open.pop_back();
        step().noteTile(*tile);
        tile->setTexture(tileBrush);
        for (const auto& d : steps) {
            Tile* next = currZone->getTile(tile->x + d[0], tile->y + d[1]);
            if (!next || next->texture != from)
                continue;
            const std::size_t slot = static_cast<std::size_t>(next->x) * h + next->y;
            if (!seen[slot]) {
                seen[slot] = true;
                open.push_back(next);
            }
        }
    }
    endStep();
}

void StateEditor::propertiesMouse(Tile* tile, bool left, bool pressed)
{
    if (!left)
        return;
    // A drag from a tile selects the rectangle from there to the tile under the mouse.
    if (pressed) {
        regionSet = tile != nullptr;
        if (tile)
            regionAnchor = sf::Vector2i(tile->x, tile->y);
    }
    selectedTile = tile;
}

std::vector<Tile*> StateEditor::selectedTiles()
{
    std::vector<Tile*> tiles;
    if (!selectedTile)
        return tiles;
    if (!regionSet || !currZone->getTile(regionAnchor.x, regionAnchor.y)) {
        tiles.push_back(selectedTile);
        return tiles;
    }
    const int x0 = std::min(regionAnchor.x, selectedTile->x);
    const int x1 = std::max(regionAnchor.x, selectedTile->x);
    const int y0 = std::min(regionAnchor.y, selectedTile->y);
    const int y1 = std::max(regionAnchor.y, selectedTile->y);
    for (int x = x0; x <= x1; ++x)
        for (int y = y0; y <= y1; ++y)
            tiles.push_back(currZone->getTile(x, y));
    return tiles;
}

void StateEditor::entityMouse(const sf::Vector2f& world, bool left, bool right)
{
    if (left && !dragging) {
        dragging = true;
        dragAnchor = world;
        selectEntity(currZone->entities.entityAt(world));
        selectedLine = 0;
        selectedEvent = 0;
    } else if (left) {
        if (selectedEntity && world != dragAnchor) {
            stroke(Stroke::MOVE, "move entity " + std::to_string(selectedEntity->getID()));
            step().noteEntity(*currZone, selectedEntity->getID());
            selectedEntity->position += world - dragAnchor;
        }
        dragAnchor = world;
    } else {
        dragging = false;
    }
    if (right) {
        if (Entity* doomed = currZone->entities.entityAt(world)) {
            selectEntity(nullptr);
            stroke(Stroke::DELETE, "delete %d entity", "delete %d entities");
            step().noteEntity(*currZone, doomed->getID());
            currZone->entities.remove(doomed->getID());
        }
    }
}

void StateEditor::handleEvent(const sf::Event& event)
{
    if (event.type == sf::Event::MouseWheelScrolled) {
        if (question == Question::NONE && currZone && event.mouseWheelScroll.wheel == sf::Mouse::VerticalWheel)
            zoomAtMouse(event.mouseWheelScroll.delta);
        return;
    }
    if (event.type != sf::Event::KeyPressed)
        return;
    if (question != Question::NONE) {
        answer(event.key.code);
        return;
    }
    if (event.key.code == sf::Keyboard::Tilde) {
        console.hidden = !console.hidden;
        return;
    }
    if (!console.hidden) {
        consoleKey(event.key);
        return;
    }
    if (!currZone)
        return;
    // Control with Z or Y is undo or redo and nothing else: never also the Z kind key.
    if (event.key.control && (event.key.code == sf::Keyboard::Z || event.key.code == sf::Keyboard::Y)) {
        if (event.key.code == sf::Keyboard::Z && !event.key.shift)
            undo();
        else
            redo();
        return;
    }
    handleKey(event.key);
}

void StateEditor::handleKey(const sf::Event::KeyEvent& event)
{
    const sf::Keyboard::Key key = event.code;
    if (key == sf::Keyboard::Q) {
        if (mode == MODE_TILE_PAINT) {
            if (tileBrush > 0)
                --tileBrush;
        } else if (mode == MODE_ENTITY) {
            stepStamp(-1);
        }
    } else if (key == sf::Keyboard::E) {
        if (mode == MODE_TILE_PAINT) {
            if (tileBrush < static_cast<int>(ResourceManager::tileTextures.size()) - 1)
                ++tileBrush;
        } else if (mode == MODE_ENTITY) {
            stepStamp(1);
        }
    }

    if (mode == MODE_TILE_PROPERTIES && selectedTile) {
        if (key == sf::Keyboard::Z)
            setKind(TILE_FLOOR, "floor");
        else if (key == sf::Keyboard::X)
            setKind(TILE_WALL, "wall");
        else if (key == sf::Keyboard::C)
            setKind(TILE_LINKOUT, "link out");
        else if (key == sf::Keyboard::V)
            setKind(TILE_LINKIN, "link in");
    }

    if (mode == MODE_ENTITY) {
        if (key == sf::Keyboard::Space)
            stampEntity();
        if (Trigger* trigger = selectedTrigger()) {
            const int events = static_cast<int>(trigger->events.size());
            if (key == sf::Keyboard::Comma && selectedEvent > 0)
                --selectedEvent;
            else if (key == sf::Keyboard::Period && selectedEvent < events - 1)
                ++selectedEvent;
            else if (key == sf::Keyboard::K && selectedLine > 0)
                --selectedLine;
            else if (key == sf::Keyboard::L && hasEvent(*trigger, selectedEvent)) {
                const int lines = static_cast<int>(trigger->events[selectedEvent].dialogLines.size());
                if (selectedLine < lines - 1)
                    ++selectedLine;
            }
        }
    }
}

void StateEditor::setKind(TileType kind, const char* name)
{
    beginStep(std::string("set %d tile to ") + name, std::string("set %d tiles to ") + name);
    for (Tile* tile : selectedTiles()) {
        step().noteTile(*tile);
        tile->setType(kind);
    }
    endStep();
}
