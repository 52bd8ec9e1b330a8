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
      windowedSize(settings.width, settings.height)
{
    if (fullscreen)
        Presenter::createWindow(window, sf::VideoMode::getDesktopMode(), sf::Style::Fullscreen);
    else
        Presenter::createWindow(window, windowedMode(windowedSize), sf::Style::Default);
    presenter = Presenter::forWindow(window);
}

bool Desktop::handleEvent(const sf::Event& event, const State& state)
{
    if (event.type == sf::Event::Resized) {
        if (!fullscreen && Settings::validSize(event.size.width, event.size.height))
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
    fullscreen = !fullscreen;
    if (fullscreen)
        presenter->recreateWindow(sf::VideoMode::getDesktopMode(), sf::Style::Fullscreen);
    else
        presenter->recreateWindow(windowedMode(windowedSize), sf::Style::Default);
    presenter->prepare();
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

Settings Desktop::settings(bool overlay) const
{
    Settings s;
    s.volume = sound.getVolume();
    s.muted = sound.isMuted();
    s.fullscreen = fullscreen;
    s.width = windowedSize.x;
    s.height = windowedSize.y;
    s.overlay = overlay;
    return s;
}
