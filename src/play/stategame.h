#pragma once
// The play state: runs scripts, zone changes and the world, and draws them.

#include "render/camera.h"
#include "play/playtest.h"
#include "render/state.h"
#include "play/hud.h"
#include "play/packmenu.h"
#include "play/playstart.h"
#include "play/scripthandler.h"
#include "play/zonesnapshot.h"
#include "world/zonefile.h"

#include <SFML/System/Vector2.hpp>
#include <map>
#include <memory>
#include <set>
#include <string>

class Player;
class PlayWatch;
class Tile;
class Zone;

class StateGame final : public State {
public:
    static constexpr int FADE_FRAMES = 60;
    static constexpr int ENDING_FRAMES = 160;
    static constexpr float PLAY_VOLUME = 100.f;
    static constexpr float SCRIPT_VOLUME = 50.f;
    static constexpr float CAMERA_RISE = 32.f;
    // How far above a robber's feet its body is, where a pointer to it aims.
    static constexpr float ROBBER_BODY = 40.f;
    // A retry gives back all of them, whatever the player arrived with.
    static constexpr int FULL_HIT_POINTS = 100;
    static constexpr float PAUSED_MUSIC_SHARE = 0.25f;

    StateGame(sf::RenderWindow* targetWindow, State** stateTable);
    ~StateGame() override;
    StateGame(const StateGame&) = delete;
    StateGame& operator=(const StateGame&) = delete;

    int update() override;
    void draw() override;
    // What draw moves on, without the picture: the camera the next frame's mouse is mapped
    // through and the world's animations (blows land on their frames). A replay's frames
    // that are not shown play with this instead of draw.
    void animate();
    void enter() override;
    void leave() override;
    void handleEvent(const sf::Event& event) override;
    bool mayClose() override;

    // The next enter plays this instead of zone 0; leaving after it puts back all that a
    // run of the game keeps between entries (the ending and the fades).
    void startTest(const PlayTest& run);
    bool hasTestPending() const { return testPending; }
    bool isTesting() const { return testing; }
    // How the last test ended; NONE once asked.
    TestEnd takeTestEnd();

    Zone* getZone() const { return zone; }
    Player* getPlayer() const { return player; }
    const std::map<int, std::unique_ptr<Zone>>& getZones() const { return zones; }
    const ScriptHandler& getScriptHandler() const { return scriptHandler; }
    bool isEnding() const { return ending; }
    bool isDebugDraw() const { return debugDraw; }
    void setDebugDraw(bool on) { debugDraw = on; }
    bool isPaused() const { return paused; }
    int getFadeOutTimer() const { return fadeOutTimer; }
    int getFadeInTimer() const { return fadeInTimer; }
    const Hud& getHud() const { return hud; }
    void setHudShown(bool on) { hud.show(on); }
    // The death has played out and "try again" is on screen.
    bool isKnockedOut() const { return knockedOut; }
    // The player's choice, off unless chosen: the player takes half of every blow.
    void setAssist(bool on);
    bool hasAssist() const { return assist; }
    // Knocked out twice or more in this zone, without assist: A tries again with it.
    bool offersAssist() const;
    // The closing fade is over and the end card waits for Return.
    bool showsEndCard() const;
    // The current pack's: the zone a game starts in, and the one whose clearing ends it.
    static int startZone();
    static int endingZone();
    // The list of packs (F2, and from the end card).
    const PackMenu& getPackMenu() const { return packMenu; }
    // The names of the packs the player has played to the end (kept in the settings).
    const std::set<std::string>& getFinished() const { return finished; }
    void setFinished(const std::set<std::string>& names) { finished = names; }

    // What the next entry starts from, and setting it before an entry (a replay's start).
    PlayStart carried() const;
    void carry(const PlayStart& start);
    // Told of entries, frames, events and zone reads from now on; null for none.
    void setWatch(PlayWatch* watcher) { watch = watcher; }
    // While a replay plays: a pack chosen from the list closes it and changes nothing.
    void lockPacks(bool locked) { packsLocked = locked; }

private:
    // The start of a game in zone 0, or of a play-test; enter is the watch's word and this.
    void start();
    template <typename Self, typename Visit> static void eachCarried(Self& self, PlayStart& start, Visit visit);
    void handlePlayerInput();
    // Where a punch aimed at the picture point goes, in the world.
    sf::Vector2f aimAt(const sf::Vector2f& picturePoint) const;
    void handlePad();
    // P or the pad's Back: a pause starts once the frame in progress is drawn, so the
    // picture it keeps showing is that frame's, its list submitted again.
    void togglePause();
    // Freezes or thaws the world; the music drops to a quarter meanwhile.
    void setPaused(bool on);
    void drawPaused();
    // draw's part that is animate's.
    void moveOn();
    bool updateTransition();
    const Tile* tileUnderPlayer() const;
    void noteOffLink(const Tile* under);
    void changeZone();
    Zone* targetZone(int target);
    // The player handed to target, where it is registered from now on.
    Player* addPlayerTo(Zone& target, std::unique_ptr<Player> arriving);
    void release();
    // A zone just loaded: where its file puts its robbers, for every retry there.
    void notePlaces(const Zone& loaded);
    // A zone entered: kept as it is for a retry, its name put up.
    void arrive();
    // Where the player now stands is known to be off the links; the zone's name goes up.
    void settleIn();
    // The view on the picture follows the player.
    void aimCamera();
    // Says how the picture is shown, with the debug marks.
    void submitShownBy();
    void retry();
    // recordedAnew: a recording watching the game starts another with it (a new pack's).
    void newGame(bool recordedAnew = false);
    // F2: the list of packs over a paused game. What its keys asked is done in update.
    void openPackMenu();
    void closePackMenu();
    void updatePackMenu();
    void backOffLink();
    Hud::Status hudStatus() const;
    // Where a player goes when nothing better is known: the centre of the first walkable
    // tile that leads nowhere, searched as link-ins are.
    static sf::Vector2f firstWalkableCentre(Zone& target);
    void enterTest();
    void leaveTest();
    int testKeys();

    // What a test run must not change for the game.
    struct Kept {
        bool ending = false;
        int fadeOutTimer = 0;
        int fadeInTimer = 0;
    };

    ScriptHandler scriptHandler;
    // Every zone visited, owning its entities (the player among them).
    std::map<int, std::unique_ptr<Zone>> zones;
    Zone* zone;
    Camera camera;
    bool debugDraw;
    Player* player;
    bool ending;
    bool leftHeld;
    bool middleHeld;
    bool rightHeld;
    bool switchLatch;
    int fadeOutTimer;
    int fadeInTimer;
    // The link the running fade started on: the switch goes there, wherever the player
    // stands by then.
    int fadeTarget;
    // Where the player last stood off every link-out tile in this zone, if anywhere yet.
    sf::Vector2f offLink;
    bool offLinkKnown;
    Hud hud;
    ZoneSnapshot arrival;
    std::map<const Zone*, ZoneSnapshot::Places> placed;
    bool knockedOut;
    bool assist = false;
    bool assistKeyHeld = true;
    // Knock-outs in this game, by zone id.
    std::map<int, int> knockOuts;
    // Return was down in the last update: retry and a new game want a fresh press.
    bool returnHeld;
    bool paused;
    bool pauseAsked;
    FrameList pausedPicture;
    float volumeBeforePause;
    bool padPunchHeld;
    bool padBackHeld;

    std::set<std::string> finished;
    bool packsLocked = false;
    // Chosen from the list: played from the next frame's start.
    std::unique_ptr<Pack> chosenPack;
    void playChosenPack();
    PackMenu packMenu;
    enum class MenuKey { NONE, UP, DOWN, CHOOSE, CLOSE };
    MenuKey menuKey = MenuKey::NONE;
    bool pausedForMenu = false;
    // The Escape that closed the list, still down: it must not quit the game too.
    bool escapeHeld = false;
    PlayTest test;
    bool testPending = false;
    bool testing = false;
    bool testF5Latch = true;
    bool closeAsked = false;
    TestEnd testEnd = TestEnd::NONE;
    Kept kept;
    PlayWatch* watch = nullptr;
};
