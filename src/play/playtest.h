#pragma once
// What the editor hands the play state to try the zone being edited, and how a try ends.

#include <SFML/System/Vector2.hpp>
#include <string>

struct PlayTest {
    std::string zoneBytes; // the zone as its file would hold it; nothing is written
    sf::Vector2f start;    // where a zone without a player puts one, if that is on its grid
};

enum class TestEnd {
    NONE,
    RETURN, // F5 or F12: back to the editor
    QUIT,   // Escape or the window closed: the editor decides, as if asked there
};
