#include "play/scripthandler.h"

#include "world/entity.h"
#include "world/entitymanager.h"
#include "core/gamepad.h"
#include "core/globals.h"
#include "core/input.h"
#include "render/framelist.h"
#include "world/resourcemanager.h"
#include "characters/unit.h"
#include "world/zone.h"

#include <SFML/Graphics/ConvexShape.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Text.hpp>
#include <cfloat>
#include <climits>
#include <cstdio>

const std::string ScriptHandler::TYPING_SOUND = "resources/sfx/confirm.wav";

namespace {
const char* MSG_NO_WALKER = "Script walk skipped: entity %d is not a unit in this zone!\n";
const char* MSG_NO_PATH = "Script walk skipped: entity %d has no path to tile %d, %d!\n";
const char* MSG_TOO_LONG = "Script walk given up: entity %d has not reached tile %d, %d in %d frames!\n";
const char* MSG_STALLED = "Script walk given up: entity %d has come no closer to tile %d, %d for %d frames!\n";
const char* MSG_EMPTY_DIALOG = "Script dialog skipped: it has no lines!\n";
const char* MSG_BAD_EVENT = "Script event skipped: unknown event type %d!\n";

const float PORTRAIT_SIZE = 100.f;
// Opaque: what is drawn under the box never shows (coveredPixels).
const sf::Color BOX_COLOUR(35, 35, 35, 255);
const unsigned TEXT_SIZE = 30;
const float TEXT_LEFT = 15.f;

void report(const char* format, int a = 0, int b = 0, int c = 0, int d = 0)
{
    std::printf(format, a, b, c, d);
    std::fflush(stdout);
}

// Breaks a line at spaces so it fits the box; the typewriter then reveals the same
// characters, only some spaces show as line breaks, so words never jump mid-typing.
std::string wrapToWidth(const std::string& text, float maxWidth)
{
    std::string wrapped = text;
    sf::Text probe("", ResourceManager::dialogFont, TEXT_SIZE);
    std::size_t lineStart = 0;
    std::size_t lastSpace = std::string::npos;
    for (std::size_t i = 0; i <= wrapped.size(); ++i) {
        const bool end = i == wrapped.size();
        if (!end && wrapped[i] == '\n') {
            lineStart = i + 1;
            lastSpace = std::string::npos;
            continue;
        }
        if (!end && wrapped[i] != ' ')
            continue;
        probe.setString(wrapped.substr(lineStart, i - lineStart));
        if (probe.getLocalBounds().width > maxWidth && lastSpace != std::string::npos) {
            wrapped[lastSpace] = '\n';
            lineStart = lastSpace + 1;
        }
        lastSpace = end ? std::string::npos : i;
    }
    return wrapped;
}

// The way left along a unit's path: to its next waypoint, then from waypoint to waypoint.
float pathLeft(const Unit& u)
{
    float left = 0.f;
    sf::Vector2f from = u.position;
    for (auto waypoint = u.path.rbegin(); waypoint != u.path.rend(); ++waypoint) {
        const sf::Vector2f centre(waypoint->column * TILE_SIZE + TILE_SIZE * 0.5f,
                                  waypoint->row * TILE_SIZE + TILE_SIZE * 0.5f);
        left += distance(from, centre);
        from = centre;
    }
    return left;
}
} // namespace

ScriptHandler::ScriptHandler()
{
    clear();
    // Rasterised now, not by the first line of dialog, which would stall its frame.
    for (sf::Uint32 c = ' '; c <= '~'; ++c)
        ResourceManager::dialogFont.getGlyph(c, TEXT_SIZE, false);
}

void ScriptHandler::clear()
{
    queue.clear();
    boxVisible = false;
    fading = true;
    fadingIn = true;
    openness = 0.f;
    lineIndex = 0;
    charsShown = 0;
    typeTimer = 0;
    advancing = false;
    advanceProgress = 0.f;
    blinkOn = false;
    blinkTimer = BLINK_PERIOD;
    walking = false;
    keyWasHeld = false;
    hurried = false;
    walkFrames = 0;
    walkStill = 0;
    walkLeft = FLT_MAX;
}

void ScriptHandler::addEvent(const Event& event)
{
    const bool wasEmpty = queue.empty();
    queue.push_back(event);
    if (wasEmpty)
        startEvent();
}

bool ScriptHandler::isRunning() const { return !queue.empty() || boxVisible || walking; }

void ScriptHandler::startEvent()
{
    // Events a zone file can hold but nothing can play are dropped, not left to block the queue.
    while (!queue.empty()) {
        const Event& event = queue.front();
        if (event.type == Event::EVENT_MOVE) {
            walking = true;
            walkFrames = 0;
            walkStill = 0;
            walkLeft = FLT_MAX;
            return;
        }
        if (event.type == Event::EVENT_DIALOG && !event.dialogLines.empty()) {
            boxVisible = true;
            fading = true;
            fadingIn = true;
            openness = 0.f;
            typeTimer = 0;
            charsShown = 0;
            lineIndex = 0;
            hurried = false;
            return;
        }
        if (event.type == Event::EVENT_DIALOG)
            report(MSG_EMPTY_DIALOG);
        else
            report(MSG_BAD_EVENT, event.type);
        queue.pop_front();
    }
}

void ScriptHandler::popEvent()
{
    if (!queue.empty())
        queue.pop_front();
}

void ScriptHandler::update(Zone& zone)
{
    if (walking)
        updateWalk(zone);
    if (boxVisible)
        updateDialog();
}

void ScriptHandler::updateWalk(Zone& zone)
{
    const Event& event = queue.front();
    Entity* e = zone.entities.get(event.entityId);
    if (e == nullptr || !Entity::isUnitType(e->getType())) {
        report(MSG_NO_WALKER, event.entityId);
        endWalk();
        return;
    }
    Unit* u = static_cast<Unit*>(e);
    if (tileIndex(u->position.y) == event.destY && tileIndex(u->position.x) == event.destX) {
        endWalk();
        return;
    }
    // Better a skipped step than a script that never hands control back.
    if (walkFrames >= WALK_FRAMES || walkStill >= WALK_STALL_FRAMES) {
        const bool tooLong = walkFrames >= WALK_FRAMES;
        report(tooLong ? MSG_TOO_LONG : MSG_STALLED, event.entityId, event.destX, event.destY,
               tooLong ? WALK_FRAMES : WALK_STALL_FRAMES);
        u->clearPath();
        endWalk();
        return;
    }
    if (!u->hasPath()) {
        u->findPath(zone, event.destY, event.destX);
        if (!u->hasPath()) {
            report(MSG_NO_PATH, event.entityId, event.destX, event.destY);
            endWalk();
            return;
        }
        walkLeft = FLT_MAX;
    }
    stepWalker(*u, zone);
}

// The walker alone moves, as the world would move it: no mind of its own, no contacts.
void ScriptHandler::stepWalker(Unit& walker, Zone& zone)
{
    walker.steer(walker.walkSpeed());
    EntityManager::move(walker, zone);
    ++walkFrames;
    const float left = pathLeft(walker);
    if (left < walkLeft - WALK_PROGRESS) {
        walkLeft = left;
        walkStill = 0;
    } else {
        ++walkStill;
    }
}

void ScriptHandler::endWalk()
{
    walking = false;
    popEvent();
    startEvent();
}

void ScriptHandler::updateDialog()
{
    const bool held = advanceKeyHeld();
    const bool pressed = held && !keyWasHeld;
    keyWasHeld = held;
    if (fading) {
        if (fadingIn) {
            openness += FADE_STEP;
            if (openness >= 1.f) {
                openness = 1.f;
                fadingIn = false;
                fading = false;
            }
        } else {
            openness -= FADE_STEP;
            if (openness <= 0.f) {
                openness = 0.f;
                fading = false;
                fadingIn = true;
                boxVisible = false;
                popEvent();
                startEvent();
            }
        }
        return;
    }
    // startEvent only opens the box for a dialog with lines, and nothing else pops it.
    MORVANE_ASSERT(!queue.empty() && lineIndex < static_cast<int>(queue.front().dialogLines.size()),
                   "src/scripthandler");
    const std::vector<DialogLine>& lines = queue.front().dialogLines;

    if (advancing) {
        advanceProgress += ADVANCE_STEP;
        if (advanceProgress < 1.f)
            return;
        advanceProgress = 1.f;
        advancing = false;
        if (lineIndex >= static_cast<int>(lines.size()) - 1) {
            fading = true;
        } else {
            ++lineIndex;
            typeTimer = 0;
            charsShown = 0;
        }
        return;
    }

    const std::string& text = lines[static_cast<std::size_t>(lineIndex)].text;
    if (charsShown < static_cast<int>(text.size())) {
        if (pressed) {
            charsShown = static_cast<int>(text.size());
            hurried = true;
            ResourceManager::playSound(TYPING_SOUND);
        } else {
            typeCharacters(text);
        }
        return;
    }
    waitForKey(held);
}

void ScriptHandler::waitForKey(bool held)
{
    if (++blinkTimer > BLINK_PERIOD - 1) {
        blinkTimer = 0;
        blinkOn = !blinkOn;
    }
    // A key held since before the line began still advances it the moment it is typed.
    if (hurried && !held)
        hurried = false;
    if (held && !hurried) {
        advancing = true;
        advanceProgress = 0.f;
        blinkOn = false;
    }
}

void ScriptHandler::typeCharacters(const std::string& text)
{
    if (++typeTimer < TYPE_PERIOD)
        return;
    typeTimer = 0;
    // Blanks go out with the character before them, so no frame waits on a space.
    do {
        ++charsShown;
        ResourceManager::playSound(TYPING_SOUND);
        if (charsShown >= static_cast<int>(text.size()))
            return;
    } while (text[static_cast<std::size_t>(charsShown)] == ' ' || text[static_cast<std::size_t>(charsShown)] == '\n');
}

bool ScriptHandler::advanceKeyHeld()
{
    return input::isReturnPressed() || input::isKeyPressed(sf::Keyboard::Space) ||
           input::isKeyPressed(sf::Keyboard::Z) || input::isKeyPressed(sf::Keyboard::Down) ||
           Gamepad::held(Gamepad::A) || Gamepad::held(Gamepad::B) || Gamepad::held(Gamepad::START);
}

bool ScriptHandler::boxPlace(const FrameList& frame, sf::Vector2f& size, sf::FloatRect& viewport) const
{
    if (!boxVisible || queue.empty())
        return false;
    const sf::Vector2f screen = frame.getDefaultView().getSize();
    size = sf::Vector2f(0.8f * screen.x * openness, 0.4f * screen.y * openness);
    viewport = sf::FloatRect(0.5f - 0.4f * openness, 0.1f, 0.8f * openness, 0.4f);
    // A box with no area would give the view a degenerate projection.
    return size.x > 0.f && size.y > 0.f;
}

sf::IntRect ScriptHandler::coveredPixels(const FrameList& frame) const
{
    sf::Vector2f size;
    sf::FloatRect viewport;
    if (BOX_COLOUR.a != 255 || !boxPlace(frame, size, viewport))
        return sf::IntRect();
    sf::View view;
    view.setViewport(viewport);
    // The box fills its viewport; a pixel in from each side, whatever the rounding.
    const sf::IntRect port = frame.getViewport(view);
    if (port.width <= 2 || port.height <= 2)
        return sf::IntRect();
    return sf::IntRect(port.left + 1, port.top + 1, port.width - 2, port.height - 2);
}

void ScriptHandler::submit(FrameList& frame) const
{
    sf::Vector2f size;
    sf::FloatRect viewport;
    if (!boxPlace(frame, size, viewport))
        return;
    frame.cover(coveredPixels(frame));
    const float w = size.x, h = size.y;
    sf::View dialogView(sf::FloatRect(0.f, 0.f, w, h));
    dialogView.setViewport(viewport);
    frame.setView(dialogView);

    sf::RectangleShape box(sf::Vector2f(w, h));
    box.setFillColor(BOX_COLOUR);
    frame.draw(box);
    if (fading)
        return;

    const std::vector<DialogLine>& lines = queue.front().dialogLines;
    if (lineIndex >= static_cast<int>(lines.size()))
        return;
    const DialogLine& line = lines[static_cast<std::size_t>(lineIndex)];

    sf::Vector2f corner(0.f, 0.f);
    switch (line.portraitPos) {
    case 1: corner = sf::Vector2f(w - PORTRAIT_SIZE, 0.f); break;
    case 2: corner = sf::Vector2f(0.f, h - PORTRAIT_SIZE); break;
    case 3: corner = sf::Vector2f(w - PORTRAIT_SIZE, h - PORTRAIT_SIZE); break;
    default: break;
    }
    sf::RectangleShape backing(sf::Vector2f(PORTRAIT_SIZE, PORTRAIT_SIZE));
    backing.setFillColor(sf::Color::Magenta);
    backing.setPosition(corner);
    frame.draw(backing);
    sf::Sprite portrait(ResourceManager::getPortrait(line.portraitId));
    portrait.setPosition(corner);
    frame.draw(portrait);

    const std::string shown = wrapToWidth(line.text, w - 2.f * TEXT_LEFT).substr(0, static_cast<std::size_t>(charsShown));
    sf::Text text(shown, ResourceManager::dialogFont, TEXT_SIZE);
    text.setPosition(TEXT_LEFT, 5.f);
    if (advancing) {
        text.move(0.f, -advanceProgress * h);
    } else if (blinkOn) {
        sf::ConvexShape triangle(3);
        triangle.setPoint(0, sf::Vector2f(0.f, 0.f));
        triangle.setPoint(1, sf::Vector2f(10.f, 20.f));
        triangle.setPoint(2, sf::Vector2f(20.f, 0.f));
        triangle.setFillColor(sf::Color::White);
        triangle.setPosition(0.5f * w - 10.f, h - 20.f);
        frame.draw(triangle);
    }
    frame.draw(text);
}
