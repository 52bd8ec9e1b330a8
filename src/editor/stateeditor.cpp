#include "editor/stateeditor.h"

#include "characters/doodad.h"
#include "core/globals.h"
#include "core/input.h"
#include "play/trigger.h"
#include "world/entitymanager.h"
#include "world/resourcemanager.h"
#include "world/tile.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <algorithm>
#include <cmath>
#include <string>

namespace {

const int START_WIDTH = 10;
const int START_HEIGHT = 10;

// Tile index of a world coordinate, truncated toward zero; -1 (off the grid) for values no
// grid could reach, so a wildly scrolled view never overflows the conversion.
int tileIndex(float world)
{
    const float index = world / TILE_SIZE;
    if (!(std::fabs(index) < 1.0e8f))
        return -1;
    return static_cast<int>(index);
}

} // namespace

StateEditor::StateEditor(sf::RenderWindow* targetWindow, State** stateTable)
    : State(targetWindow, stateTable),
      camera(targetWindow),
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
      source(-1),
      zoom(1.0f),
      question(Question::NONE),
      recoveryTimer(0),
      selectedEntityId(-1),
      panelHeight(-1.0f)
{
    for (const sf::Texture& texture : ResourceManager::tileTextures)
        tilePalette.emplace_back(texture);
    console.print("Level editor, version 0.1!");
}

StateEditor::~StateEditor()
{
    // The history may hold zones; the current one is ours alone.
    history.clear();
    delete currZone;
}

void StateEditor::enter()
{
    if (testing) {
        returnFromTest();
        return;
    }
    delete currZone;
    currZone = new Zone(-1, START_WIDTH, START_HEIGHT, nullptr);
    source = -1;
    history.clear();
    history.markLoaded(EditHistory::FRESH);
    selectedTile = nullptr;
    regionSet = false;
    selectEntity(nullptr);
    dragging = false;
    held = Stroke::NONE;
    exitTo = -1;
    recoveryTimer = 0;
    recoveryPlace = 0;
    // The mouse is mapped through the window's view: make it ours from the first frame.
    camera.apply();
    offerRecovery();
}

void StateEditor::leave()
{
    // A play-test keeps everything as it is for the return.
    if (testing)
        return;
    if (question != Question::NONE)
        closeQuestion();
    pending = Pending::NONE;
    // Whatever was not saved has been given up by now: nothing is left to recover.
    clearRecovery();
    history.clear();
    selectedTile = nullptr;
    regionSet = false;
    selectEntity(nullptr);
    dragging = false;
    held = Stroke::NONE;
    delete currZone;
    currZone = nullptr;
}

int StateEditor::update()
{
    MORVANE_ASSERT(currZone, "src/stateeditor");
    const bool escape = freshPress(sf::Keyboard::Escape, escapeLatch);
    const bool f12 = freshPress(sf::Keyboard::F12, switchLatch);
    const bool f5 = freshPress(sf::Keyboard::F5, f5Latch);
    if (question == Question::NONE && exitTo < 0) {
        if (escape)
            request(Pending::QUIT);
        else if (f12)
            request(Pending::LEAVE);
        else if (f5)
            startPlayTest();
    }
    if (exitTo >= 0) {
        const int next = exitTo;
        exitTo = -1;
        return next;
    }
    if (question == Question::NONE) {
        if (console.hidden)
            handleEditorKeys();
        handleMouse();
    }
    currZone->update(*currZone, true);
    checkSelection();
    keepRecovery();
    return STATE_EDITOR;
}

sf::Vector2i StateEditor::mousePixel() const { return input::mousePosition(*window); }

sf::Vector2f StateEditor::mouseWorld() const
{
    return screenToWorld(window->mapPixelToCoords(mousePixel(), camera.getView()));
}

Tile* StateEditor::mouseTile() const
{
    const sf::Vector2f world = mouseWorld();
    return currZone->getTile(tileIndex(world.x), tileIndex(world.y));
}

sf::Vector2f StateEditor::mouseScreen() const
{
    return window->mapPixelToCoords(mousePixel(), window->getDefaultView());
}

std::vector<std::pair<int, int>> StateEditor::stampChoices()
{
    std::vector<std::pair<int, int>> choices;
    for (int type = Entity::TYPE_PLAYER; type <= Entity::TYPE_ROBBER; ++type)
        choices.emplace_back(type, 0);
    for (int prop = 0; prop < static_cast<int>(ResourceManager::doodadTextures.size()); ++prop)
        choices.emplace_back(Entity::TYPE_DOODAD, prop);
    return choices;
}

void StateEditor::stampEntity()
{
    const bool unit = stampType >= Entity::TYPE_PLAYER && stampType <= Entity::TYPE_ROBBER;
    const bool prop = stampType == Entity::TYPE_DOODAD && Doodad::isValidProp(doodadIndex)
                   && doodadIndex < static_cast<int>(ResourceManager::doodadTextures.size());
    if ((!unit && !prop) || (stampType == Entity::TYPE_PLAYER && currZone->get(0)))
        return;
    // Opened before the entity takes its id, so an undo gives the same id out again.
    beginStep("stamp " + (prop ? Doodad::getImagePath(doodadIndex) : Entity::getTypeName(stampType)));
    Entity* e = prop ? new Doodad(currZone, doodadIndex) : createEntity(stampType, currZone);
    if (e) {
        step().noteEntity(*currZone, e->getID());
        e->position = mouseWorld();
        currZone->add(e);
    }
    endStep();
}

// --- undo steps ---

void StateEditor::beginStep(const std::string& label, const std::string& many)
{
    history.begin(*currZone, label, many);
    held = Stroke::NONE;
}

void StateEditor::endStep()
{
    history.end(*currZone);
    held = Stroke::NONE;
}

EditStep& StateEditor::step()
{
    if (!history.open())
        beginStep("change");
    return *history.open();
}

void StateEditor::stroke(Stroke kind, const std::string& label, const std::string& many)
{
    if (held == kind && history.open())
        return;
    beginStep(label, many);
    held = kind;
}

void StateEditor::endStroke()
{
    if (held != Stroke::NONE)
        endStep();
}

void StateEditor::replaceZone(Zone* replacement, int replacementSource, const std::string& label)
{
    beginStep(label);
    history.open()->replaceZone(currZone, source, replacement, replacementSource);
    endStep();
    selectedTile = nullptr;
    regionSet = false;
    selectEntity(nullptr);
    dragging = false;
}

void StateEditor::undo() { travel(true); }

void StateEditor::redo() { travel(false); }

void StateEditor::travel(bool back)
{
    std::string label;
    const Tile* before = selectedTile;
    const sf::Vector2i at = before ? sf::Vector2i(before->x, before->y) : sf::Vector2i(-1, -1);
    const bool moved = back ? history.undo(currZone, source, label) : history.redo(currZone, source, label);
    held = Stroke::NONE;
    if (!moved) {
        console.print("%s", back ? "Nothing to undo." : "Nothing to redo.");
        return;
    }
    reselect(at);
    console.print(back ? "Undid: %s" : "Redid: %s", label.c_str());
}

void StateEditor::reselect(const sf::Vector2i& tile)
{
    selectedTile = currZone->getTile(tile.x, tile.y);
    selectEntity(currZone->get(selectedEntityId));
}

// --- selection ---

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

// --- console ---

void StateEditor::consoleKey(const sf::Event::KeyEvent& key)
{
    bool submitted = false;
    const std::string line = console.handleKey(key, submitted);
    if (submitted)
        runCommand(line);
}

char StateEditor::keyToChar(sf::Keyboard::Key key, bool shift) { return ::keyToChar(key, shift); }
