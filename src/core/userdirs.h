#pragma once
// The player's own folders for the game, by the desktop's conventions: settings under
// $XDG_CONFIG_HOME (else ~/.config), saved data under $XDG_DATA_HOME (else ~/.local/share).
// Each ends in "morvane/"; empty when neither the variable nor HOME gives an absolute path.

#include <string>

namespace userdirs {

std::string configDir();
std::string dataDir();

} // namespace userdirs
