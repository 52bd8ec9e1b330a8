#pragma once
// The packs installed in a folder (the player's packs folder): each folder and each .zip
// in it, opened and checked, in the order of their file names. Files of other names are
// not packs and are left out; anything else there (a FIFO, a link to nowhere or a loop of
// links) is listed as refused, with why.

#include "world/pack.h"

#include <cstddef>
#include <string>
#include <vector>

class PackShelf final {
public:
    // A folder holding more is not looked through further.
    static constexpr std::size_t MAX_PACKS = 1000;

    struct Entry {
        std::string path;
        Pack pack;          // meaningful when refusal is empty
        std::string refusal; // the reason alone, empty for a pack that opened
    };

    static std::vector<Entry> list(const std::string& folder);
};
