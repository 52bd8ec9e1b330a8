#include "app/displaycheck.h"

#include <X11/Xlib.h>
#include <cstdlib>

namespace displaycheck {

std::string problem()
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name)
        return "no display (DISPLAY is not set)";
    Display* display = XOpenDisplay(name);
    if (!display)
        return std::string("cannot open display ") + name;
    XCloseDisplay(display);
    return std::string();
}

} // namespace displaycheck
