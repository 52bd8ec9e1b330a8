#include "render/camera.h"

#include "core/letterbox.h"
#include "render/framelist.h"

sf::View Camera::pictureView()
{
    return sf::View(sf::FloatRect(0.f, 0.f, static_cast<float>(Letterbox::PICTURE.x),
                                  static_cast<float>(Letterbox::PICTURE.y)));
}

Camera::Camera() : view(pictureView()), screenSpace(false) { view.setCenter(0.f, 0.f); }

sf::View& Camera::getView() { return view; }

void Camera::apply(FrameList& frame) const { frame.setView(screenSpace ? pictureView() : view); }

void Camera::setScreenSpace(FrameList& frame, bool value)
{
    screenSpace = value;
    apply(frame);
}
