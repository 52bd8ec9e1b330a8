#pragma once
// The level editor: one zone at a time, three mouse modes, and a console for typed commands.

#include "core/camera.h"
#include "editor/console.h"
#include "core/state.h"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/System/Vector2.hpp>
#include <SFML/Window/Keyboard.hpp>
#include <string>
#include <vector>

class Entity;
class Tile;
class Trigger;
class Zone;

class StateEditor final : public State {
public:
    enum { MODE_TILE_PAINT = 0, MODE_TILE_PROPERTIES = 1, MODE_ENTITY = 2 };

    StateEditor(sf::RenderWindow* targetWindow, State** stateTable);
    ~StateEditor() override;
    StateEditor(const StateEditor&) = delete;
    StateEditor& operator=(const StateEditor&) = delete;

    int update() override;
    void draw() override;
    void enter() override;
    void leave() override;
    void handleEvent(const sf::Event& event) override;
    bool isTyping() const override;

    void handleMouse();
    void handleEditorKeys();
    // Moves the stamp list's choice one line down (1) or up (-1).
    void stepStamp(int step);
    void stampEntity();

    void consoleKey(const sf::Event::KeyEvent& key);
    static char keyToChar(sf::Keyboard::Key key, bool shift);

    void runCommand(const std::string& line);
    void executeCommand(const std::vector<std::string>& tokens);

    // The world point under the mouse, through the picture's current view.
    sf::Vector2f mouseWorld() const;
    static const char* modeText(int editMode);

    // Selection helpers, shared with the commands (editorcommands.cpp).
    void selectEntity(Entity* e);
    Trigger* selectedTrigger() const;
    bool hasEvent(const Trigger& trigger, int i) const;
    bool hasLine(const Trigger& trigger, int i, int j) const;

    // Public like the entities' fields: the commands and the tests read them directly.
    std::vector<sf::Sprite> tilePalette;
    Console console;
    Camera camera;
    int tileBrush;
    int stampType;
    int doodadIndex;
    Tile* selectedTile;
    Entity* selectedEntity;
    Zone* currZone;
    int mode;
    sf::Vector2f dragAnchor;
    bool dragging;
    int selectedEvent;
    int selectedLine;
    bool switchLatch;

private:
    void drawOverlay();
    void drawTilePalette();
    void drawTileInfoPanel();
    void drawEntityPanel();
    void drawTriggerScript(const Trigger& trigger);
    void drawStampList();
    void drawConsole();

    // Drops the selection if its entity has left the zone by any route.
    void checkSelection();

    // Id of selectedEntity, to notice when the pointer has gone stale.
    int selectedEntityId;
    float panelHeight;
};
