#include "play/stategame.h"

#include "play/playwatch.h"
#include "world/entity.h"
#include "world/kinds.h"
#include "core/gamepad.h"
#include "core/globals.h"
#include "core/input.h"
#include "characters/malepedestrian.h"
#include "characters/player.h"
#include "characters/unit.h"
#include "world/levelfolder.h"
#include "world/pack.h"
#include "world/resourcemanager.h"
#include "world/tile.h"
#include "world/zone.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Text.hpp>
#include <climits>
#include <cmath>
#include <cstdio>
#include <type_traits>

namespace {
const char* MSG_NO_START_PLAYER = "Zone %d gave no player: starting a new one at %.0f, %.0f\n";
const char* MSG_TEST_ZONE_REFUSED = "The zone under test did not load: %s\n";
const char* MSG_EXTRA_PLAYER = "Zone %d holds a player of its own: removed, the arriving one takes its place\n";
const char* MSG_NO_LINK_IN = "Zone %d has no link-in from zone %d: the player arrives at %.0f, %.0f instead\n";
const char* MSG_TARGET_REFUSED = "Zone %d cannot be loaded: the player stays in zone %d\n";
const char* MSG_RETRY_SHORT = "Zone %d could not be put back whole for the retry\n";

const char* PAUSED_TEXT = "Paused";
const unsigned PAUSED_TEXT_SIZE = 48;

const char* ENDING_LINE_CLERK = "Wow.";
const char* ENDING_LINE_PLAYER = "I'll take three boxes of the good stuff.";

// Ground a player can be put on without walking into a wall or straight out of the zone.
bool soundGround(const Tile* tile)
{
    return tile != nullptr && tile->walkable && tile->type != TILE_LINKOUT;
}

void say(const char* format, int a, int b, float x = 0.f, float y = 0.f)
{
    std::printf(format, a, b, x, y);
    std::fflush(stdout);
}

// What findLinkIn answers when no link-in names the zone.
const sf::Vector2f NO_LINK_IN(-1.0f, -1.0f);

Event endingDialog()
{
    Event event;
    event.type = Event::EVENT_DIALOG;
    event.dialogLines.push_back(DialogLine{ENDING_LINE_CLERK, 1, 3});
    event.dialogLines.push_back(DialogLine{ENDING_LINE_PLAYER, 0, 2});
    return event;
}
} // namespace

StateGame::StateGame(sf::RenderWindow* targetWindow, State** stateTable)
    : State(targetWindow, stateTable), zone(nullptr), debugDraw(false), player(nullptr),
      ending(false), leftHeld(false), middleHeld(false), rightHeld(false), switchLatch(true), fadeOutTimer(0),
      fadeInTimer(0), fadeTarget(0), offLinkKnown(false), knockedOut(false), returnHeld(true), paused(false),
      pauseAsked(false), volumeBeforePause(PLAY_VOLUME), padPunchHeld(false), padBackHeld(false)
{
}

StateGame::~StateGame() { release(); }

void StateGame::enter()
{
    if (watch != nullptr)
        watch->entering(*this);
    start();
}

void StateGame::start()
{
    // A dialog or walk left running when the state was left belongs to zones now gone.
    scriptHandler.clear();
    if (testPending) {
        enterTest();
    } else {
        const int start = startZone();
        zones[start] = std::make_unique<Zone>(start, 1, 1, &scriptHandler);
        zone = zones[start].get();
        // The player's kind is made as a Player.
        player = static_cast<Player*>(zone->load(start));
        if (watch != nullptr)
            watch->zoneRead(start);
        if (player == nullptr) {
            // Without a player nothing can be played; a stand-in lets the editor repair the level.
            auto standIn = std::make_unique<Player>(&zone->entities);
            standIn->position = firstWalkableCentre(*zone);
            std::printf(MSG_NO_START_PLAYER, start, standIn->position.x, standIn->position.y);
            std::fflush(stdout);
            player = addPlayerTo(*zone, std::move(standIn));
        }
        notePlaces(*zone);
    }
    knockedOut = false;
    arrive();
    ResourceManager::music().setLoop(true);
}

void StateGame::notePlaces(const Zone& loaded) { placed[&loaded] = ZoneSnapshot::robberPlaces(loaded); }

void StateGame::setAssist(bool on)
{
    assist = on;
    if (player != nullptr)
        player->assisted = on;
}

bool StateGame::offersAssist() const
{
    const auto count = knockOuts.find(zone->id);
    return knockedOut && !assist && count != knockOuts.end() && count->second >= 2;
}

void StateGame::arrive()
{
    player->assisted = assist;
    arrival.take(*zone, *player, placed[zone]);
    settleIn();
    aimCamera();
}

void StateGame::aimCamera()
{
    camera.getView().setCenter(worldToScreen(player->position) + sf::Vector2f(0.f, -CAMERA_RISE));
    camera.setScreenSpace(*frame, false);
}

void StateGame::settleIn()
{
    offLinkKnown = false;
    noteOffLink(tileUnderPlayer());
    hud.arrive(zone->name);
}

void StateGame::leave()
{
    if (watch != nullptr)
        watch->left(*this);
    packMenu.close();
    pausedForMenu = false;
    chosenPack.reset();
    setPaused(false);
    if (testing)
        leaveTest();
    else
        release();
}

void StateGame::startTest(const PlayTest& run)
{
    test = run;
    testPending = true;
}

void StateGame::enterTest()
{
    testPending = false;
    testing = true;
    testF5Latch = true; // the F5 that started the test is still down
    closeAsked = false;
    testEnd = TestEnd::NONE;
    kept.ending = ending;
    kept.fadeOutTimer = fadeOutTimer;
    kept.fadeInTimer = fadeInTimer;
    ending = false;
    fadeOutTimer = 0;
    fadeInTimer = 0;

    auto tried = std::make_unique<Zone>(0, 1, 1, &scriptHandler);
    std::string why;
    if (!tried->loadBytes(test.zoneBytes, why)) {
        std::printf(MSG_TEST_ZONE_REFUSED, why.c_str());
        std::fflush(stdout);
    }
    test.zoneBytes.clear();
    zone = tried.get();
    zones[zone->id] = std::move(tried);
    notePlaces(*zone);
    Entity* first = zone->entities.get(0);
    player = first != nullptr && first->getType() == Entity::TYPE_PLAYER ? static_cast<Player*>(first) : nullptr;
    if (player == nullptr) {
        auto standIn = std::make_unique<Player>(&zone->entities);
        const bool onGrid = zone->tileAt(test.start) != nullptr;
        standIn->position = onGrid ? test.start : firstWalkableCentre(*zone);
        player = addPlayerTo(*zone, std::move(standIn));
    }
}

void StateGame::leaveTest()
{
    release();
    ending = kept.ending;
    fadeOutTimer = kept.fadeOutTimer;
    fadeInTimer = kept.fadeInTimer;
    scriptHandler.clear();
    testing = false;
}

TestEnd StateGame::takeTestEnd()
{
    const TestEnd end = testEnd;
    testEnd = TestEnd::NONE;
    return end;
}

bool StateGame::mayClose()
{
    if (!testing)
        return true;
    // The editor's work is not saved yet: it decides, back in the editor.
    closeAsked = true;
    return false;
}

int StateGame::testKeys()
{
    const bool f5 = freshPress(sf::Keyboard::F5, testF5Latch);
    const bool f12 = freshPress(sf::Keyboard::F12, switchLatch);
    if (closeAsked || input::isKeyPressed(sf::Keyboard::Escape))
        testEnd = TestEnd::QUIT;
    else if (f5 || f12)
        testEnd = TestEnd::RETURN;
    else
        return -1;
    return STATE_EDITOR;
}

void StateGame::release()
{
    // The player goes with the zone that holds it.
    player = nullptr;
    placed.clear();
    knockOuts.clear();
    zone = nullptr;
    zones.clear();
}

sf::Vector2f StateGame::firstWalkableCentre(Zone& target)
{
    for (int x = 0; x < target.getWidth(); ++x)
        for (int y = 0; y < target.getHeight(); ++y)
            if (soundGround(target.getTile(x, y)))
                return sf::Vector2f(x * TILE_SIZE + TILE_SIZE * 0.5f, y * TILE_SIZE + TILE_SIZE * 0.5f);
    return sf::Vector2f(TILE_SIZE * 0.5f, TILE_SIZE * 0.5f);
}

Player* StateGame::addPlayerTo(Zone& target, std::unique_ptr<Player> arriving)
{
    // Whatever holds the player's id there (a player record of the zone's own file) makes way.
    if (Entity* occupant = target.entities.get(arriving->getID())) {
        std::printf(MSG_EXTRA_PLAYER, target.id);
        std::fflush(stdout);
        target.entities.remove(occupant->getID());
    }
    arriving->manager = &target.entities;
    return target.entities.add(std::move(arriving));
}

int StateGame::update()
{
    playChosenPack();
    if (watch != nullptr)
        watch->frame(*this);
    if (packMenu.isOpen()) {
        updatePackMenu();
        return STATE_GAME;
    }
    escapeHeld = escapeHeld && input::isKeyPressed(sf::Keyboard::Escape);
    const int next = testing ? testKeys() : escapeHeld ? -1 : switchKeys(switchLatch, STATE_EDITOR);
    if (next >= 0)
        return next;

    const bool returnNow = input::isReturnPressed() || Gamepad::held(Gamepad::START);
    const bool returnPressed = returnNow && !returnHeld;
    returnHeld = returnNow;
    const bool assistPressed = freshPress(sf::Keyboard::A, assistKeyHeld);
    const bool back = Gamepad::held(Gamepad::BACK);
    if (back && !padBackHeld)
        togglePause();
    padBackHeld = back;
    // Nothing moves and no timer counts, so play resumes frame for frame.
    if (paused)
        return STATE_GAME;

    // The world stands still for scripts (a scripted walk moves its walker alone) and fades.
    if (scriptHandler.isRunning()) {
        zone->entities.holdBlows = true;
        ResourceManager::music().setVolume(SCRIPT_VOLUME);
        player->moveDirection = ZERO_VECTOR;
        scriptHandler.update(*zone);
        hud.tick();
        return STATE_GAME;
    }
    if (showsEndCard()) {
        if (returnPressed)
            newGame();
        return STATE_GAME;
    }
    const bool fading = updateTransition();
    zone->entities.holdBlows = fading; // set after the fade, which may have changed the zone
    if (fading)
        return STATE_GAME;

    hud.tick();
    ResourceManager::music().setVolume(PLAY_VOLUME);
    if (!player->defeated) {
        handlePlayerInput();
    } else if (knockedOut && (returnPressed || (assistPressed && offersAssist()))) {
        if (!returnPressed)
            setAssist(true);
        retry();
        return STATE_GAME;
    }

    if (zone->id == endingZone() && zone->entities.countType(Entity::TYPE_ROBBER) == 0) {
        scriptHandler.addEvent(endingDialog());
        ending = true;
        fadeOutTimer = ENDING_FRAMES;
        if (!testing)
            finished.insert(LevelFolder::pack().name());
    }

    zone->update(false);
    // Once the fall has played out to its last frame.
    if (!knockedOut && player->defeated && player->currentAnimation == &player->death
        && player->death.currentFrame >= player->death.frameCount - 1) {
        knockedOut = true;
        ++knockOuts[zone->id];
        hud.dropName();
    }
    return STATE_GAME;
}

int StateGame::startZone() { return LevelFolder::pack().info().start; }

int StateGame::endingZone() { return LevelFolder::pack().info().ending; }

// Every number the play state carries into its next game beside its place in a PlayStart:
// the one list that both ways read.
template <typename Self, typename Visit> void StateGame::eachCarried(Self& self, PlayStart& start, Visit visit)
{
    visit(start.ending, self.ending);
    visit(start.fadeOutTimer, self.fadeOutTimer);
    visit(start.fadeInTimer, self.fadeInTimer);
    visit(start.fadeTarget, self.fadeTarget);
    visit(start.leftHeld, self.leftHeld);
    visit(start.middleHeld, self.middleHeld);
    visit(start.rightHeld, self.rightHeld);
    visit(start.switchLatch, self.switchLatch);
    visit(start.returnHeld, self.returnHeld);
    visit(start.padPunchHeld, self.padPunchHeld);
    visit(start.padBackHeld, self.padBackHeld);
    visit(start.assistHeld, self.assistKeyHeld);
    visit(start.debugDraw, self.debugDraw);
    visit(start.assist, self.assist);
}

PlayStart StateGame::carried() const
{
    PlayStart start;
    eachCarried(*this, start, [](int& into, const auto& from) { into = from; });
    start.overlay = hud.isShown();
    return start;
}

void StateGame::carry(const PlayStart& start)
{
    PlayStart given = start;
    eachCarried(*this, given,
                [](const int& from, auto& into) { into = static_cast<std::decay_t<decltype(into)>>(from); });
    hud.show(start.overlay != 0);
}

bool StateGame::showsEndCard() const { return ending && fadeOutTimer <= 0 && !scriptHandler.isRunning(); }

void StateGame::retry()
{
    scriptHandler.clear();
    if (!arrival.restore(*zone, *player))
        say(MSG_RETRY_SHORT, zone->id, 0);
    player->position = arrival.getPlayerPosition();
    player->facing = arrival.getPlayerFacing();
    player->velocity = ZERO_VECTOR;
    player->moveDirection = ZERO_VECTOR;
    player->clearPath();
    player->hitPoints = FULL_HIT_POINTS;
    player->defeated = false;
    player->actionTimer = 0;
    player->attacking = false;
    player->currentAnimation = &player->idle;
    knockedOut = false;
    settleIn();
}

void StateGame::newGame(bool recordedAnew)
{
    release();
    ending = false;
    fadeOutTimer = 0;
    fadeInTimer = 0;
    if (recordedAnew && watch != nullptr)
        watch->entering(*this);
    start();
}

void StateGame::handlePlayerInput()
{
    const bool left = input::isButtonPressed(sf::Mouse::Left);
    const bool right = input::isButtonPressed(sf::Mouse::Right);
    const bool middle = input::isButtonPressed(sf::Mouse::Middle);
    // A press walks from its second frame on, so a click alone does not.
    const bool walking = leftHeld && left;
    const bool punching = right && !rightHeld;
    // Asked only when it counts: a replay then holds the mouse only while it steers.
    const sf::Vector2f pointer = walking || punching ? mouseIn(camera.getView()) : ZERO_VECTOR;

    player->moveDirection = walking ? screenToWorld(pointer) - player->position : ZERO_VECTOR;
    handlePad();

    if (punching) {
        const sf::Vector2f aim = aimAt(pointer) - player->position;
        if (aim != ZERO_VECTOR)
            player->facing = normalize(aim);
        player->punch();
    }

    if (input::isKeyPressed(sf::Keyboard::R))
        zone->entities.add(std::make_unique<MalePedestrian>(&zone->entities));
    if (input::isKeyPressed(sf::Keyboard::Z))
        player->spinKick();

    leftHeld = left;
    rightHeld = right;
    middleHeld = middle;
}

sf::Vector2f StateGame::aimAt(const sf::Vector2f& picturePoint) const
{
    // A person points at a character's body, not at the ground under it: a punch aimed at
    // a body goes toward its feet, where blows land. Bodies overlapping: the front one, the
    // lower id on a tie.
    sf::Vector2f target = screenToWorld(picturePoint);
    float front = -INFINITY;
    for (const auto& entry : zone->entities) {
        const Entity& e = *entry.second;
        if (&e == player || !kinds::isUnit(e.getType()))
            continue;
        const Unit& unit = static_cast<const Unit&>(e);
        const float depth = unit.position.x + unit.position.y;
        if (unit.hitPoints > 0 && depth > front && unit.showsAt(picturePoint)) {
            front = depth;
            target = unit.position;
        }
    }
    return target;
}

void StateGame::handlePad()
{
    // The stick points on screen; the world plane lies under it at an angle.
    const sf::Vector2f toward = screenToWorld(Gamepad::stick());
    const bool walking = toward != ZERO_VECTOR;
    if (walking)
        player->moveDirection = toward;

    const bool punch = Gamepad::held(Gamepad::A);
    if (punch && !padPunchHeld) {
        if (walking)
            player->facing = normalize(toward);
        player->punch();
    }
    padPunchHeld = punch;
    if (Gamepad::held(Gamepad::X))
        player->spinKick();
}

void StateGame::togglePause()
{
    if (paused)
        setPaused(false);
    else if (!showsEndCard()) // nothing runs there to pause, and the words would cross
        pauseAsked = !pauseAsked;
}

void StateGame::setPaused(bool on)
{
    pauseAsked = false;
    if (on == paused)
        return;
    paused = on;
    if (paused) {
        volumeBeforePause = ResourceManager::music().getVolume();
        ResourceManager::music().setVolume(volumeBeforePause * PAUSED_MUSIC_SHARE);
    } else {
        ResourceManager::music().setVolume(volumeBeforePause);
    }
}

bool StateGame::updateTransition()
{
    if (ending) {
        if (fadeOutTimer > 0)
            --fadeOutTimer;
        return true;
    }
    if (fadeOutTimer > 0) {
        --fadeOutTimer;
        return true;
    }
    if (fadeInTimer > 0) {
        if (fadeOutTimer == 0) {
            fadeOutTimer = -1;
            changeZone();
        }
        --fadeInTimer;
        return true;
    }
    const Tile* tile = tileUnderPlayer();
    // Only a walk takes the player out. A body knocked onto a way out stays while defeated;
    // one still reeling from a blow stops at its edge, so no fight ends in another zone.
    const bool onWayOut = tile != nullptr && tile->type == TILE_LINKOUT;
    if (onWayOut && player->reeling()) {
        backOffLink();
    } else if (onWayOut && !player->defeated) {
        fadeInTimer = FADE_FRAMES;
        fadeOutTimer = FADE_FRAMES;
        fadeTarget = tile->link;
    } else {
        noteOffLink(tile);
    }
    return false;
}

const Tile* StateGame::tileUnderPlayer() const
{
    return zone->tileAt(player->position);
}

void StateGame::noteOffLink(const Tile* under)
{
    if (!soundGround(under))
        return;
    offLink = player->position;
    offLinkKnown = true;
}

void StateGame::changeZone()
{
    const int leftId = zone->id;
    // Knocked out in the fade's first frame: the fall is finished here, not there.
    if (player->defeated) {
        backOffLink();
        return;
    }
    Zone* target = targetZone(fadeTarget);
    if (target == nullptr) {
        say(MSG_TARGET_REFUSED, fadeTarget, leftId);
        backOffLink();
        return;
    }
    // Started by the first departure from the start zone; play() again would rewind it.
    if (leftId == startZone() && ResourceManager::music().getStatus() != sf::Music::Playing)
        ResourceManager::music().play();

    // The player is always registered in the zone it stands in.
    std::unique_ptr<Entity> leaving = zone->entities.take(player->getID());
    zone = target;
    player = addPlayerTo(*zone, std::unique_ptr<Player>(static_cast<Player*>(leaving.release())));
    player->position = zone->findLinkIn(leftId);
    if (player->position == NO_LINK_IN) {
        player->position = firstWalkableCentre(*zone);
        say(MSG_NO_LINK_IN, fadeTarget, leftId, player->position.x, player->position.y);
    }
    arrive();
}

// Back where the player last stood off the links, or the fade would start again at once.
void StateGame::backOffLink()
{
    player->position = offLinkKnown ? offLink : firstWalkableCentre(*zone);
    player->velocity = ZERO_VECTOR;
    player->clearPath();
}

Zone* StateGame::targetZone(int target)
{
    auto found = zones.find(target);
    if (found != zones.end())
        return found->second.get();
    auto loaded = std::make_unique<Zone>(0, 1, 1, &scriptHandler);
    bool accepted = false;
    loaded->load(target, &accepted); // a player of its own gives way in addPlayerTo
    if (watch != nullptr)
        watch->zoneRead(target);
    if (!accepted)
        return nullptr;
    Zone* arrived = loaded.get();
    zones[target] = std::move(loaded);
    notePlaces(*arrived);
    return arrived;
}

void StateGame::moveOn()
{
    aimCamera();
    zone->animate();
}

void StateGame::animate()
{
    if (paused)
        return;
    // The pause keeps this frame's picture to show.
    if (pauseAsked)
        draw();
    else
        moveOn();
}

void StateGame::draw()
{
    if (paused) {
        frame->clear();
        frame->append(pausedPicture);
        if (packMenu.isOpen())
            packMenu.submit(*frame);
        else
            drawPaused();
        camera.setScreenSpace(*frame, false);
        return;
    }
    frame->clear(sf::Color::Black);
    moveOn();
    zone->submit(*frame, debugDraw);
    // The dialog box is painted over the world opaque: nothing under it is painted.
    if (scriptHandler.isRunning())
        scriptHandler.submit(*frame);

    float alpha = -1.f;
    if (ending || fadeOutTimer > 0) {
        const float frames = ending ? static_cast<float>(ENDING_FRAMES) : static_cast<float>(FADE_FRAMES);
        alpha = 255.f - (static_cast<float>(fadeOutTimer) / frames) * 255.f;
    } else if (fadeInTimer > 0) {
        alpha = (static_cast<float>(fadeInTimer) / FADE_FRAMES) * 255.f;
    }
    // The guidance fades with the world; the closing fade hides it for good.
    if (!ending)
        hud.submit(*frame, hudStatus());
    if (alpha >= 0.f) {
        camera.setScreenSpace(*frame, true);
        sf::RectangleShape overlay(sf::Vector2f(frame->getSize()));
        overlay.setFillColor(sf::Color(0, 0, 0, static_cast<sf::Uint8>(static_cast<int>(alpha) & 0xFF)));
        frame->draw(overlay);
    }
    if (showsEndCard())
        Hud::submitEndCard(*frame);
    else if (knockedOut)
        Hud::submitKnockedOut(*frame, offersAssist());
    if (debugDraw)
        submitShownBy();
    if (pauseAsked) {
        pausedPicture.clear();
        pausedPicture.append(*frame);
        setPaused(true);
        if (!packMenu.isOpen())
            drawPaused();
    }
    if (packMenu.isOpen())
        packMenu.submit(*frame);
    // The dialog box, the overlays and the messages leave their own views behind.
    camera.setScreenSpace(*frame, false);
}

void StateGame::drawPaused()
{
    camera.setScreenSpace(*frame, true);
    sf::Text text(PAUSED_TEXT, ResourceManager::dialogFont, PAUSED_TEXT_SIZE);
    const sf::FloatRect bounds = text.getLocalBounds();
    const sf::Vector2f size(frame->getSize());
    text.setPosition(std::round((size.x - bounds.width) / 2.f - bounds.left),
                     std::round((size.y - bounds.height) / 2.f - bounds.top));
    text.setOutlineColor(sf::Color::Black);
    text.setOutlineThickness(3.f);
    frame->draw(text);
}

void StateGame::submitShownBy()
{
    if (frame->shownBy.empty())
        return;
    camera.setScreenSpace(*frame, true);
    sf::Text text("shown by " + frame->shownBy, ResourceManager::debugFont, 14);
    text.setFillColor(sf::Color::White);
    text.setOutlineColor(sf::Color::Black);
    text.setOutlineThickness(1.f);
    text.setPosition(6.f, static_cast<float>(frame->getSize().y) - 22.f);
    frame->draw(text);
}

Hud::Status StateGame::hudStatus() const
{
    Hud::Status status;
    status.hitPoints = player->hitPoints;
    status.assist = assist;
    const sf::Vector2f size(frame != nullptr ? frame->getSize() : sf::Vector2u());
    for (const auto& entry : zone->entities) {
        const Entity& e = *entry.second;
        if (e.getType() != Entity::TYPE_ROBBER || static_cast<const Unit&>(e).hitPoints <= 0)
            continue;
        ++status.robbersLeft;
        // Pointers only over the world: a scene's dialog box has the top of the screen.
        if (frame == nullptr || scriptHandler.isRunning())
            continue;
        const sf::Vector2f body(frame->mapCoordsToPixel(worldToScreen(e.position) - sf::Vector2f(0.f, ROBBER_BODY),
                                                        camera.getView()));
        if (body.x < 0.f || body.y < 0.f || body.x >= size.x || body.y >= size.y)
            status.robbersAway.push_back(body);
    }
    return status;
}

void StateGame::openPackMenu()
{
    packMenu.open(LevelFolder::packsFolder(), finished);
    // Nothing runs on the end card to pause.
    pausedForMenu = !paused && !showsEndCard();
    if (pausedForMenu)
        pauseAsked = true;
}

void StateGame::closePackMenu()
{
    packMenu.close();
    if (pausedForMenu)
        setPaused(false);
    pausedForMenu = false;
}

void StateGame::updatePackMenu()
{
    const MenuKey key = menuKey;
    menuKey = MenuKey::NONE;
    if (key == MenuKey::UP || key == MenuKey::DOWN) {
        packMenu.move(key == MenuKey::UP ? -1 : 1);
    } else if (key == MenuKey::CLOSE) {
        closePackMenu();
        escapeHeld = true;
    } else if (key == MenuKey::CHOOSE) {
        Pack chosen;
        std::string refusal;
        if (!packMenu.choose(chosen, refusal)) {
            // The game stays in the pack it was playing.
            std::printf("%s\n", refusal.c_str());
            std::fflush(stdout);
            return;
        }
        closePackMenu();
        // A replay plays the game it holds: this machine's packs are not chosen from.
        if (!packsLocked)
            chosenPack = std::make_unique<Pack>(chosen);
    }
}

void StateGame::playChosenPack()
{
    if (chosenPack == nullptr)
        return;
    // A recording is of one pack's game: it ends with the frame that chose, updated and
    // drawn, and the new game is recorded as another before anything of the next frame.
    if (watch != nullptr)
        watch->left(*this);
    LevelFolder::usePack(*chosenPack);
    chosenPack.reset();
    // The Return that chose must not also act in the new game.
    returnHeld = true;
    newGame(true);
}

void StateGame::handleEvent(const sf::Event& event)
{
    playChosenPack();
    if (watch != nullptr)
        watch->event(*this, event);
    if (event.type != sf::Event::KeyPressed)
        return;
    if (packMenu.isOpen()) {
        switch (event.key.code) {
        case sf::Keyboard::Up: menuKey = MenuKey::UP; break;
        case sf::Keyboard::Down: menuKey = MenuKey::DOWN; break;
        case sf::Keyboard::Return: menuKey = MenuKey::CHOOSE; break;
        case sf::Keyboard::Escape:
        case sf::Keyboard::F2: menuKey = MenuKey::CLOSE; break;
        default: break;
        }
        return;
    }
    if (event.key.code == sf::Keyboard::F2 && !testing)
        openPackMenu();
    else if (event.key.code == sf::Keyboard::D)
        debugDraw = !debugDraw;
    else if (event.key.code == sf::Keyboard::F1)
        hud.toggle();
    else if (event.key.code == sf::Keyboard::P)
        togglePause();
}
