#pragma once
// The list of zone packs the player can switch to (F2 in play, and from the end card): the
// built-in pack, the current one and every pack installed in the player's packs folder,
// each with its name, author, description and whether the player has finished it. Up and
// Down choose, Return plays the chosen pack from its start, Escape closes the list.

#include "world/pack.h"

#include <set>
#include <string>
#include <vector>

class FrameList;

class PackMenu final {
public:
    static const char* const TITLE;
    static const char* const KEYS;
    static const char* const FINISHED;
    static const char* const CURRENT;

    struct Line {
        std::string path; // empty for the built-in pack
        Pack pack;        // meaningful when refusal is empty
        std::string refusal;
        bool finished = false;
        bool current = false;
    };

    // Lists the packs afresh; the current one is chosen.
    void open(const std::string& packsFolder, const std::set<std::string>& finished);
    void close() { shown = false; }
    bool isOpen() const { return shown; }
    // Up (-1) or down (1), held at the ends.
    void move(int step);
    int getSelected() const { return selected; }
    const std::vector<Line>& getLines() const { return lines; }
    // The chosen pack, opened again as it is now; false with the refusal's one line, which
    // the list shows too.
    bool choose(Pack& pack, std::string& refusal);
    const std::string& getStatus() const { return status; }

    // Over the whole picture, in its default view.
    void submit(FrameList& frame) const;

private:
    bool shown = false;
    std::vector<Line> lines;
    int selected = 0;
    std::string status;
};
