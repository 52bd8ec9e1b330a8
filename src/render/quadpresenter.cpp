#include "render/quadpresenter.h"

#include "core/letterbox.h"
#include "render/framelist.h"
#include "render/painter.h"

#include <SFML/Graphics/RenderWindow.hpp>

#include <cstdio>

namespace {
const char* MSG_NO_PICTURE = "Cannot scale the picture here: it is drawn at 800 x 600 in the window's corner\n";
} // namespace

QuadPresenter::QuadPresenter(sf::RenderWindow& windowIn) : Presenter(windowIn) { window.setVerticalSyncEnabled(true); }

std::string QuadPresenter::name() const { return "the renderer, one scaled quad"; }

void QuadPresenter::windowRecreated() { window.setVerticalSyncEnabled(true); }

bool QuadPresenter::ready()
{
    if (made || failed)
        return made;
    if (!picture.create(Letterbox::PICTURE.x, Letterbox::PICTURE.y)) {
        failed = true;
        std::printf("%s", MSG_NO_PICTURE);
        std::fflush(stdout);
        return false;
    }
    prepareTarget(picture);
    made = true;
    return true;
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
