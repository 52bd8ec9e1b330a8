#include "app/desktop.h"

#include "render/camera.h"
#include "render/state.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/Event.hpp>

namespace {
sf::VideoMode windowedMode(sf::Vector2u size) { return sf::VideoMode(size.x, size.y, 32); }
} // namespace

Desktop::Desktop(sf::RenderWindow& targetWindow, const Settings& settings)
    : window(targetWindow), sound(settings.volume, settings.muted), fullscreen(settings.fullscreen),
      placeKnown(false)
{
    // A size saved on a larger screen (or by hand) would open a window nobody can use.
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    const Settings fitted = settings.fittedTo(desktop.width, desktop.height);
    windowedSize = sf::Vector2u(fitted.width, fitted.height);
    windowedPlace = sf::Vector2i(fitted.x, fitted.y);
    placeKnown = fitted.placed;
    if (fullscreen)
        Presenter::createWindow(window, desktop, sf::Style::Fullscreen);
    else
        openWindowed();
    presenter = Presenter::forWindow(window);
    manager.follow(window.getSystemHandle());
}

void Desktop::openWindowed()
{
    if (presenter)
        presenter->recreateWindow(windowedMode(windowedSize), sf::Style::Default);
    else
        Presenter::createWindow(window, windowedMode(windowedSize), sf::Style::Default);
    if (placeKnown)
        window.setPosition(windowedPlace);
}

bool Desktop::heldByManager() { return manager.isFullscreen() || manager.isMaximised(); }

void Desktop::notePlace()
{
    if (fullscreen || !window.isOpen() || heldByManager())
        return;
    windowedPlace = window.getPosition();
    placeKnown = true;
}

bool Desktop::handleEvent(const sf::Event& event, const State& state)
{
    if (event.type == sf::Event::Resized) {
        if (!fullscreen && Settings::validSize(event.size.width, event.size.height) && !heldByManager())
            windowedSize = sf::Vector2u(event.size.width, event.size.height);
        presenter->prepare();
        return false;
    }
    if (event.type != sf::Event::KeyPressed)
        return false;
    const sf::Keyboard::Key key = event.key.code;
    if (key == sf::Keyboard::F11 || (key == sf::Keyboard::Return && event.key.alt)) {
        toggleFullscreen();
        return true;
    }
    return !state.isTyping() && sound.handleKey(key);
}

void Desktop::toggleFullscreen()
{
    // Made fullscreen by the window manager, the window is left for the normal one, as the
    // game's own fullscreen is.
    const bool leaving = fullscreen || manager.isFullscreen();
    notePlace();
    fullscreen = !leaving;
    if (fullscreen)
        presenter->recreateWindow(sf::VideoMode::getDesktopMode(), sf::Style::Fullscreen);
    else
        openWindowed();
    presenter->prepare();
    manager.follow(window.getSystemHandle());
}

void Desktop::beginFrame(State** states)
{
    frame.clear();
    frame.shownBy = presenter->name();
    aimStates(states);
}

void Desktop::aimStates(State** states)
{
    for (int i = 0; i < STATE_COUNT; ++i)
        if (states[i] != nullptr)
            states[i]->setFrame(&frame);
}

void Desktop::submitGauge()
{
    if (!sound.isShowing() || !window.isOpen())
        return;
    // Over the state's picture, in its pixels; the state's own view comes back afterwards.
    const sf::View kept = frame.getView();
    frame.setView(Camera::pictureView());
    sound.submit(frame);
    frame.setView(kept);
}

void Desktop::endFrame()
{
    submitGauge();
    sound.update();
    presenter->present(frame);
}

void Desktop::holdPicture() { presenter->hold(); }

void Desktop::repaint() { presenter->showHeld(); }

void Desktop::watchExposure() { presenter->watchExposure(); }

bool Desktop::waitForUncovering() { return presenter->waitForUncovering(); }

Settings Desktop::settings(bool overlay)
{
    // Asked once a frame: the place is read again only after the window has moved.
    if (manager.takeMoved())
        notePlace();
    Settings s;
    s.volume = sound.getVolume();
    s.muted = sound.isMuted();
    s.fullscreen = fullscreen || manager.isFullscreen();
    s.width = windowedSize.x;
    s.height = windowedSize.y;
    s.overlay = overlay;
    s.placed = placeKnown;
    s.x = windowedPlace.x;
    s.y = windowedPlace.y;
    return s;
}
