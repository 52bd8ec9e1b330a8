#include "core/camera.h"

#include <SFML/Graphics/RenderWindow.hpp>

Camera::Camera(sf::RenderWindow* targetWindow)
    : window(targetWindow), view(targetWindow->getView()), screenSpace(false)
{
    view.setCenter(0.f, 0.f);
}

sf::View& Camera::getView() { return view; }

void Camera::apply()
{
    if (screenSpace)
        window->setView(window->getDefaultView());
    else
        window->setView(view);
}

void Camera::setScreenSpace(bool value)
{
    screenSpace = value;
    apply();
}
