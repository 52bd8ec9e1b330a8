#include "editor/stateeditor.h"

#include "characters/doodad.h"
#include "world/entitymanager.h"
#include "world/kinds.h"
#include "core/globals.h"
#include "core/input.h"
#include "world/levelfolder.h"
#include "world/resourcemanager.h"
#include "world/tile.h"
#include "play/trigger.h"
#include "world/zone.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Text.hpp>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// The kinds the stamp list names one by one, in the kind table's order.
std::vector<int> stampedKinds()
{
    std::vector<int> types;
    for (const Kind& kind : kinds::all())
        if (kind.stamp == Stamp::BY_KIND)
            types.push_back(kind.type);
    return types;
}

const int START_WIDTH = 10;
const int START_HEIGHT = 10;
const float SCROLL_STEP = 5.0f;
const sf::Color PANEL_COLOR(70, 70, 100, 200);
const char* MSG_USER_ZONES = "The game's zone folder is read-only: zones save to %s";

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

} // namespace

StateEditor::StateEditor(sf::RenderWindow* targetWindow, State** stateTable)
    : State(targetWindow, stateTable),
      tileBrush(0),
      stampType(Entity::TYPE_PLAYER),
      doodadIndex(0),
      selectedTile(nullptr),
      selectedEntity(nullptr),
      currZone(nullptr),
      mode(MODE_TILE_PAINT),
      dragAnchor(0.0f, 0.0f),
      dragging(false),
      selectedEvent(0),
      selectedLine(0),
      switchLatch(true),
      selectedEntityId(-1),
      panelHeight(-1.0f)
{
    for (const sf::Texture& texture : ResourceManager::tileTextures)
        tilePalette.emplace_back(texture);
    console.print("Level editor, version 0.1!");
    if (!LevelFolder::userFolder().empty())
        console.print(MSG_USER_ZONES, LevelFolder::userFolder().c_str());
}

StateEditor::~StateEditor() { delete currZone; }

void StateEditor::enter()
{
    delete currZone;
    currZone = new Zone(-1, START_WIDTH, START_HEIGHT, nullptr);
    selectedTile = nullptr;
    selectEntity(nullptr);
    dragging = false;
    // The mouse is mapped through the picture's view: make it ours from the first frame.
    camera.apply(*picture);
}

void StateEditor::leave()
{
    selectedTile = nullptr;
    selectEntity(nullptr);
    dragging = false;
    delete currZone;
    currZone = nullptr;
}

int StateEditor::update()
{
    const int next = switchKeys(switchLatch, STATE_GAME);
    if (next >= 0)
        return next;
    MORVANE_ASSERT(currZone, "src/stateeditor");
    if (console.hidden)
        handleEditorKeys();
    handleMouse();
    currZone->update(true);
    checkSelection();
    return STATE_EDITOR;
}

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
        camera.apply(*picture);

    if (input::isKeyPressed(sf::Keyboard::Num1))
        mode = MODE_TILE_PAINT;
    if (input::isKeyPressed(sf::Keyboard::Num2))
        mode = MODE_TILE_PROPERTIES;
    if (input::isKeyPressed(sf::Keyboard::Num3))
        mode = MODE_ENTITY;
}

sf::Vector2f StateEditor::mouseWorld() const
{
    const sf::Vector2f pixel = picture->mapPixelToCoords(mousePixel(), picture->getView());
    return screenToWorld(pixel);
}

void StateEditor::handleMouse()
{
    const sf::Vector2f world = mouseWorld();
    Tile* tile = currZone->tileAt(world);
    const bool left = input::isButtonPressed(sf::Mouse::Left);
    const bool right = input::isButtonPressed(sf::Mouse::Right);

    if (mode == MODE_TILE_PAINT) {
        // A zone file may name images that are not loaded: those are neither picked nor painted.
        const bool brushLoaded =
            tileBrush >= 0 && tileBrush < static_cast<int>(ResourceManager::tileTextures.size());
        if (tile && left) {
            if (brushLoaded)
                tile->setTexture(tileBrush);
        } else if (tile && right && tile->hasOwnImage()) {
            tileBrush = tile->texture;
        }
    } else if (mode == MODE_TILE_PROPERTIES) {
        if (left)
            selectedTile = tile;
    } else if (mode == MODE_ENTITY) {
        if (left && !dragging) {
            dragging = true;
            dragAnchor = world;
            selectEntity(currZone->entityAt(world));
            selectedLine = 0;
            selectedEvent = 0;
        } else if (left) {
            if (selectedEntity)
                selectedEntity->position += world - dragAnchor;
            dragAnchor = world;
        } else {
            dragging = false;
        }
        if (right) {
            if (Entity* doomed = currZone->entityAt(world)) {
                selectEntity(nullptr);
                currZone->remove(doomed->getID(), true);
            }
        }
    }
}

bool StateEditor::isTyping() const { return !console.hidden; }

void StateEditor::handleEvent(const sf::Event& event)
{
    if (event.type != sf::Event::KeyPressed)
        return;
    const sf::Keyboard::Key key = event.key.code;
    if (key == sf::Keyboard::Tilde) {
        console.hidden = !console.hidden;
        return;
    }
    if (!console.hidden) {
        consoleKey(event.key);
        return;
    }
    if (!currZone)
        return;

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
            selectedTile->setType(TILE_FLOOR);
        else if (key == sf::Keyboard::X)
            selectedTile->setType(TILE_WALL);
        else if (key == sf::Keyboard::C)
            selectedTile->setType(TILE_LINKOUT);
        else if (key == sf::Keyboard::V)
            selectedTile->setType(TILE_LINKIN);
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

void StateEditor::stepStamp(int step)
{
    // The list runs through the kinds stamped by kind, in table order, then every prop.
    const std::vector<int> byKind = stampedKinds();
    const int at = static_cast<int>(std::find(byKind.begin(), byKind.end(), stampType) - byKind.begin());
    const int last = static_cast<int>(byKind.size()) - 1;
    const int props = static_cast<int>(ResourceManager::doodadTextures.size());
    if (at <= last) {
        if (at + step >= 0 && at + step <= last)
            stampType = byKind[static_cast<std::size_t>(at + step)];
        else if (step > 0)
            stampType = Entity::TYPE_DOODAD;
    } else if (step < 0) {
        if (doodadIndex > 0)
            --doodadIndex;
        else if (last >= 0)
            stampType = byKind[static_cast<std::size_t>(last)];
    } else if (doodadIndex < props - 1) {
        ++doodadIndex;
    }
}

void StateEditor::stampEntity()
{
    Entity* e = nullptr;
    const Kind* kind = kinds::find(stampType);
    if (stampType == Entity::TYPE_PLAYER) {
        if (currZone->get(0))
            return;
        e = createEntity(stampType, currZone);
    } else if (kind != nullptr && kind->stamp == Stamp::BY_KIND) {
        e = createEntity(stampType, currZone);
    } else if (stampType == Entity::TYPE_DOODAD) {
        if (!Doodad::isValidProp(doodadIndex) ||
            doodadIndex >= static_cast<int>(ResourceManager::doodadTextures.size()))
            return;
        e = new Doodad(currZone, doodadIndex);
    }
    if (!e)
        return;
    e->position = mouseWorld();
    currZone->add(e);
}

void StateEditor::selectEntity(Entity* e)
{
    selectedEntity = e;
    selectedEntityId = e ? e->getID() : -1;
}

void StateEditor::checkSelection()
{
    if (selectedEntity && (!currZone || currZone->get(selectedEntityId) != selectedEntity))
        selectEntity(nullptr);
}

Trigger* StateEditor::selectedTrigger() const
{
    if (!selectedEntity || selectedEntity->getType() != Entity::TYPE_TRIGGER)
        return nullptr;
    return static_cast<Trigger*>(selectedEntity);
}

bool StateEditor::hasEvent(const Trigger& trigger, int i) const
{
    return i >= 0 && i < static_cast<int>(trigger.events.size());
}

bool StateEditor::hasLine(const Trigger& trigger, int i, int j) const
{
    return hasEvent(trigger, i) && j >= 0 && j < static_cast<int>(trigger.events[i].dialogLines.size());
}

const char* StateEditor::modeText(int editMode)
{
    switch (editMode) {
    case MODE_TILE_PAINT:
        return "Tile Paint\nLMouse-Paint RMouse-Copy Q/E-Cycle";
    case MODE_TILE_PROPERTIES:
        return "Tile Properties\nZ-Floor, X-Wall, C-LinkOut, V-LinkIn";
    case MODE_ENTITY:
        return "Entity\nSpace-Stamp Q/E-Cycle";
    default:
        return "Unknown edit mode";
    }
}

// --- drawing ---

void StateEditor::draw()
{
    camera.apply(*picture);
    MORVANE_ASSERT(currZone, "src/stateeditor");
    currZone->draw(*picture, mode == MODE_ENTITY);
    if (mode == MODE_TILE_PROPERTIES) {
        currZone->drawInfo(*picture);
        if (selectedTile)
            selectedTile->drawOutline(*picture);
    } else if (mode == MODE_ENTITY && selectedEntity) {
        selectedEntity->drawDebug(*picture, true);
    }
    drawOverlay();
    if (!console.hidden)
        drawConsole();
}

void StateEditor::drawOverlay()
{
    camera.setScreenSpace(*picture, true);
    const sf::Vector2f size = sf::Vector2f(picture->getSize());
    const unsigned charSize = static_cast<unsigned>(console.charSize);

    sf::RectangleShape bar(sf::Vector2f(size.x, 30.0f));
    bar.setFillColor(PANEL_COLOR);
    picture->draw(bar);
    picture->draw(makeText(fitting(currZone->name, size.x - 5.0f, charSize), 5.0f, 5.0f, charSize));
    picture->draw(makeText("ID: " + std::to_string(currZone->id), 5.0f, 15.0f, charSize));

    for (int m = 0; m < 3; ++m) {
        sf::RectangleShape box(sf::Vector2f(30.0f, 30.0f));
        box.setPosition(2.0f + 30.0f * m, 32.0f);
        box.setFillColor(PANEL_COLOR);
        if (m == mode) {
            box.setOutlineColor(sf::Color::White);
            box.setOutlineThickness(2.0f);
        }
        picture->draw(box);
    }

    if (panelHeight < 0.0f)
        panelHeight = static_cast<float>(picture->getSize().y) - 64.0f;
    if (mode == MODE_TILE_PAINT)
        drawTilePalette();
    else if (mode == MODE_TILE_PROPERTIES)
        drawTileInfoPanel();
    else if (mode == MODE_ENTITY)
        drawEntityPanel();

    picture->draw(makeText(modeText(mode), 96.0f, 32.0f, charSize));
    camera.setScreenSpace(*picture, false);
}

void StateEditor::drawTilePalette()
{
    sf::RectangleShape panel(sf::Vector2f(100.0f, panelHeight));
    panel.setPosition(2.0f, 62.0f);
    panel.setFillColor(sf::Color(40, 40, 40, 200));
    picture->draw(panel);
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
        picture->draw(sprite);
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
    picture->draw(makeText(info, 4.0f, 64.0f, static_cast<unsigned>(console.charSize)));
}

void StateEditor::drawEntityPanel()
{
    sf::RectangleShape panel(sf::Vector2f(300.0f, panelHeight));
    panel.setPosition(2.0f, 62.0f);
    panel.setFillColor(PANEL_COLOR);
    picture->draw(panel);
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
        picture->draw(number);
        y += 10.0f;
        if (event.type == Event::EVENT_DIALOG) {
            for (std::size_t j = 0; j < event.dialogLines.size(); ++j) {
                const DialogLine& line = event.dialogLines[j];
                picture->draw(makeText(line.text, 56.0f, y, charSize));
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
                picture->draw(portrait);
                if (static_cast<int>(j) == selectedLine) {
                    sf::RectangleShape frame(sf::Vector2f(50.0f, 50.0f));
                    frame.setPosition(4.0f, y);
                    frame.setFillColor(sf::Color::Transparent);
                    frame.setOutlineColor(sf::Color::White);
                    frame.setOutlineThickness(2.0f);
                    picture->draw(frame);
                }
                y += 75.0f;
            }
        } else if (event.type == Event::EVENT_MOVE) {
            const std::string move = "[" + std::to_string(event.entityId) + "] => (" +
                                     std::to_string(event.destX) + ", " + std::to_string(event.destY) + ")";
            picture->draw(makeText(move, 56.0f, y, charSize));
            y += 30.0f;
        }
    }
}

void StateEditor::drawStampList()
{
    const unsigned charSize = static_cast<unsigned>(console.charSize);
    float y = 64.0f;
    for (int t : stampedKinds()) {
        picture->draw(makeText(Entity::getTypeName(t), t == stampType ? 20.0f : 4.0f, y, charSize));
        y += 10.0f;
    }
    for (std::size_t p = 0; p < ResourceManager::doodadTextures.size(); ++p) {
        const bool chosen = stampType == Entity::TYPE_DOODAD && static_cast<int>(p) == doodadIndex;
        picture->draw(makeText(ResourceManager::doodadTextures[p].path, chosen ? 20.0f : 4.0f, y, charSize));
        y += 10.0f;
    }
}

// --- console ---

void StateEditor::drawConsole()
{
    camera.setScreenSpace(*picture, true);
    console.draw(*picture);
    camera.setScreenSpace(*picture, false);
}

void StateEditor::consoleKey(const sf::Event::KeyEvent& key)
{
    bool submitted = false;
    const std::string line = console.handleKey(key, submitted);
    if (submitted)
        runCommand(line);
}

char StateEditor::keyToChar(sf::Keyboard::Key key, bool shift) { return ::keyToChar(key, shift); }
