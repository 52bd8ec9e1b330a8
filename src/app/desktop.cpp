#include "app/desktop.h"

#include "app/mainloop.h"
#include "core/camera.h"
#include "core/state.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/Event.hpp>

namespace {
sf::VideoMode windowedMode(sf::Vector2u size) { return sf::VideoMode(size.x, size.y, 32); }
} // namespace

Desktop::Desktop(sf::RenderWindow& targetWindow, const Settings& settings)
    : window(targetWindow), screen(targetWindow), sound(settings.volume, settings.muted),
      fullscreen(settings.fullscreen), placeKnown(false), picture(&targetWindow)
{
    // A size saved on a larger screen (or by hand) would open a window nobody can use.
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    const Settings fitted = settings.fittedTo(desktop.width, desktop.height);
    windowedSize = sf::Vector2u(fitted.width, fitted.height);
    windowedPlace = sf::Vector2i(fitted.x, fitted.y);
    placeKnown = fitted.placed;
    if (fullscreen)
        createWindow(window, desktop, sf::Style::Fullscreen);
    else
        openWindowed();
    manager.follow(window.getSystemHandle());
}

void Desktop::openWindowed()
{
    if (window.isOpen())
        screen.recreateWindow(windowedMode(windowedSize), sf::Style::Default);
    else
        createWindow(window, windowedMode(windowedSize), sf::Style::Default);
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
        screen.prepare();
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
        screen.recreateWindow(sf::VideoMode::getDesktopMode(), sf::Style::Fullscreen);
    else
        openWindowed();
    screen.prepare();
    if (exposure)
        exposure->follow(window.getSystemHandle());
    manager.follow(window.getSystemHandle());
}

void Desktop::beginFrame(State** states)
{
    picture = &screen.beginFrame();
    aimStates(states);
}

void Desktop::aimStates(State** states)
{
    sf::RenderTarget& target = screen.target();
    for (int i = 0; i < STATE_COUNT; ++i)
        if (states[i] != nullptr)
            states[i]->setTarget(&target);
}

void Desktop::drawGauge()
{
    if (!sound.isShowing() || !window.isOpen())
        return;
    // Drawn over the state's picture; the view the state left behind maps the next
    // frame's mouse, so it comes back afterwards.
    const sf::View kept = picture->getView();
    picture->setView(Camera::pictureView());
    sound.draw(*picture);
    picture->setView(kept);
}

void Desktop::endFrame()
{
    drawGauge();
    sound.update();
    screen.present();
}

void Desktop::holdPicture() { screen.hold(); }

void Desktop::repaint() { screen.showHeld(); }

void Desktop::watchExposure()
{
    exposure = std::make_unique<ExposeWatch>();
    exposure->follow(window.getSystemHandle());
}

bool Desktop::waitForUncovering()
{
    if (!exposure || !exposure->isOn())
        return false;
    if (exposure->wait(100))
        repaint();
    return true;
}

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
