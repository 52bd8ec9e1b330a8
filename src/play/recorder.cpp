#include "play/recorder.h"

#include "core/globals.h"
#include "core/printable.h"
#include "world/levelfolder.h"
#include "core/safefile.h"
#include "core/userdirs.h"
#include "play/replaycheck.h"
#include "play/stategame.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace {
const char* const MSG_RECORDED = "Recorded %d frames to %s\n";
const char* const MSG_CANNOT_RECORD = "Cannot record to ";
const char* const MSG_KEPT = "Replay kept: ";
const char* const MSG_NOT_KEPT = "Replay not kept: ";
const char* const MSG_NO_FOLDER = "no folder for it (neither XDG_DATA_HOME nor HOME is set)";
const char* const MSG_LIMIT = "Recording stopped at its limit of an hour: %s\n";
const char* const MSG_TESTING = "play-tests are not recorded";
const char* const MSG_NOTHING = "no frame of play recorded yet";

// Recordings stop short of the file's limit: the last frame's records and the end still fit.
const std::size_t ROOM_AT_END = 4096;

// The home folder as ~ on screen, where a full path would run off the picture's edge.
std::string shortened(const std::string& line)
{
    const char* home = std::getenv("HOME");
    const std::string prefix = home != nullptr && home[0] == '/' ? std::string(home) + "/" : std::string();
    const std::size_t at = prefix.empty() ? std::string::npos : line.find(prefix);
    return at == std::string::npos ? line : line.substr(0, at) + "~/" + line.substr(at + prefix.size());
}

std::string localTime(const char* format)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::strftime(text, sizeof text, format, &local);
    return text;
}
} // namespace

const char* const Recorder::REPLAY_FOLDER = "replays/";
const char* const Recorder::F12_NOTICE = "F12 ends the recording";

Recorder::Recorder(const input::Source& innerSource)
    : inner(innerSource), asked(replayfile::ITEM_COUNT, 0), down(replayfile::ITEM_COUNT, false),
      axes(replayfile::ITEM_COUNT, 0.f)
{
}

Recorder::~Recorder() { writer.finish(); }

void Recorder::recordTo(const std::string& path)
{
    filePath = path;
    fileUsed = false;
}

void Recorder::say(const std::string& text)
{
    // A path from the command line may hold anything.
    const std::string line = printable(text);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    notices.push_back(shortened(line));
}

// ---- the input seam

template <typename Read> bool Recorder::readSwitch(int item, Read live) const
{
    if (asked[static_cast<std::size_t>(item)] != frameTag) {
        asked[static_cast<std::size_t>(item)] = frameTag;
        const bool now = live();
        if (now != down[static_cast<std::size_t>(item)]) {
            down[static_cast<std::size_t>(item)] = now;
            encoder->change(item, now);
        }
    }
    return down[static_cast<std::size_t>(item)];
}

bool Recorder::isKeyPressed(sf::Keyboard::Key key) const
{
    if (!active || static_cast<int>(key) < 0 || static_cast<int>(key) >= replayfile::KEY_COUNT)
        return inner.isKeyPressed(key);
    return readSwitch(replayfile::keyItem(key), [&] { return inner.isKeyPressed(key); });
}

bool Recorder::isButtonPressed(sf::Mouse::Button button) const
{
    if (!active || static_cast<int>(button) < 0 || static_cast<int>(button) >= replayfile::BUTTON_COUNT)
        return inner.isButtonPressed(button);
    return readSwitch(replayfile::buttonItem(button), [&] { return inner.isButtonPressed(button); });
}

sf::Vector2i Recorder::mousePosition(const sf::Window& window) const { return inner.mousePosition(window); }

sf::Vector2i Recorder::picturePixel(const sf::Window& window, bool letterboxed) const
{
    if (!active)
        return inner.picturePixel(window, letterboxed);
    if (mouseAsked != frameTag) {
        mouseAsked = frameTag;
        const sf::Vector2i now = inner.picturePixel(window, letterboxed);
        if (now != mouse) {
            mouse = now;
            encoder->mouse(now.x, now.y);
        }
    }
    return mouse;
}

bool Recorder::isPadConnected(unsigned pad) const
{
    if (!active || pad >= static_cast<unsigned>(replayfile::PAD_COUNT))
        return inner.isPadConnected(pad);
    return readSwitch(replayfile::padItem(static_cast<int>(pad)), [&] { return inner.isPadConnected(pad); });
}

float Recorder::padAxis(unsigned pad, sf::Joystick::Axis axis) const
{
    if (!active || pad >= static_cast<unsigned>(replayfile::PAD_COUNT) || static_cast<int>(axis) < 0
        || static_cast<int>(axis) >= replayfile::AXIS_COUNT)
        return inner.padAxis(pad, axis);
    const std::size_t item = static_cast<std::size_t>(replayfile::axisItem(static_cast<int>(pad), axis));
    if (asked[item] != frameTag) {
        asked[item] = frameTag;
        const float now = inner.padAxis(pad, axis);
        // Compared by value: the only change that does not count is -0 for 0.
        if (now != axes[item]) {
            axes[item] = now;
            encoder->axis(static_cast<int>(item), now);
        }
    }
    return axes[item];
}

bool Recorder::isPadButtonPressed(unsigned pad, unsigned button) const
{
    if (!active || pad >= static_cast<unsigned>(replayfile::PAD_COUNT)
        || button >= static_cast<unsigned>(replayfile::PAD_BUTTON_COUNT))
        return inner.isPadButtonPressed(pad, button);
    return readSwitch(replayfile::padButtonItem(static_cast<int>(pad), static_cast<int>(button)),
                      [&] { return inner.isPadButtonPressed(pad, button); });
}

bool Recorder::pollEvent(sf::Window& window, sf::Event& event) const { return inner.pollEvent(window, event); }
bool Recorder::waitEvent(sf::Window& window, sf::Event& event) const { return inner.waitEvent(window, event); }

// ---- what the play state tells

void Recorder::entering(const StateGame& game)
{
    if (game.hasTestPending())
        return;
    replayfile::Header header;
    header.game = replayfile::gameVersion();
    header.recorded = localTime("%Y-%m-%d %H:%M:%S");
    header.draws = randomDraws();
    header.pack = LevelFolder::pack().name();
    header.start = game.carried();
    encoder = std::make_unique<replayfile::Encoder>(header);
    active = true;
    ended = 0;
    frameTag = 1;
    std::fill(asked.begin(), asked.end(), 0);
    std::fill(down.begin(), down.end(), false);
    std::fill(axes.begin(), axes.end(), 0.f);
    mouseAsked = 0;
    mouse = sf::Vector2i();
    pendingEvents.clear();
    frameOpen = false;
    fileOn = false;
    if (filePath.empty() || fileUsed)
        return;
    // Tried at once, so a path that cannot be written is known before play: the game then
    // plays on unrecorded to it.
    fileUsed = true;
    std::string why;
    if (safefile::write(filePath, encoder->seal(), why))
        fileOn = true;
    else
        say(MSG_CANNOT_RECORD + filePath + ": " + why);
}

void Recorder::closeFrame()
{
    if (!frameOpen)
        return;
    encoder->endFrame();
    ++ended;
    frameOpen = false;
}

void Recorder::frame(const StateGame& game)
{
    if (!active)
        return;
    closeFrame();
    if (ended > 0) {
        if (ended % replayfile::CHECK_FRAMES == 0)
            encoder->check(replaycheck::world(game));
        if (ended >= replayfile::MAX_FRAMES || encoder->size() + ROOM_AT_END > replayfile::MAX_FILE_BYTES) {
            if (fileOn)
                std::printf(MSG_LIMIT, printable(filePath).c_str());
            close(game);
            return;
        }
        if (ended % replayfile::CHECK_FRAMES == 0 && fileOn)
            writeFile();
    }
    for (const replayfile::KeyEvent& key : pendingEvents)
        encoder->keyEvent(key);
    pendingEvents.clear();
    frameOpen = true;
    ++frameTag;
}

void Recorder::event(const StateGame& game, const sf::Event& event)
{
    if (event.type != sf::Event::KeyPressed)
        return;
    if (event.key.code == sf::Keyboard::F9) {
        if (game.isTesting())
            say(std::string(MSG_NOT_KEPT) + MSG_TESTING);
        else
            keep();
        return;
    }
    if (!active)
        return;
    replayfile::KeyEvent key;
    key.code = event.key.code;
    key.alt = event.key.alt;
    key.control = event.key.control;
    key.shift = event.key.shift;
    key.system = event.key.system;
    // Told before its frame begins: recorded once the frame before has ended.
    pendingEvents.push_back(key);
}

void Recorder::zoneRead(int id)
{
    if (active)
        encoder->zoneRead(replaycheck::zoneFile(id));
}

void Recorder::left(const StateGame& game)
{
    if (!active)
        return;
    // The last frame is whole: updated, and drawn unless it quit.
    closeFrame();
    close(game);
}

void Recorder::close(const StateGame& game)
{
    encoder->end(replaycheck::world(game));
    active = false;
    if (!fileOn)
        return;
    writeFile();
    fileOn = false;
    std::printf(MSG_RECORDED, encoder->frames(), printable(filePath).c_str());
    std::fflush(stdout);
}

void Recorder::writeFile() { writer.offer(filePath, encoder->seal()); }

// ---- F9

std::string Recorder::keepPath(const std::string& dataDir)
{
    const std::string stem = dataDir + REPLAY_FOLDER + localTime("%Y-%m-%d-%H%M%S");
    std::string path = stem + replayfile::EXTENSION;
    std::error_code ignored;
    for (int n = 2; kept.count(path) != 0 || std::filesystem::exists(std::filesystem::symlink_status(path, ignored)); ++n)
        path = stem + "-" + std::to_string(n) + replayfile::EXTENSION;
    kept.insert(path);
    return path;
}

void Recorder::keep()
{
    if (!encoder) {
        say(std::string(MSG_NOT_KEPT) + MSG_NOTHING);
        return;
    }
    const std::string dataDir = userdirs::dataDir();
    if (dataDir.empty()) {
        say(std::string(MSG_NOT_KEPT) + MSG_NO_FOLDER);
        return;
    }
    std::error_code ignored;
    std::filesystem::create_directories(dataDir + REPLAY_FOLDER, ignored);
    // Between frames: the last one is whole.
    closeFrame();
    if (encoder->frames() == 0) {
        say(std::string(MSG_NOT_KEPT) + MSG_NOTHING);
        return;
    }
    // A fresh name: whatever appears there meanwhile is not ours to replace.
    writer.offer(keepPath(dataDir), recording(), safefile::Over::NOTHING);
}

std::string Recorder::recording() { return encoder ? encoder->seal() : std::string(); }

void Recorder::collect()
{
    for (const BackgroundWriter::Done& done : writer.takeDone()) {
        if (done.path == filePath) {
            if (!done.ok && !fileFailed) {
                fileFailed = true;
                fileOn = false;
                say(MSG_CANNOT_RECORD + filePath + ": " + done.why);
            }
        } else {
            say((done.ok ? MSG_KEPT : MSG_NOT_KEPT) + (done.ok ? done.path : done.why));
        }
    }
}

std::string Recorder::takeNotice()
{
    collect();
    if (notices.empty())
        return std::string();
    std::string last = notices.back();
    notices.clear();
    return last;
}

void Recorder::finish()
{
    writer.finish();
    collect();
}
