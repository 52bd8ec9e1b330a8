#include "render/quadpresenter.h"

#include "render/framelist.h"
#include "render/painter.h"

#include <SFML/Graphics/RenderWindow.hpp>

QuadPresenter::QuadPresenter(sf::RenderWindow& windowIn) : Presenter(windowIn) { window.setVerticalSyncEnabled(true); }

std::string QuadPresenter::name() const { return "the renderer, one scaled quad"; }

void QuadPresenter::windowRecreated() { window.setVerticalSyncEnabled(true); }

bool QuadPresenter::ready()
{
    if (!made && !failed) {
        made = makePicture(picture);
        failed = !made;
    }
    return made;
}

void QuadPresenter::show(const FrameList& frame)
{
    if (!ready()) {
        Painter::paint(frame, window);
        window.display();
        return;
    }
    Painter::paint(frame, picture);
    picture.display();
    shown = true;
    showScaled(picture.getTexture());
}

// The texture keeps the last picture until the next frame is painted.
void QuadPresenter::hold() {}

void QuadPresenter::showHeld()
{
    if (window.isOpen() && made && shown)
        showScaled(picture.getTexture());
}
