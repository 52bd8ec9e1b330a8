#pragma once
// The level editor: one zone at a time, three mouse modes, and a console for typed commands;
// every change can be undone, tried in play, and is never dropped without a question.

#include "render/camera.h"
#include "render/state.h"
#include "editor/console.h"
#include "editor/edithistory.h"
#include "editor/palettestrip.h"
#include "editor/recoveryfile.h"
#include "world/tile.h"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/System/Vector2.hpp>
#include <SFML/Window/Keyboard.hpp>
#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class Entity;
class StateGame;
class Trigger;
class Zone;

class StateEditor final : public State {
public:
    enum { MODE_TILE_PAINT = 0, MODE_TILE_PROPERTIES = 1, MODE_ENTITY = 2 };
    // What waits for the answer to a question, or for the zone to be saved.
    enum class Pending { NONE, QUIT, LEAVE, LOAD, NEW, LOAD_RECOVERY };
    enum class Question { NONE, UNSAVED, OVERWRITE };
    static constexpr float MIN_ZOOM = 0.5f;
    static constexpr float MAX_ZOOM = 2.0f;

    StateEditor(sf::RenderWindow* targetWindow, State** stateTable);
    ~StateEditor() override;
    StateEditor(const StateEditor&) = delete;
    StateEditor& operator=(const StateEditor&) = delete;

    int update() override;
    void draw() override;
    void enter() override;
    void leave() override;
    void handleEvent(const sf::Event& event) override;
    bool mayClose() override;
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

    // The world point under the mouse, through the editor's view.
    sf::Vector2f mouseWorld() const;
    // The tile under the mouse, null off the grid.
    Tile* mouseTile() const;
    // The mouse in the picture's own pixels (the overlay's space).
    sf::Vector2f mouseScreen() const;
    static const char* modeText(int editMode);

    // Selection helpers, shared with the commands (editorcommands.cpp).
    void selectEntity(Entity* e);
    Trigger* selectedTrigger() const;
    bool hasEvent(const Trigger& trigger, int i) const;
    bool hasLine(const Trigger& trigger, int i, int j) const;

    // Undo steps. A change opens a step, notes what it is about to touch, and closes it.
    void beginStep(const std::string& label, const std::string& many = std::string());
    void endStep();
    EditStep& step();
    void undo();
    void redo();
    // Replaces the zone as one step (load, new): the old zone waits in the history.
    void replaceZone(std::unique_ptr<Zone> replacement, int replacementSource, const std::string& label);

    // Runs what asked for, after the unsaved-changes question when there is unsaved work.
    void request(Pending what, int a = 0, int b = 0);
    // The save command: asks before writing over another zone's file.
    void requestSave();
    bool isUnsaved() const { return history.isUnsaved(); }
    void startPlayTest();
    void loadRecovery();
    void discardRecovery();
    // Zooms by wheel steps around a window pixel, within MIN_ZOOM and MAX_ZOOM.
    void zoomAtMouse(float steps);
    // The tiles Z X C V set in tile properties mode: the dragged rectangle, else the tile.
    std::vector<Tile*> selectedTiles();
    // The kinds the stamp list names one by one, in the kind table's order.
    static std::vector<int> stampedKinds();
    // Every choice of the stamp list, in order: (type, prop number).
    static std::vector<std::pair<int, int>> stampChoices();

    // Public like the entities' fields: the commands and the tests read them directly.
    std::vector<sf::Sprite> tilePalette;
    Console console;
    Camera camera;
    int tileBrush;
    int stampType;
    int doodadIndex;
    Tile* selectedTile;
    Entity* selectedEntity;
    std::unique_ptr<Zone> currZone;
    int mode;
    sf::Vector2f dragAnchor;
    bool dragging;
    int selectedEvent;
    int selectedLine;
    bool switchLatch;

    EditHistory history;
    // The zone file the zone came from (loaded or saved), -1 for none.
    int source;
    float zoom;
    Question question;
    RecoveryFile recovery;
    std::vector<RecoveryFile::Offer> recoveryOffers; // newest first
    int recoveryTimer; // frames with unsaved work the recovery file lacks

private:
    // What the mouse holds down across frames: one undo step each.
    enum class Stroke { NONE, PAINT, FILL, MOVE, DELETE };

    void drawOverlay();
    void drawZoneInfo();
    void drawTilePalette();
    void drawTileInfoPanel();
    void drawEntityPanel();
    void drawTriggerScript(const Trigger& trigger);
    void drawStampList();
    void drawStrip();
    void drawEntityIds();
    void drawRegion();
    void drawConsole();

    void handleKey(const sf::Event::KeyEvent& key);
    void paintMouse(Tile* tile, bool left, bool right, bool pressed);
    void propertiesMouse(Tile* tile, bool left, bool pressed);
    void entityMouse(const sf::Vector2f& world, bool left, bool right);
    bool stripMouse(bool pressed);
    void floodFill(Tile& start);
    void setKind(TileType kind, const char* label);
    // Undo (back) or redo, with what it was in the console.
    void travel(bool back);
    void stroke(Stroke kind, const std::string& label, const std::string& many = std::string());
    void endStroke();

    // Drops the selection if its entity has left the zone by any route.
    void checkSelection();
    // After the zone changed under them: pointers found again by id and place.
    void reselect(const sf::Vector2i& tile);

    // Saving and the questions (editorsaving.cpp).
    void ask(Question what);
    void answer(sf::Keyboard::Key key);
    void closeQuestion();
    void returnFromTest();
    void perform(Pending what);
    bool writeZone();
    void continuePending();
    void loadZone(int zoneId);
    void newZone(int w, int h);
    void offerRecovery();
    void offerNextRecovery();
    void loadOfferedRecovery();
    void keepRecovery();
    void writeRecovery();
    void clearRecovery();
    StateGame* game() const;

    // Id of selectedEntity, to notice when the pointer has gone stale.
    int selectedEntityId;
    float panelHeight;
    PaletteStrip strip;
    Stroke held = Stroke::NONE;
    bool leftHeld = false;
    bool rightHeld = false;
    bool escapeLatch = false;
    bool f5Latch = false;
    bool regionSet = false;
    sf::Vector2i regionAnchor;
    bool testing = false;
    int exitTo = -1;
    Pending pending = Pending::NONE;
    int pendingA = 0;
    int pendingB = 0;
    bool consoleWasHidden = true;
    bool recoveryFailed = false;
    unsigned long recoveryPlace = 0;
    std::chrono::steady_clock::time_point recoveryStart;
};
