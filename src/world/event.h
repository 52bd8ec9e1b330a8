#pragma once
// One scripted step a trigger fires: a dialog or a walk. Its bytes are shared by the
// game's zone files and the level tool, which writes them through save too.

#include <iosfwd>
#include <string>
#include <vector>

struct DialogLine {
    std::string text;
    int portraitId = 0;
    int portraitPos = 0;
};

struct Event {
    enum { EVENT_DIALOG = 0, EVENT_MOVE = 1 };
    // Longest dialog text a zone file may hold, so a corrupt length allocates nothing silly.
    static const std::size_t MAX_TEXT = 65536;

    int type = EVENT_DIALOG;
    std::vector<DialogLine> dialogLines;
    int entityId = 0;
    int destY = 0;
    int destX = 0;

    void save(std::ostream& out) const;
    // False on a short record; the counts only bound loops, every element must be there.
    bool load(std::istream& in);
};
