// Records the replays in tests/replays/ from the real game on the shipped zones, each played
// by the frame-exact bot with a few things of its own, then plays each back to check it.
// `make replays` runs it after a change that alters the game on purpose; make test plays
// them, and the diff of their checkpoints shows in review.
//   morvane_replays [output dir]     run from the repository root, under Xvfb
// The output dir defaults to tests/replays.

#include "app/mainloop.h"
#include "gamerun.h"
#include "play/replayfile.h"
#include "play/stategame.h"
#include "playbot.h"
#include "render/presenter.h"
#include "world/resourcemanager.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <cstdio>
#include <fstream>
#include <functional>

namespace {

const int FRAME_LIMIT = 30000;

// The bot plays, and own(frame) may take a frame over (true: the bot sits it out), until
// done; then F12 ends the recording and the file is written.
bool record(sf::RenderWindow& window, const std::string& path, const std::function<bool(GameRun&, int)>& own,
            const std::function<bool(const StateGame&)>& done)
{
    GameRun run(window);
    playbot::Bot bot(run.script, window);
    run.start();
    int frame = 0;
    for (; frame < FRAME_LIMIT && !done(run.game()); ++frame) {
        if (!own(run, frame))
            bot.decide(run.game());
        run.frame();
    }
    run.script.releaseAll();
    run.tap(sf::Keyboard::F12);
    std::ofstream(path, std::ios::binary) << run.recorder.recording();
    std::printf("%s: %d frames%s\n", path.c_str(), frame + 1, frame < FRAME_LIMIT ? "" : ", out of frames");
    return frame < FRAME_LIMIT;
}

// Plays it back, and writes its checkpoints beside it (NAME.checks).
bool check(sf::RenderWindow& window, const std::string& path)
{
    replayfile::Replay replay;
    std::string why;
    if (!replayfile::read(path, replay, why)) {
        std::printf("%s: %s\n", path.c_str(), why.c_str());
        return false;
    }
    std::ofstream(path.substr(0, path.size() - std::string(replayfile::EXTENSION).size()) + ".checks") << checkpointList(replay);
    return playUnseen(window, replay, path).outcome == Playback::Outcome::ENDED;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : "tests/replays";
    sf::RenderWindow window;
    Presenter::createWindow(window);
    window.setFramerateLimit(0);
    if (!ResourceManager::loadResources())
        return 1;
    bool ok = true;

    // From the home street through both streets to the shop, its robbers, the closing lines,
    // the end card and two seconds of a new game begun from it.
    bool endCard = false;
    int after = 0;
    ok = record(window, dir + "/whole-game.mvr",
                [&](GameRun& run, int frame) {
                    if (run.game().showsEndCard()) {
                        endCard = true;
                        if (frame % 2 == 0)
                            run.script.press(sf::Keyboard::Return);
                        else
                            run.script.release(sf::Keyboard::Return);
                        return true;
                    }
                    if (!endCard)
                        return false;
                    run.script.releaseAll();
                    ++after;
                    return true;
                },
                [&](const StateGame&) { return after >= 120; })
         && ok;

    // In the first street, the bot stands still under the robbers' blows until knocked out,
    // tries again with Return, is knocked out again and tries with assist (A), and plays on
    // into the second street.
    int knockOuts = 0;
    bool down = false;
    ok = record(window, dir + "/knockout-retry.mvr",
                [&](GameRun& run, int) {
                    const StateGame& game = run.game();
                    if (game.isKnockedOut()) {
                        knockOuts += down ? 0 : 1;
                        down = true;
                        run.script.press(knockOuts < 2 ? sf::Keyboard::Return : sf::Keyboard::A);
                        return true;
                    }
                    down = false;
                    run.script.release(sf::Keyboard::Return);
                    run.script.release(sf::Keyboard::A);
                    if (knockOuts < 2 && game.getZone()->id == 1 && robberWithin(game, 48.f)) {
                        run.script.releaseAll();
                        return true;
                    }
                    return false;
                },
                [&](const StateGame& game) {
                    return knockOuts == 2 && game.getZone()->id == 2 && game.getFadeInTimer() == 0;
                })
         && ok;

    // On the home street after its scene: pedestrians made with R and fought with punches
    // and kicks, the debug marks, the overlay and a pause toggled, a pad's stick and
    // buttons; then on to the first street.
    int free = -1;
    bool scene = false; // the opening scene begins with the first update
    ok = record(window, dir + "/keys-and-pad.mvr",
                [&](GameRun& run, int) {
                    scene = scene || run.game().getScriptHandler().isRunning();
                    if (free < 0 && (!scene || run.game().getScriptHandler().isRunning()))
                        return false;
                    ++free;
                    input::ScriptedSource& s = run.script;
                    switch (free) {
                    case 0: s.releaseAll(); break;
                    case 5: s.press(sf::Keyboard::R); break;
                    case 12: s.release(sf::Keyboard::R); break;
                    case 20: run.tell(sf::Keyboard::D); break;
                    case 50: s.press(sf::Keyboard::Z); break;
                    case 80: s.release(sf::Keyboard::Z); break;
                    case 90: run.tell(sf::Keyboard::P); break;
                    case 120: run.tell(sf::Keyboard::P); break;
                    case 130: run.tell(sf::Keyboard::F1); break;
                    case 140: s.plugPad(0); s.setPadAxis(0, sf::Joystick::Y, 45.f); break;
                    case 170: s.pressPad(0, 0); break;
                    case 172: s.releasePad(0, 0); s.pressPad(0, 2); break;
                    case 200: s.releasePad(0, 2); s.setPadAxis(0, sf::Joystick::X, 0.f); s.setPadAxis(0, sf::Joystick::Y, 0.f); break;
                    case 210: s.unplugPad(0); run.tell(sf::Keyboard::F1); run.tell(sf::Keyboard::D); break;
                    default: break;
                    }
                    // The stick swept as a pad reports it, in whole steps of its range.
                    if (free >= 140 && free < 200)
                        s.setPadAxis(0, sf::Joystick::X, static_cast<float>(-24000 + 400 * (free - 140)) * 100.f / 32767.f);
                    // Punches at whoever is about, every other frame, between the kicks and the pad.
                    if (free >= 20 && free < 140) {
                        s.setMouse(sf::Vector2i(400 + (free % 7) * 10, 330));
                        if (free % 2 == 0)
                            s.press(sf::Mouse::Right);
                        else
                            s.release(sf::Mouse::Right);
                    }
                    return free <= 210;
                },
                [&](const StateGame& game) { return game.getZone()->id == 1 && game.getFadeInTimer() == 0; })
         && ok;

    for (const char* name : {"whole-game", "knockout-retry", "keys-and-pad"})
        ok = check(window, dir + "/" + name + replayfile::EXTENSION) && ok;
    ResourceManager::unloadResources();
    return ok ? 0 : 1;
}
