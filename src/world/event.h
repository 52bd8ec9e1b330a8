#pragma once
// One scripted step a trigger fires: a dialog or a walk. Other type values have no meaning;
// they are kept as they are and skipped when they run.

#include <string>
#include <vector>

struct DialogLine {
    std::string text;
    int portraitId = 0;
    int portraitPos = 0;
};

struct Event {
    enum { EVENT_DIALOG = 0, EVENT_MOVE = 1 };

    int type = EVENT_DIALOG;
    std::vector<DialogLine> dialogLines;
    int entityId = 0;
    int destY = 0;
    int destX = 0;
};
