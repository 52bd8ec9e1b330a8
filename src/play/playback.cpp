#include "play/playback.h"

#include "core/globals.h"
#include "core/printable.h"
#include "world/levelfolder.h"
#include "play/replaycheck.h"
#include "play/stategame.h"
#include "render/state.h"
#include "world/zone.h"

#include <cstdio>
#include <set>

namespace {
const char* const MSG_ZONE_CHANGED = "%s: zone %d is not the one it was recorded with (%s)\n";
const char* const MSG_OTHER_PACK = "%s: recorded in the pack \"%s\", not \"%s\": give that pack with --pack\n";
const char* const MSG_OTHER_GAME = "%s: recorded by morvane %s, played by %s, so it may play otherwise\n";
const char* const MSG_DIVERGED = "Replay diverged at frame %d (zone %d)\n";
const char* const MSG_ENDED = "Replay ended: %d frames, %d checkpoints match\n";
} // namespace

Playback::Playback(StateGame& gameIn, const replayfile::Replay& replayIn, const std::string& nameIn)
    : game(gameIn), replay(replayIn), name(printable(nameIn)), reader(replayIn.body),
      switches(replayfile::ITEM_COUNT, false), axes(replayfile::ITEM_COUNT, 0.f)
{
}

Playback::~Playback()
{
    if (before != nullptr && &input::source() == this)
        input::setSource(before);
}

void Playback::begin(FrameList& first)
{
    // Said first: it is why the zones that follow differ.
    const std::string& pack = LevelFolder::pack().name();
    if (!replay.header.pack.empty() && replay.header.pack != pack)
        std::printf(MSG_OTHER_PACK, name.c_str(), printable(replay.header.pack).c_str(), printable(pack).c_str());
    std::set<int> named;
    for (const replayfile::ZoneRead& recorded : replay.zones) {
        const replayfile::ZoneRead now = replaycheck::zoneFile(recorded.id);
        if ((now.found != recorded.found || now.hash != recorded.hash) && named.insert(recorded.id).second) {
            changed.push_back(recorded.id);
            std::printf(MSG_ZONE_CHANGED, name.c_str(), recorded.id, replaycheck::zonePath(recorded.id).c_str());
        }
    }
    if (replay.header.game != replayfile::gameVersion())
        std::printf(MSG_OTHER_GAME, name.c_str(), printable(replay.header.game).c_str(), replayfile::gameVersion().c_str());
    std::fflush(stdout);

    game.carry(replay.header.start);
    restartRandom();
    while (randomDraws() < replay.header.draws)
        randomInt();
    before = &input::source();
    input::setSource(this);
    game.setFrame(&first);
    game.lockPacks(true);
    game.enter();
    begun = true;
}

void Playback::apply(const replayfile::Frame& frame)
{
    for (const auto& change : frame.switches)
        switches[static_cast<std::size_t>(change.first)] = change.second;
    for (const auto& change : frame.axes)
        axes[static_cast<std::size_t>(change.first)] = change.second;
    if (frame.mouseMoved)
        mouse = sf::Vector2i(frame.mouseX, frame.mouseY);
}

bool Playback::compare(std::uint64_t recorded)
{
    if (replaycheck::world(game) == recorded) {
        ++matched;
        return true;
    }
    diverge();
    return false;
}

void Playback::diverge()
{
    result = Outcome::DIVERGED;
    const Zone* zone = game.getZone();
    std::printf(MSG_DIVERGED, framesPlayed, zone != nullptr ? zone->id : -1);
    std::fflush(stdout);
}

Playback::Outcome Playback::step(FrameList& into) { return play(&into); }

Playback::Outcome Playback::stepUnseen() { return play(nullptr); }

void Playback::show(FrameList& into)
{
    game.setFrame(&into);
    game.draw();
}

void Playback::end()
{
    if (begun)
        game.leave();
    game.lockPacks(false);
    begun = false;
}

Playback::Outcome Playback::play(FrameList* into)
{
    if (result != Outcome::PLAYING)
        return result;
    replayfile::Frame frame;
    if (!reader.next(frame)) {
        finish();
        return result;
    }
    apply(frame);
    for (const replayfile::KeyEvent& key : frame.events) {
        sf::Event event{};
        event.type = sf::Event::KeyPressed;
        event.key.code = static_cast<sf::Keyboard::Key>(key.code);
        event.key.alt = key.alt;
        event.key.control = key.control;
        event.key.shift = key.shift;
        event.key.system = key.system;
        game.handleEvent(event);
    }
    if (frame.checked && !compare(frame.check))
        return result;

    game.setFrame(into != nullptr ? into : &unseen);
    const int next = game.update();
    ++framesPlayed;
    if (next != STATE_QUIT && into != nullptr)
        game.draw();
    else if (next != STATE_QUIT)
        game.animate();
    // The game left play where the recording goes on, or the recording ends here.
    if (next != STATE_GAME || framesPlayed == replay.frames)
        finish();
    return result;
}

void Playback::finish()
{
    replayfile::Frame rest;
    while (reader.next(rest)) {
    }
    // The game left play before the recording did.
    if (framesPlayed < replay.frames) {
        diverge();
        return;
    }
    if (reader.hasFinalCheck() && !compare(reader.finalCheck()))
        return;
    result = Outcome::ENDED;
    std::printf(MSG_ENDED, framesPlayed, matched);
    std::fflush(stdout);
}

bool Playback::down(int item) const
{
    return item >= 0 && item < replayfile::ITEM_COUNT && switches[static_cast<std::size_t>(item)];
}

bool Playback::isKeyPressed(sf::Keyboard::Key key) const
{
    const int code = static_cast<int>(key);
    return code >= 0 && code < replayfile::KEY_COUNT && down(replayfile::keyItem(code));
}

bool Playback::isButtonPressed(sf::Mouse::Button button) const
{
    return static_cast<int>(button) < replayfile::BUTTON_COUNT && down(replayfile::buttonItem(static_cast<int>(button)));
}

sf::Vector2i Playback::mousePosition(const sf::Window&) const { return mouse; }
sf::Vector2i Playback::picturePixel(const sf::Window&, bool) const { return mouse; }

bool Playback::isPadConnected(unsigned pad) const
{
    return pad < static_cast<unsigned>(replayfile::PAD_COUNT) && down(replayfile::padItem(static_cast<int>(pad)));
}

float Playback::padAxis(unsigned pad, sf::Joystick::Axis axis) const
{
    if (pad >= static_cast<unsigned>(replayfile::PAD_COUNT) || static_cast<int>(axis) >= replayfile::AXIS_COUNT)
        return 0.f;
    return axes[static_cast<std::size_t>(replayfile::axisItem(static_cast<int>(pad), axis))];
}

bool Playback::isPadButtonPressed(unsigned pad, unsigned button) const
{
    return pad < static_cast<unsigned>(replayfile::PAD_COUNT) && button < static_cast<unsigned>(replayfile::PAD_BUTTON_COUNT)
           && down(replayfile::padButtonItem(static_cast<int>(pad), static_cast<int>(button)));
}

bool Playback::pollEvent(sf::Window& window, sf::Event& event) const
{
    return before != nullptr ? before->pollEvent(window, event) : false;
}

bool Playback::waitEvent(sf::Window& window, sf::Event& event) const
{
    return before != nullptr ? before->waitEvent(window, event) : false;
}
