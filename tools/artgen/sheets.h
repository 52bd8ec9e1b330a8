#pragma once
// Pages for people rather than the game: a contact sheet of all art, and a small
// scene composed the way the game draws a zone.

#include "jobs.h"

#include <string>
#include <vector>

namespace art {

bool writeContactSheet(const std::string& root, const std::vector<Job>& jobs, const std::string& out);
bool writeTestScene(const std::string& root, const std::string& out);

} // namespace art
