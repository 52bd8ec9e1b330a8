#include "windowcapture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

namespace testsupport {

namespace {
int ignoreError(Display*, XErrorEvent*) { return 0; }

Display* connection()
{
    static Display* x = XOpenDisplay(nullptr);
    return x;
}
} // namespace

void keepPixels(sf::WindowHandle window)
{
    Display* x = connection();
    if (x == nullptr)
        return;
    XSetWindowAttributes attributes{};
    attributes.backing_store = Always;
    const auto kept = XSetErrorHandler(ignoreError);
    XChangeWindowAttributes(x, window, CWBackingStore, &attributes);
    XSync(x, False);
    XSetErrorHandler(kept);
}

bool waitForWindowSize(sf::WindowHandle window, sf::Vector2u size)
{
    Display* x = connection();
    if (x == nullptr)
        return false;
    for (int tries = 0; tries < 200; ++tries) {
        const auto kept = XSetErrorHandler(ignoreError);
        XWindowAttributes attributes{};
        const bool known = XGetWindowAttributes(x, window, &attributes) != 0;
        XSetErrorHandler(kept);
        if (known && attributes.width == static_cast<int>(size.x) && attributes.height == static_cast<int>(size.y))
            return true;
        usleep(10000);
    }
    return false;
}

sf::Image captureWindow(sf::WindowHandle window, sf::Vector2u size)
{
    Display* x = connection();
    sf::Image shot;
    if (x == nullptr || size.x == 0 || size.y == 0)
        return shot;
    const auto kept = XSetErrorHandler(ignoreError);
    XSync(x, False);
    XImage* image = XGetImage(x, window, 0, 0, size.x, size.y, AllPlanes, ZPixmap);
    XSync(x, False);
    XSetErrorHandler(kept);
    if (image == nullptr)
        return shot;
    shot.create(size.x, size.y);
    for (unsigned y = 0; y < size.y; ++y)
        for (unsigned px = 0; px < size.x; ++px) {
            const unsigned long value = XGetPixel(image, static_cast<int>(px), static_cast<int>(y));
            shot.setPixel(px, y,
                          sf::Color(static_cast<sf::Uint8>(value >> 16), static_cast<sf::Uint8>(value >> 8),
                                    static_cast<sf::Uint8>(value)));
        }
    XDestroyImage(image);
    return shot;
}

} // namespace testsupport
