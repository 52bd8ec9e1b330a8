#include "humanbot.h"

#include "characters/malepedestrian.h"
#include "characters/player.h"
#include "characters/robber.h"
#include "core/globals.h"
#include "play/scripthandler.h"
#include "play/stategame.h"
#include "world/entity.h"
#include "world/tile.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <cmath>
#include <limits>

namespace playbot {
namespace {

// Robbers closer than this are fought; farther ones are outwalked to the way on.
const float FIGHT_RANGE = 160.0f;
// Pedestrians spin when bumped; this close they are dealt with first.
const float PEDESTRIAN_RANGE = 64.0f;
// A punch lands 24 ahead with radius 16: a robber of radius 15 is in reach to about here.
const float REACH = 50.0f;
// From the press to the punch's first blow.
const float SWING_FRAMES = 25.0f;
// Bodies of radius 16 and 15 stop about this far apart.
const float CONTACT = 31.0f;
// A robber this near is let come; a farther one is walked up to.
const float WAIT_RANGE = 140.0f;
// How fast a robber closes in on its path, in world units a frame.
const float APPROACH_SPEED = 1.5f;
// Two robbers this near and coming on are one too many.
const float CROWD_RANGE = 120.0f;
// How far a step aside may go, in tiles, and how much open ground around it counts.
const int ASIDE_TILES = 3;
const float OPEN_WEIGHT = 8.0f;
// Fewer walkable tiles than this in the 5 x 5 round the player is a corner.
const int CORNERED = 18;
// Farther from a threat than this is far enough.
const float THREAT_CARE = 112.0f;
// A robber near by that has come no nearer for this long (two robbers jammed in a doorway,
// say) is walked up to after all.
const int PATIENCE_FRAMES = 150;
const float NEARER = 8.0f;
// Closer than this to a way out, a fight is taken elsewhere.
const float DOOR_CARE = 112.0f;


bool lineWholeOnScreen(const ScriptHandler& scripts, bool& typing)
{
    typing = false;
    if (!scripts.isBoxVisible() || scripts.isFading() || scripts.isAdvancing() || scripts.getQueue().empty())
        return false;
    const std::vector<DialogLine>& lines = scripts.getQueue().front().dialogLines;
    const int index = scripts.getLineIndex();
    if (index < 0 || index >= static_cast<int>(lines.size()))
        return false;
    typing = scripts.getCharsShown() < static_cast<int>(lines[static_cast<std::size_t>(index)].text.size());
    return !typing;
}

} // namespace

const HumanBot::Profile HumanBot::QUICK{15, 15.0f, 10, false};
const HumanBot::Profile HumanBot::SLOW{24, 25.0f, 15, true};

HumanBot::HumanBot(input::ScriptedSource& scriptIn, sf::RenderWindow& windowIn, unsigned seed,
                   const Profile& profileIn)
    : script(scriptIn), window(windowIn), profile(profileIn), random(seed)
{
}

void HumanBot::decide(const StateGame& game)
{
    ++frame;
    seen.push_back(look(game));
    releaseClicks();
    if (static_cast<int>(seen.size()) <= profile.reactionFrames)
        return;
    const Sight then = seen.front();
    seen.pop_front();
    act(then, *game.getZone());
}

HumanBot::Sight HumanBot::look(const StateGame& game)
{
    Sight sight;
    const Zone& zone = *game.getZone();
    const Player& player = *game.getPlayer();
    const ScriptHandler& scripts = game.getScriptHandler();
    sight.zoneId = zone.id;
    sight.scene = scripts.isRunning();
    sight.waiting = lineWholeOnScreen(scripts, sight.typing);
    // The closing fade counts down from the closing lines on; those are read all the same.
    sight.fading = !game.isEnding() && (game.getFadeInTimer() > 0 || game.getFadeOutTimer() > 0);
    sight.knockedOut = game.isKnockedOut();
    sight.endCard = game.showsEndCard();
    sight.when = frame;
    sight.player = player.position;
    sight.playerBusy = player.actionTimer;
    sight.playerDown = player.defeated;
    sight.view = game.getFrame().getView();
    for (const auto& entry : zone.entities) {
        const Entity* e = entry.second.get();
        if (e->getType() != Entity::TYPE_MALE_PEDESTRIAN)
            continue;
        Figure figure;
        figure.position = e->position;
        figure.type = e->getType();
        figure.attacking = static_cast<const MalePedestrian*>(e)->spinTimer > 0;
        sight.figures.push_back(figure);
    }
    lookForRobbers(zone, sight);
    return sight;
}

void HumanBot::lookForRobbers(const Zone& zone, Sight& seenNow)
{
    if (memoryZone != zone.id || seenNow.knockedOut) {
        memory.clear();
        memoryZone = zone.id;
    }
    std::map<int, Figure> kept;
    for (const auto& entry : zone.entities) {
        if (entry.second->getType() != Entity::TYPE_ROBBER)
            continue;
        const Robber& robber = *static_cast<const Robber*>(entry.second.get());
        // A robber falling is done with: nobody fights it.
        if (robber.hitPoints <= 0)
            continue;
        Figure figure;
        figure.position = robber.position;
        figure.type = Entity::TYPE_ROBBER;
        figure.hurt = robber.hurtTimer > 0;
        figure.attacking = robber.punchTimer > 0 || robber.spinTimer > 0;
        const bool shown = !profile.screenOnly || eyes.shows(zone, robber, seenNow.view);
        ++(shown ? robbersShown : robbersHidden);
        if (!shown) {
            auto last = memory.find(entry.first);
            // Never seen, or not where it was last seen though that spot is in plain view.
            if (last == memory.end() || eyes.wouldShow(zone, robber, last->second.position, seenNow.view))
                continue;
            figure = last->second;
            figure.remembered = true;
        }
        kept[entry.first] = figure;
        seenNow.figures.push_back(figure);
    }
    memory = kept;
}

void HumanBot::act(const Sight& then, Zone& zone)
{
    if (then.zoneId != zone.id || then.fading || then.endCard) {
        letGo(WALK);
        return;
    }
    if (then.knockedOut || then.scene) {
        letGo(WALK);
        if (then.knockedOut || then.typing || then.waiting)
            press(TALK);
        return;
    }
    if (const Figure* target = pickTarget(then)) {
        if (!punchDue(then, *target) && playerFree(then) && stepAside(then, zone))
            return;
        fight(then, *target, zone);
        return;
    }
    headOn(then, zone);
}

const HumanBot::Figure* HumanBot::pickTarget(const Sight& then) const
{
    const bool lastZone = then.zoneId == StateGame::ENDING_ZONE;
    const Figure* best = nullptr;
    float bestDistance = std::numeric_limits<float>::max();
    for (const Figure& figure : then.figures) {
        const float d = distance(figure.position, then.player);
        const bool wanted = figure.type == Entity::TYPE_ROBBER ? lastZone || d <= FIGHT_RANGE : d <= PEDESTRIAN_RANGE;
        if (wanted && d < bestDistance) {
            best = &figure;
            bestDistance = d;
        }
    }
    return best;
}

bool HumanBot::playerFree(const Sight& then) const
{
    return !then.playerDown && frame >= then.when + then.playerBusy && frame - lastPunch >= PUNCH_FRAMES;
}

bool HumanBot::punchDue(const Sight& then, const Figure& target)
{
    const float d = distance(target.position, then.player);
    const bool comingOn = target.type == Entity::TYPE_ROBBER && !target.hurt && !target.attacking && !target.remembered;
    // Where it will be when the blow lands, as far as can be told from here: the reaction,
    // then the swing.
    const float lead = static_cast<float>(profile.reactionFrames) + SWING_FRAMES;
    const float expected = comingOn ? std::max(CONTACT, d - lead * APPROACH_SPEED) : d;
    return expected <= REACH;
}

// Distance from a point to the nearest way out of the zone, up to a limit.
float doorDistance(Zone& zone, const sf::Vector2f& from)
{
    float nearest = DOOR_CARE;
    const int fx = tileOf(from.x), fy = tileOf(from.y);
    const int reach = static_cast<int>(DOOR_CARE / TILE_SIZE) + 1;
    for (int x = fx - reach; x <= fx + reach; ++x)
        for (int y = fy - reach; y <= fy + reach; ++y) {
            const Tile* t = zone.getTile(x, y);
            if (t != nullptr && t->type == TILE_LINKOUT)
                nearest = std::min(nearest, distance(centreOf(x, y), from));
        }
    return nearest;
}

// Walkable ground round a tile, out to two tiles: 25 in the open, few in a corner.
int openness(Zone& zone, int x, int y)
{
    int open = 0;
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy) {
            const Tile* t = zone.getTile(x + dx, y + dy);
            open += t != nullptr && t->walkable && t->type != TILE_LINKOUT ? 1 : 0;
        }
    return open;
}

// Two robbers coming on at once are not met standing, nor one by a door or in a corner,
// where blows knock the player out of the zone or pin it: back off to open ground.
bool HumanBot::stepAside(const Sight& then, Zone& zone)
{
    std::vector<sf::Vector2f> threats;
    for (const Figure& figure : then.figures)
        if (figure.type == Entity::TYPE_ROBBER && !figure.hurt
            && distance(figure.position, then.player) <= CROWD_RANGE)
            threats.push_back(figure.position);
    const int px = tileOf(then.player.x), py = tileOf(then.player.y);
    const bool badGround = doorDistance(zone, then.player) < DOOR_CARE || openness(zone, px, py) < CORNERED;
    if (threats.size() < 2 && !(badGround && !threats.empty()))
        return false;
    float bestScore = -1.0f;
    Step best{px, py};
    for (int x = px - ASIDE_TILES; x <= px + ASIDE_TILES; ++x)
        for (int y = py - ASIDE_TILES; y <= py + ASIDE_TILES; ++y) {
            const Tile* t = zone.getTile(x, y);
            if (t == nullptr || !t->walkable || t->type == TILE_LINKOUT)
                continue;
            float nearest = THREAT_CARE;
            for (const sf::Vector2f& threat : threats)
                nearest = std::min(nearest, distance(centreOf(x, y), threat));
            const float score = nearest + OPEN_WEIGHT * static_cast<float>(openness(zone, x, y))
                + doorDistance(zone, centreOf(x, y));
            if (score > bestScore) {
                bestScore = score;
                best = Step{x, y};
            }
        }
    std::vector<Step> path;
    auto isBest = [&](int x, int y) { return x == best.x && y == best.y; };
    if ((best.x == px && best.y == py) || !planPath(zone, then.player, isBest, path) || path.size() < 2)
        return false;
    walkTo(then, centreOf(path[1].x, path[1].y));
    return true;
}

void HumanBot::fight(const Sight& then, const Figure& target, Zone& zone)
{
    const float d = distance(target.position, then.player);
    bool close = target.type != Entity::TYPE_ROBBER || d <= WAIT_RANGE;
    if (close && target.type == Entity::TYPE_ROBBER) {
        if (frame - lastWait > 1 || d < waitDistance - NEARER) {
            waitStart = frame;
            waitDistance = d;
        }
        lastWait = frame;
        close = frame - waitStart <= PATIENCE_FRAMES;
    }
    const bool free = playerFree(then);
    if (!free || close)
        letGo(WALK);
    if (!free)
        return;
    if (punchDue(then, target)) {
        std::uniform_real_distribution<float> error(-profile.maxAimError, profile.maxAimError);
        pointAt(then, then.player + rotate(target.position - then.player, error(random)));
        if (press(PUNCH))
            lastPunch = frame;
        return;
    }
    // A robber near by comes on by itself, after a blow as well; walking up only meets it
    // with the hands down.
    if (close)
        return;
    std::vector<Step> path;
    const int tx = tileOf(target.position.x), ty = tileOf(target.position.y);
    auto isTarget = [&](int x, int y) { return x == tx && y == ty; };
    if (planPath(zone, then.player, isTarget, path) && path.size() > 2)
        walkTo(then, centreOf(path[1].x, path[1].y));
    else
        walkTo(then, target.position);
}

void HumanBot::headOn(const Sight& then, Zone& zone)
{
    std::vector<Step> path;
    auto isExit = [&](int x, int y) { return isWayOn(zone, x, y); };
    if (then.zoneId == StateGame::ENDING_ZONE || !planPath(zone, then.player, isExit, path)) {
        letGo(WALK);
        return;
    }
    // A little way along the path, so a late hand still keeps to it.
    const Step next = path[std::min<std::size_t>(2, path.size() - 1)];
    walkTo(then, centreOf(next.x, next.y));
}

void HumanBot::walkTo(const Sight& then, const sf::Vector2f& world)
{
    pointAt(then, world);
    if (downSince[WALK] < 0)
        press(WALK);
}

void HumanBot::pointAt(const Sight& then, const sf::Vector2f& world)
{
    // Where it showed on the screen then; the game reads it through the view of now.
    script.setMouse(window.mapCoordsToPixel(worldToScreen(world), then.view));
}

bool HumanBot::press(Control control)
{
    if (downSince[control] >= 0 || frame - lastPress < profile.pressGapFrames)
        return false;
    shortestGap = std::min(shortestGap, frame - lastPress);
    lastPress = frame;
    ++presses;
    setDown(control, true);
    return true;
}

void HumanBot::letGo(Control control) { setDown(control, false); }

void HumanBot::releaseClicks()
{
    for (Control control : {PUNCH, TALK})
        if (downSince[control] >= 0 && frame - downSince[control] >= HOLD_FRAMES)
            letGo(control);
}

void HumanBot::setDown(Control control, bool down)
{
    downSince[control] = down ? frame : -1;
    switch (control) {
    case WALK: down ? script.press(sf::Mouse::Left) : script.release(sf::Mouse::Left); break;
    case PUNCH: down ? script.press(sf::Mouse::Right) : script.release(sf::Mouse::Right); break;
    case TALK: down ? script.press(sf::Keyboard::Return) : script.release(sf::Keyboard::Return); break;
    default: break;
    }
}

} // namespace playbot
