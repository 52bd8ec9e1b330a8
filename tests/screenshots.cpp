// Takes the README's screenshots from the real game: the bot plays from the home street
// to the closing lines and the end card (in zone 1's first fight it is left with one hit
// point and stands still until knocked out, then tries again, twice, the second time with
// assist offered, which it turns down), F2 on the end card lists a few zone packs, then the
// editor is opened on zone 1 in each of its modes, and an undo's message shows.
//   morvane_screenshots [output dir]     run from the repository root, under Xvfb
// The output dir defaults to docs/screenshots.

#include "world/entity.h"
#include "core/globals.h"
#include "core/input.h"
#include "app/mainloop.h"
#include "render/painter.h"
#include "render/presenter.h"
#include "playbot.h"
#include "characters/player.h"
#include "world/resourcemanager.h"
#include "play/scripthandler.h"
#include "render/state.h"
#include "play/stategame.h"
#include "characters/unit.h"
#include "world/levelfolder.h"
#include "world/pack.h"
#include "world/packarchive.h"
#include "world/tile.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

namespace {

const int FRAME_LIMIT = 30000;

class Shooter {
public:
    Shooter(sf::RenderWindow& windowIn, const std::string& dirIn) : window(windowIn), dir(dirIn) {}

    void save(const std::string& name)
    {
        sf::Texture texture;
        texture.create(window.getSize().x, window.getSize().y);
        texture.update(window);
        const std::string path = dir + "/" + name;
        if (texture.copyToImage().saveToFile(path))
            std::printf("wrote %s\n", path.c_str());
        else
            std::printf("could not write %s\n", path.c_str());
        taken.insert(name);
    }
    bool has(const std::string& name) const { return taken.count(name) > 0; }

private:
    sf::RenderWindow& window;
    std::string dir;
    std::set<std::string> taken;
};

sf::Event keyEvent(sf::Keyboard::Key code)
{
    sf::Event event{};
    event.type = sf::Event::KeyPressed;
    event.key.code = code;
    return event;
}

void typeLine(input::ScriptedSource& script, const std::string& text)
{
    for (char c : text) {
        if (c >= 'a' && c <= 'z')
            script.queueEvent(keyEvent(static_cast<sf::Keyboard::Key>(sf::Keyboard::A + (c - 'a'))));
        else if (c >= '0' && c <= '9')
            script.queueEvent(keyEvent(static_cast<sf::Keyboard::Key>(sf::Keyboard::Num0 + (c - '0'))));
        else if (c == ' ')
            script.queueEvent(keyEvent(sf::Keyboard::Space));
    }
    script.queueEvent(keyEvent(sf::Keyboard::Return));
}

bool lineWaiting(const ScriptHandler& scripts, int line)
{
    if (!scripts.isBoxVisible() || scripts.isFading() || scripts.isAdvancing() || scripts.getLineIndex() != line
        || scripts.getQueue().empty())
        return false;
    const Event& event = scripts.getQueue().front();
    return line < static_cast<int>(event.dialogLines.size())
        && scripts.getCharsShown() == static_cast<int>(event.dialogLines[static_cast<std::size_t>(line)].text.size());
}

// struck: only a robber showing the hit flash counts.
bool robberInReach(Zone& zone, const Player& player, bool struck = false)
{
    for (const auto& entry : zone.entities)
        if (entry.second->getType() == Entity::TYPE_ROBBER
            && std::hypot(entry.second->position.x - player.position.x, entry.second->position.y - player.position.y) < 48.0f
            && (!struck || static_cast<const Unit&>(*entry.second).flashing()))
            return true;
    return false;
}

bool nearWayOut(Zone& zone, const Player& player, float tiles)
{
    for (int x = 0; x < zone.getWidth(); ++x)
        for (int y = 0; y < zone.getHeight(); ++y)
            if (zone.getTile(x, y)->type == TILE_LINKOUT
                && std::hypot((x + 0.5f) * 32.0f - player.position.x, (y + 0.5f) * 32.0f - player.position.y)
                       < tiles * 32.0f)
                return true;
    return false;
}

// Holds the editor's scroll keys until the world point shows near the window's middle.
void scrollTo(input::ScriptedSource& script, sf::RenderWindow& window, const State& editor, const sf::Vector2f& world,
              const std::function<void(const std::function<void()>&)>& frame)
{
    const sf::Keyboard::Key keys[] = {sf::Keyboard::A, sf::Keyboard::D, sf::Keyboard::W, sf::Keyboard::S};
    for (int i = 0; i < 400; ++i) {
        const sf::Vector2i at = window.mapCoordsToPixel(worldToScreen(world), editor.getFrame().getView());
        const bool want[] = {at.x < 360, at.x > 440, at.y < 260, at.y > 340};
        bool any = false;
        for (int k = 0; k < 4; ++k) {
            if (want[k])
                script.press(keys[k]);
            else
                script.release(keys[k]);
            any = any || want[k];
        }
        if (!any)
            break;
        frame(nullptr);
    }
    for (sf::Keyboard::Key key : keys)
        script.release(key);
}

// The shipped zones of from to to as a pack, its pack.ini saying the rest.
Pack::Files shippedZones(int from, int to, const std::string& ini)
{
    Pack::Files files{{PackInfo::FILE_NAME, ini}};
    for (int zone = from; zone <= to; ++zone) {
        std::ifstream in(Zone::fileName(zone), std::ios::binary);
        files.emplace_back(Pack::zoneFileName(zone), std::string(std::istreambuf_iterator<char>(in), {}));
    }
    return files;
}

// A packs folder for the list to show: a folder pack, a .zip and a damaged .zip.
std::string installPacks()
{
    char pattern[] = "/tmp/morvane-shots-XXXXXX";
    const std::string packs = std::string(mkdtemp(pattern)) + "/";
    std::string why, zip;
    Pack::makeFolder(packs + "Back Streets",
                     shippedZones(0, 1, "[pack]\nname=Back Streets\nauthor=Kim\nversion=1\n"
                                        "description=Two streets of the old errand, and a robber at the end of them.\n"
                                        "start=0\nending=1\n"),
                     why);
    if (PackArchive::make(shippedZones(0, 3, "[pack]\nname=The Long Way\nauthor=Ada Morrow\nversion=2\n"
                                             "description=All four streets again, ending at the corner shop.\n"
                                             "start=0\nending=3\n"),
                          zip, why))
        std::ofstream(packs + "the-long-way.zip", std::ios::binary) << zip;
    std::ofstream(packs + "damaged.zip", std::ios::binary) << "PK, but no more";
    return packs;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : "docs/screenshots";
    sf::RenderWindow window;
    Presenter::createWindow(window);
    window.setFramerateLimit(0);
    if (!ResourceManager::loadResources())
        return 1;
    input::ScriptedSource script;
    input::setSource(&script);
    std::unique_ptr<StateTable> table = createStates(&window);
    State** states = table->get();
    int current = STATE_GAME;
    states[current]->enter();
    StateGame& game = static_cast<StateGame&>(*states[STATE_GAME]);
    playbot::Bot bot(script, window);
    Shooter shots(window, dir);

    // One frame as the game's own loop runs it; the picture is taken before it is shown.
    auto frame = [&](const std::function<void()>& beforeShow) {
        pumpEvents(states, &current, &window);
        const State& drawing = *states[current];
        stepState(states, &current, &window);
        Painter::paint(drawing.getFrame(), window);
        if (beforeShow)
            beforeShow();
        window.display();
    };

    int fightFrames = 0;
    int zone1Frames = 0;
    int shopFightFrames = 0;
    int standingFrames = -1; // counts while the weakened player waits for the blow
    for (int n = 0; n < FRAME_LIMIT && !(game.isEnding() && !game.getScriptHandler().isRunning()); ++n) {
        const bool knockedOut = game.isKnockedOut();
        if (standingFrames < 0 && !knockedOut && shots.has("fight.png") && !shots.has("assist.png")) {
            game.getPlayer()->hitPoints = 1;
            standingFrames = 0;
        }
        if (standingFrames >= 0 && !knockedOut && standingFrames < 20 * 60) {
            // The zone's scene plays again after a retry: read through, then stand.
            script.releaseAll();
            if (game.getScriptHandler().isRunning())
                script.press(sf::Keyboard::Return);
            else
                ++standingFrames;
        } else if (knockedOut) {
            standingFrames = -1;
            script.press(sf::Keyboard::Return);
        } else {
            script.release(sf::Keyboard::Return);
            bot.decide(game);
        }
        frame([&] {
            Zone& zone = *game.getZone();
            const ScriptHandler& scripts = game.getScriptHandler();
            if (zone.id == 0 && !shots.has("dialog.png") && lineWaiting(scripts, 3))
                shots.save("dialog.png");
            if (zone.id == 1 && !scripts.isRunning() && game.getFadeInTimer() == 0 && ++zone1Frames == 200)
                shots.save("play.png");
            if (zone.id >= 1 && !shots.has("fight.png") && robberInReach(zone, *game.getPlayer())
                && ++fightFrames >= 45 && robberInReach(zone, *game.getPlayer(), true))
                shots.save("fight.png");
            if (zone.id == 3 && !shots.has("shop.png") && !scripts.isRunning() && robberInReach(zone, *game.getPlayer())
                && ++shopFightFrames == 30)
                shots.save("shop.png");
            if (game.isEnding() && !shots.has("ending.png") && lineWaiting(scripts, 0))
                shots.save("ending.png");
            if (zone.id == 0 && !shots.has("exit.png") && !scripts.isRunning() && game.getFadeOutTimer() == 0
                && nearWayOut(zone, *game.getPlayer(), 3.f))
                shots.save("exit.png");
            if (game.isKnockedOut() && !shots.has("retry.png"))
                shots.save("retry.png");
            if (game.offersAssist() && !shots.has("assist.png"))
                shots.save("assist.png");
            if (zone.id == 1 && !shots.has("hud.png") && game.getFadeInTimer() == 0 && game.getHud().showsName()
                && !scripts.isRunning())
                shots.save("hud.png");
        });
    }

    // The end card.
    script.releaseAll();
    for (int n = 0; n < 10 * 60 && !game.showsEndCard(); ++n)
        frame(nullptr);
    frame([&] { shots.save("endcard.png"); });

    // F2 on the end card: the packs installed, the one played marked.
    const std::string packs = installPacks();
    LevelFolder::choosePacks(packs);
    script.queueEvent(keyEvent(sf::Keyboard::F2));
    frame(nullptr);
    script.queueEvent(keyEvent(sf::Keyboard::Down));
    frame(nullptr);
    frame([&] { shots.save("packs.png"); });
    script.queueEvent(keyEvent(sf::Keyboard::Escape));
    frame(nullptr);
    std::filesystem::remove_all(packs);

    // The editor, on zone 1.
    script.releaseAll();
    frame(nullptr);
    script.press(sf::Keyboard::F12);
    frame(nullptr);
    script.release(sf::Keyboard::F12);
    script.queueEvent(keyEvent(sf::Keyboard::Tilde));
    typeLine(script, "load 1");
    typeLine(script, "help");
    frame(nullptr);
    frame([&] { shots.save("editor_console.png"); });
    script.queueEvent(keyEvent(sf::Keyboard::Tilde));
    frame(nullptr);
    // Mode 1 by the link tiles at the street's west end, mode 2 with one of them selected,
    // mode 3 with the trigger of the street's scene selected.
    const sf::Vector2f linkTile(16.0f, 8 * 32.0f + 16.0f);
    const sf::Vector2f trigger(336.0f, 272.0f);
    const sf::Keyboard::Key modes[] = {sf::Keyboard::Num1, sf::Keyboard::Num2, sf::Keyboard::Num3};
    const sf::Vector2f* focus[] = {&linkTile, &linkTile, &trigger};
    const char* names[] = {"editor_tiles.png", "editor_properties.png", "editor_entities.png"};
    for (int m = 0; m < 3; ++m) {
        script.press(modes[m]);
        frame(nullptr);
        script.release(modes[m]);
        scrollTo(script, window, *states[STATE_EDITOR], *focus[m], frame);
        script.setMouse(window.mapCoordsToPixel(worldToScreen(*focus[m]), states[STATE_EDITOR]->getFrame().getView()));
        if (m > 0) {
            script.press(sf::Mouse::Left);
            frame(nullptr);
            script.release(sf::Mouse::Left);
        }
        for (int i = 0; i < 3; ++i)
            frame(nullptr);
        frame([&] { shots.save(names[m]); });
    }
    // With the console closed, its newest line shows at the bottom for a while: a wall
    // set on the selected link tile and taken back.
    script.press(sf::Keyboard::Num2);
    frame(nullptr);
    script.release(sf::Keyboard::Num2);
    script.queueEvent(keyEvent(sf::Keyboard::X));
    frame(nullptr);
    sf::Event undo = keyEvent(sf::Keyboard::Z);
    undo.key.control = true;
    script.queueEvent(undo);
    for (int i = 0; i < 30; ++i)
        frame(nullptr);
    frame([&] { shots.save("editor_message.png"); });

    input::setSource(nullptr);
    states[current]->leave();
    table.reset();
    ResourceManager::unloadResources();
    return 0;
}
