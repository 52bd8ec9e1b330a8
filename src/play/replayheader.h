#pragma once
// The replay file's text header: what the game was and where it started, as key=value lines
// after the first line, "MORVANE replay", and up to an empty line (docs/REPLAYS.md).

#include "play/playstart.h"

#include <cstddef>
#include <string>

namespace replayfile {

constexpr const char* MAGIC = "MORVANE replay";
constexpr int FORMAT = 1;
constexpr std::size_t MAX_HEADER_BYTES = 4096;
// Where a recording starts in the random sequence: skipping this many takes seconds.
constexpr unsigned long long MAX_DRAWS = 1000000000ULL;

// What the game was and where it started. Every pair is written; a header that lacks one
// starts from the default, one that names a key this game does not know is refused.
struct Header {
    int format = FORMAT;
    std::string game;
    std::string recorded;
    unsigned long long draws = 0;
    // The name of the pack it was played in; empty in a file from before packs (the built-in one).
    std::string pack;
    PlayStart start;
};

// The version of the game that writes a file now.
std::string gameVersion();

// The header's text and back; why as for decode.
std::string headerText(const Header& header);
bool parseHeader(const std::string& text, Header& header, std::string& why);

} // namespace replayfile
