#include "playbot.h"

#include "world/entity.h"
#include "core/globals.h"
#include "characters/player.h"
#include "play/scripthandler.h"
#include "play/stategame.h"
#include "world/tile.h"
#include "characters/unit.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>

namespace playbot {
namespace {

// Close enough to punch: the hit lands 24 ahead with radius 16 on a robber of radius 15.
const float PUNCH_REACH = 40.0f;
// Pedestrians spin when touched; closer than this they are dealt with.
const float PEDESTRIAN_THREAT = 56.0f;


} // namespace

int tileOf(float coordinate) { return static_cast<int>(coordinate / TILE_SIZE); }

sf::Vector2f centreOf(int x, int y)
{
    return sf::Vector2f(x * TILE_SIZE + TILE_SIZE * 0.5f, y * TILE_SIZE + TILE_SIZE * 0.5f);
}

bool isWayOn(Zone& zone, int x, int y)
{
    const Tile* t = zone.getTile(x, y);
    return t != nullptr && t->type == TILE_LINKOUT && t->link == zone.id + 1;
}

Bot::Bot(input::ScriptedSource& scriptIn, sf::RenderWindow& windowIn) : script(scriptIn), window(windowIn) {}

void Bot::decide(const StateGame& game)
{
    ++frame;
    view = game.getFrame().getView();
    Zone* zone = game.getZone();
    Player* player = game.getPlayer();
    const ScriptHandler& scripts = game.getScriptHandler();

    // Dialogs: Return held advances each line as soon as it is typed.
    if (scripts.isRunning() || game.isEnding()) {
        script.release(sf::Mouse::Left);
        script.release(sf::Mouse::Right);
        if (scripts.isBoxVisible())
            script.press(sf::Keyboard::Return);
        else
            script.release(sf::Keyboard::Return);
        return;
    }
    script.release(sf::Keyboard::Return);
    if (zone == nullptr || player == nullptr || game.getFadeInTimer() > 0 || game.getFadeOutTimer() > 0) {
        script.release(sf::Mouse::Left);
        script.release(sf::Mouse::Right);
        return;
    }

    const bool lastZone = zone->id == StateGame::ENDING_ZONE;
    if (Unit* target = pickTarget(*zone, player->position, lastZone)) {
        if (distance(target->position, player->position) <= PUNCH_REACH) {
            punchAt(target->position);
            return;
        }
        std::vector<Step> path;
        const int tx = tileOf(target->position.x), ty = tileOf(target->position.y);
        auto isTarget = [&](int x, int y) { return x == tx && y == ty; };
        if (planPath(*zone, player->position, isTarget, path) && path.size() > 1)
            walkTo(centreOf(path[1].x, path[1].y));
        else
            walkTo(target->position);
        return;
    }

    std::vector<Step> path;
    auto isExit = [&](int x, int y) { return isWayOn(*zone, x, y); };
    if (!lastZone && planPath(*zone, player->position, isExit, path)) {
        const Step next = path.size() > 1 ? path[1] : path[0];
        walkTo(centreOf(next.x, next.y));
        return;
    }
    script.release(sf::Mouse::Left);
    script.release(sf::Mouse::Right);
}

Unit* Bot::pickTarget(Zone& zone, const sf::Vector2f& from, bool lastZone) const
{
    Unit* best = nullptr;
    float bestDistance = std::numeric_limits<float>::max();
    for (const auto& entry : zone.entities) {
        Entity* e = entry.second.get();
        const float d = distance(e->position, from);
        bool wanted = false;
        if (e->getType() == Entity::TYPE_ROBBER)
            wanted = static_cast<Unit*>(e)->hitPoints > 0 && (lastZone || d <= fightRange);
        else if (e->getType() == Entity::TYPE_MALE_PEDESTRIAN)
            wanted = d <= PEDESTRIAN_THREAT;
        if (wanted && d < bestDistance) {
            best = static_cast<Unit*>(e);
            bestDistance = d;
        }
    }
    return best;
}

bool planPath(Zone& zone, const sf::Vector2f& from, const std::function<bool(int, int)>& isGoal,
              std::vector<Step>& path)
{
    const int w = zone.getWidth(), h = zone.getHeight();
    auto open = [&](int x, int y) {
        const Tile* t = zone.getTile(x, y);
        return t != nullptr && t->walkable && (t->type != TILE_LINKOUT || isGoal(x, y));
    };
    const int sx = tileOf(from.x), sy = tileOf(from.y);
    if (zone.getTile(sx, sy) == nullptr)
        return false;
    std::vector<float> cost(static_cast<std::size_t>(w * h), std::numeric_limits<float>::max());
    std::vector<int> previous(static_cast<std::size_t>(w * h), -1);
    using Entry = std::pair<float, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    cost[static_cast<std::size_t>(sx * h + sy)] = 0;
    queue.push({0.0f, sx * h + sy});
    int goal = -1;
    while (!queue.empty()) {
        const Entry top = queue.top();
        queue.pop();
        const int x0 = top.second / h, y0 = top.second % h;
        if (top.first > cost[static_cast<std::size_t>(top.second)])
            continue;
        if (isGoal(x0, y0)) {
            goal = top.second;
            break;
        }
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                const int x = x0 + dx, y = y0 + dy;
                if ((dx == 0 && dy == 0) || !open(x, y))
                    continue;
                if (dx != 0 && dy != 0 && !(open(x0 + dx, y0) && open(x0, y0 + dy)))
                    continue;
                const float c = top.first + (dx != 0 && dy != 0 ? 1.4142f : 1.0f);
                const std::size_t i = static_cast<std::size_t>(x * h + y);
                if (c < cost[i]) {
                    cost[i] = c;
                    previous[i] = top.second;
                    queue.push({c, x * h + y});
                }
            }
    }
    if (goal < 0)
        return false;
    path.clear();
    for (int at = goal; at >= 0; at = previous[static_cast<std::size_t>(at)])
        path.insert(path.begin(), Step{at / h, at % h});
    return true;
}

void Bot::pointAt(const sf::Vector2f& world)
{
    // The play state maps the pixel back through the view its camera had last frame.
    script.setMouse(window.mapCoordsToPixel(worldToScreen(world), view));
}

void Bot::walkTo(const sf::Vector2f& world)
{
    pointAt(world);
    script.release(sf::Mouse::Right);
    script.press(sf::Mouse::Left);
}

void Bot::punchAt(const sf::Vector2f& world)
{
    pointAt(world);
    script.release(sf::Mouse::Left);
    // A new press each other frame: each press turns the player and punches when free.
    if (frame % 2 == 0)
        script.press(sf::Mouse::Right);
    else
        script.release(sf::Mouse::Right);
}

} // namespace playbot
