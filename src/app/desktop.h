#pragma once
// The game's window on the desktop: any size (the picture letterboxed by the presentation
// back end chosen for the renderer), fullscreen on F11 or Alt+Return, the sound keys, and
// what of it the settings file keeps. The normal window's size and place are the player's:
// a fullscreen or maximised window, the game's or the window manager's, never changes them,
// and F11 back brings them again.

#include "app/settings.h"
#include "app/soundcontrol.h"
#include "app/windowstate.h"
#include "render/framelist.h"
#include "render/presenter.h"

#include <SFML/System/Vector2.hpp>
#include <memory>

namespace sf {
class Event;
class RenderWindow;
} // namespace sf
class State;

class Desktop final {
public:
    // Opens the window as the settings say (fullscreen, or a window of their size and place,
    // fitted to the screen) and sets the master volume.
    Desktop(sf::RenderWindow& targetWindow, const Settings& settings);

    // Window keys and sizes. True when the event was the desktop's alone and goes no
    // further; sizes still reach the state.
    bool handleEvent(const sf::Event& event, const State& state);
    void toggleFullscreen();

    // Empties the frame's list and hands it to every state.
    void beginFrame(State** states);
    // Hands every state the frame's list, before one is entered.
    void aimStates(State** states);
    // Adds the sound gauge and presents the frame; one frame of the gauge's time passes.
    void endFrame();
    // The game waits for focus: the picture it shows now is the one to show again.
    void holdPicture();
    // Shows the held picture again, fitted to the window: for a window resized or uncovered
    // while the game waits.
    void repaint();
    // Repaints the window whenever it is uncovered while the game waits (the real game's
    // window only: tests drive their own events).
    void watchExposure();
    // Waits up to a tenth of a second for the window to be uncovered, repainting it if it
    // was; false, at once, when nothing watches.
    bool waitForUncovering();

    // The settings in force; overlay is the play state's to say. A window the window
    // manager holds fullscreen counts as fullscreen.
    Settings settings(bool overlay);
    // Notes where the normal window is now, to open it there again.
    void notePlace();

    bool isFullscreen() const { return fullscreen; }
    const SoundControl& getSound() const { return sound; }
    const Presenter& getPresenter() const { return *presenter; }
    Presenter& getPresenter() { return *presenter; }
    const FrameList& getFrame() const { return frame; }

private:
    void submitGauge();
    // The window manager holds the window at a size that is not the player's.
    bool heldByManager();
    void openWindowed();

    sf::RenderWindow& window;
    std::unique_ptr<Presenter> presenter;
    SoundControl sound;
    bool fullscreen;
    sf::Vector2u windowedSize;
    sf::Vector2i windowedPlace;
    bool placeKnown;
    WindowState manager;
    FrameList frame;
};
