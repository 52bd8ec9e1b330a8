#pragma once
// Whether the X display the window will be opened on can be reached. The media library
// aborts the process when it cannot open one, so start-up asks first.

#include <string>

namespace displaycheck {

// Empty when the display in DISPLAY answers; else why not, for one line.
std::string problem();

} // namespace displaycheck
