#include "editor/stateeditor.h"

#include "characters/doodad.h"
#include "core/globals.h"
#include "core/printable.h"
#include "core/input.h"
#include "play/trigger.h"
#include "world/entitymanager.h"
#include "world/kinds.h"
#include "world/levelfolder.h"
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
const char* MSG_USER_ZONES = "The game's zone folder is read-only: zones save to %s";

} // namespace

StateEditor::StateEditor(sf::RenderWindow* targetWindow, State** stateTable)
    : State(targetWindow, stateTable),
      tileBrush(0),
      stampType(Entity::TYPE_PLAYER),
      doodadIndex(0),
      selectedTile(nullptr),
      selectedEntity(nullptr),
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
    if (!LevelFolder::userFolder().empty())
        console.print(MSG_USER_ZONES, LevelFolder::userFolder().c_str());
}

StateEditor::~StateEditor()
{
    // The history may hold zones; the current one is ours alone.
    history.clear();
}

void StateEditor::enter()
{
    if (testing) {
        returnFromTest();
        return;
    }
    currZone = std::make_unique<Zone>(-1, START_WIDTH, START_HEIGHT, nullptr);
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
    // The frame's view is the camera's from the first frame on: it says where the world shows.
    camera.apply(*frame);
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
    currZone.reset();
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
    currZone->update(true);
    checkSelection();
    keepRecovery();
    return STATE_EDITOR;
}

// A question takes its answer from the keys as the console does.
bool StateEditor::isTyping() const { return !console.hidden || question != Question::NONE; }

sf::Vector2f StateEditor::mouseWorld() const
{
    return screenToWorld(mouseIn(camera.getView()));
}

Tile* StateEditor::mouseTile() const { return currZone->tileAt(mouseWorld()); }

sf::Vector2f StateEditor::mouseScreen() const
{
    return mouseIn(Camera::pictureView());
}

std::vector<int> StateEditor::stampedKinds()
{
    std::vector<int> types;
    for (const Kind& kind : kinds::all())
        if (kind.stamp == Stamp::BY_KIND)
            types.push_back(kind.type);
    return types;
}

std::vector<std::pair<int, int>> StateEditor::stampChoices()
{
    std::vector<std::pair<int, int>> choices;
    for (int type : stampedKinds())
        choices.emplace_back(type, 0);
    for (int prop = 0; prop < static_cast<int>(ResourceManager::doodadTextures.size()); ++prop)
        choices.emplace_back(Entity::TYPE_DOODAD, prop);
    return choices;
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
    const Kind* kind = kinds::find(stampType);
    const bool unit = kind != nullptr && kind->stamp == Stamp::BY_KIND;
    const bool prop = stampType == Entity::TYPE_DOODAD && Doodad::isValidProp(doodadIndex)
                   && doodadIndex < static_cast<int>(ResourceManager::doodadTextures.size());
    if ((!unit && !prop) || (stampType == Entity::TYPE_PLAYER && currZone->entities.get(0)))
        return;
    // Opened before the entity takes its id, so an undo gives the same id out again.
    beginStep("stamp " + (prop ? Doodad::getImagePath(doodadIndex) : Entity::getTypeName(stampType)));
    std::unique_ptr<Entity> made = prop ? std::unique_ptr<Entity>(std::make_unique<Doodad>(&currZone->entities, doodadIndex))
                                        : createEntity(stampType, &currZone->entities);
    if (made) {
        step().noteEntity(*currZone, made->getID());
        made->position = mouseWorld();
        currZone->entities.add(std::move(made));
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

void StateEditor::replaceZone(std::unique_ptr<Zone> replacement, int replacementSource, const std::string& label)
{
    beginStep(label);
    history.open()->replaceZone(currZone, source, std::move(replacement), replacementSource);
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
    console.print(back ? "Undid: %s" : "Redid: %s", printable(label).c_str());
}

void StateEditor::reselect(const sf::Vector2i& tile)
{
    selectedTile = currZone->getTile(tile.x, tile.y);
    selectEntity(currZone->entities.get(selectedEntityId));
}

// --- selection ---

void StateEditor::selectEntity(Entity* e)
{
    selectedEntity = e;
    selectedEntityId = e ? e->getID() : -1;
}

void StateEditor::checkSelection()
{
    if (selectedEntity && (!currZone || currZone->entities.get(selectedEntityId) != selectedEntity))
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
