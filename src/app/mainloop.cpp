#include "app/mainloop.h"

#include "app/desktop.h"
#include "app/resourceroot.h"
#include "app/settingsfile.h"
#include "app/statetable.h"
#include "core/input.h"
#include "core/userdirs.h"
#include "editor/stateeditor.h"
#include "play/noticeline.h"
#include "play/recorder.h"
#include "play/stategame.h"
#include "play/statereplay.h"
#include "render/framelist.h"
#include "render/presenter.h"
#include "render/state.h"
#include "world/levelfolder.h"
#include "world/pack.h"
#include "world/resourcemanager.h"
#include "world/zone.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Window/Event.hpp>
#include <cmath>
#include <filesystem>

namespace {
// The game steps once a frame: this is its speed.
const unsigned FRAMES_PER_SECOND = 60;
const char* ICON_PATH = "resources/gfx/icon.png";
// Under the player's data folder, beside lvl/.
const char* PACKS_FOLDER = "packs/";

// The icon is optional: a tree without it (the tests' small ones) shows the desktop's own.
// Anything at its path, a broken link too, is opened the checked way and reported if bad.
void setIcon(Presenter& presenter)
{
    sf::Image icon;
    std::error_code ignored;
    if (std::filesystem::exists(std::filesystem::symlink_status(ICON_PATH, ignored))
        && ResourceManager::loadImage(icon, ICON_PATH))
        presenter.setIcon(icon);
}
} // namespace

FrameList warmUpFrame()
{
    FrameList warm;
    sf::RectangleShape shade(sf::Vector2f(8.0f, 8.0f));
    shade.setFillColor(sf::Color(0, 0, 0, 128));
    warm.draw(shade);
    if (!ResourceManager::textures.empty())
        warm.draw(sf::Sprite(*ResourceManager::textures.begin()->second));
    if (!ResourceManager::tileTextures.empty()) {
        Zone ground(0, 2, 2, nullptr);
        ground.submit(warm, false);
    }
    // A character behind a wall block: the silhouettes' shader is made and first run here,
    // not when someone first walks behind a building.
    if (!ResourceManager::textures.empty() && !ResourceManager::tileTextures.empty()) {
        const sf::Texture& sheet = *ResourceManager::textures.begin()->second;
        const sf::IntRect part(0, 0, static_cast<int>(sheet.getSize().x), static_cast<int>(sheet.getSize().y));
        warm.setDepth(0.f);
        warm.trimmed(sf::Sprite(sheet), part, sf::Color::White);
        const sf::Texture& block = ResourceManager::tileTextures.back();
        warm.wall(sf::Sprite(block), sf::IntRect(0, 0, static_cast<int>(block.getSize().x), static_cast<int>(block.getSize().y)));
        warm.setDepth(NAN);
    }
    // A texel of every image: the renderer readies a way of painting for each kind of
    // texture size here, not when a zone first shows one.
    for (const auto& entry : ResourceManager::textures)
        if (entry.second != nullptr)
            warm.draw(sf::Sprite(*entry.second, sf::IntRect(0, 0, 1, 1)));
    for (const sf::Texture& tile : ResourceManager::tileTextures)
        warm.draw(sf::Sprite(tile, sf::IntRect(0, 0, 1, 1)));
    warm.draw(sf::Text("Warm", ResourceManager::dialogFont, 30));
    warm.draw(sf::Text("Warm", ResourceManager::debugFont, 20));
    warm.draw(shade);
    return warm;
}

std::unique_ptr<StateTable> createStates(sf::RenderWindow* window) { return std::make_unique<StateTable>(window); }

namespace {
// A close the state does not take at once (the editor asks about unsaved work first, a
// play-test hands back to the editor) is answered while the window waits for focus: the
// states run until the answer is on the screen. The keys and buttons are another window's
// meanwhile, so none counts as held.
void answerClose(State** states, int* current, sf::RenderWindow* window, Desktop& desktop)
{
    const input::Source& live = input::source();
    input::ScriptedSource untouched;
    untouched.setMouse(live.mousePosition(*window));
    input::setSource(&untouched);
    // One frame, and one more after each change of state: a play-test's close is asked
    // about in the editor.
    for (int frames = 0; frames < STATE_COUNT && window->isOpen(); ++frames) {
        const int before = *current;
        desktop.beginFrame(states);
        stepState(states, current, window);
        desktop.endFrame();
        if (*current == before)
            break;
    }
    input::setSource(&live);
    if (window->isOpen())
        desktop.holdPicture();
}
} // namespace

void pumpEvents(State** states, int* current, sf::RenderWindow* window, Desktop* desktop)
{
    bool paused = false;
    sf::Event event;
    while (window->isOpen()) {
        if (!input::pollEvent(*window, event)) {
            if (!paused)
                return;
            // Without focus nothing advances; block instead of spinning a core, but wake
            // now and then to repaint a window that was uncovered, which no event reports.
            if (desktop != nullptr && desktop->waitForUncovering())
                continue;
            if (!input::waitEvent(*window, event))
                return;
        }
        switch (event.type) {
        case sf::Event::Closed:
            // The editor may first ask about unsaved work.
            if (states[*current]->mayClose())
                window->close();
            else if (paused && desktop != nullptr)
                answerClose(states, current, window, *desktop);
            break;
        case sf::Event::LostFocus:
            paused = true;
            if (desktop != nullptr)
                desktop->holdPicture();
            break;
        case sf::Event::GainedFocus:
            paused = false;
            break;
        default:
            if (desktop != nullptr && desktop->handleEvent(event, *states[*current]))
                break;
            states[*current]->handleEvent(event);
            // Nothing else would paint a window resized while it waits.
            if (paused && desktop != nullptr && event.type == sf::Event::Resized)
                desktop->repaint();
            break;
        }
    }
}

void stepState(State** states, int* current, sf::RenderWindow* window)
{
    State* state = states[*current];
    const int next = state->update();
    if (next == STATE_QUIT) {
        window->close();
        return;
    }
    state->draw();
    if (next != *current) {
        state->leave();
        states[next]->enter();
        *current = next;
    }
}

bool openPack(const std::string& path, Pack& pack)
{
    // Before the resources' folder becomes the working one: a relative path is the user's.
    std::error_code ignored;
    const std::string absolute = std::filesystem::absolute(path, ignored).string();
    std::string why;
    if (pack.open(absolute.empty() ? path : absolute, why))
        return true;
    std::printf("%s\n", Pack::refusal(path, why).c_str());
    return false;
}

void chooseFolders(const Pack& pack)
{
    const std::string userData = userdirs::dataDir();
    LevelFolder::choose(LevelFolder::resourcesWritable(), userData.empty() ? userData : userData + "lvl/");
    LevelFolder::choosePacks(userData.empty() ? userData : userData + PACKS_FOLDER);
    LevelFolder::usePack(pack);
}

namespace {

// The game as it is played: every game recorded in memory (F9 keeps it), the first one also
// to the --record file, the settings kept as they change.
int play(sf::RenderWindow& window, Desktop& desktop, State** states, SettingsFile& settingsFile,
         const std::string& recordPath)
{
    StateGame* game = static_cast<StateGame*>(states[STATE_GAME]);
    Recorder recorder(input::source());
    if (!recordPath.empty())
        recorder.recordTo(recordPath);
    input::setSource(&recorder);
    game->setWatch(&recorder);
    NoticeLine notice;
    int current = STATE_GAME;
    desktop.aimStates(states);
    states[current]->enter();
    while (window.isOpen()) {
        pumpEvents(states, &current, &window, &desktop);
        desktop.beginFrame(states);
        const bool recording = recorder.isRecording();
        stepState(states, &current, &window);
        std::string said = recorder.takeNotice();
        if (recording && !recorder.isRecording() && current == STATE_EDITOR)
            said = Recorder::F12_NOTICE;
        if (!said.empty())
            notice.show(said, Recorder::NOTICE_FRAMES);
        if (window.isOpen())
            notice.submit(states[current]->getFrame());
        notice.tick();
        desktop.endFrame();
        Settings now = desktop.settings(game->getHud().isShown());
        now.assist = game->hasAssist();
        now.finished = game->getFinished();
        settingsFile.offer(now);
    }
    settingsFile.flush();
    // Not needed by the game, but keeps leak checkers quiet at exit.
    states[current]->leave();
    recorder.finish();
    game->setWatch(nullptr);
    input::setSource(nullptr);
    return 0;
}

// A replay in the real play state: the game is not entered as itself but played by the
// replay's screen, and nothing is written.
int playReplay(sf::RenderWindow& window, Desktop& desktop, State** states, const GameOptions& options)
{
    StateGame* game = static_cast<StateGame*>(states[STATE_GAME]);
    StateReplay replay(&window, states, *game, *options.replay, options.replayName);
    State* table[STATE_COUNT] = {&replay, nullptr, nullptr};
    int current = STATE_GAME;
    desktop.aimStates(table);
    replay.enter();
    while (window.isOpen()) {
        pumpEvents(table, &current, &window, &desktop);
        desktop.beginFrame(table);
        stepState(table, &current, &window);
        desktop.endFrame();
    }
    replay.leave();
    return replay.status();
}

} // namespace

int runGame(const GameOptions& options)
{
    if (!resourceroot::enter())
        return 1;
    chooseFolders(options.pack != nullptr ? *options.pack : Pack::builtIn());
    SettingsFile settingsFile(options.settingsPath);
    const Settings settings = settingsFile.load();

    sf::RenderWindow window;
    Desktop desktop(window, settings);
    Presenter& presenter = desktop.getPresenter();
    setIcon(presenter);
    presenter.limitFrames(FRAMES_PER_SECOND);
    desktop.watchExposure();
    if (!ResourceManager::loadResources()) {
        window.close();
        return 1;
    }
    if (options.replay == nullptr)
        LevelFolder::removeLeftoverSaves();
    // After the resources: readying the picture paints with them.
    presenter.setWarmUp(warmUpFrame());
    presenter.prepare();
    std::unique_ptr<StateTable> table = createStates(&window);
    State** states = table->get();
    StateGame* game = static_cast<StateGame*>(states[STATE_GAME]);
    game->setHudShown(settings.overlay);
    game->setAssist(settings.assist);
    game->setFinished(settings.finished);
    const int status = options.replay != nullptr ? playReplay(window, desktop, states, options)
                                                 : play(window, desktop, states, settingsFile, options.recordPath);
    table.reset();
    ResourceManager::unloadResources();
    return status;
}
