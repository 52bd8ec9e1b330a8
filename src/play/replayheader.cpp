#include "play/replayheader.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace replayfile {
namespace {

struct StartKey {
    const char* key;
    int PlayStart::*field;
    bool isSwitch;
};
// What the play state starts from, as the header names it. A setting that changes play is
// one more row (and one more field of PlayStart).
const StartKey START_KEYS[] = {
    {"overlay", &PlayStart::overlay, true},
    {"debug", &PlayStart::debugDraw, true},
    {"ending", &PlayStart::ending, true},
    {"fade-out", &PlayStart::fadeOutTimer, false},
    {"fade-in", &PlayStart::fadeInTimer, false},
    {"fade-target", &PlayStart::fadeTarget, false},
    {"left-held", &PlayStart::leftHeld, true},
    {"middle-held", &PlayStart::middleHeld, true},
    {"right-held", &PlayStart::rightHeld, true},
    {"f12-held", &PlayStart::switchLatch, true},
    {"return-held", &PlayStart::returnHeld, true},
    {"pad-punch-held", &PlayStart::padPunchHeld, true},
    {"pad-back-held", &PlayStart::padBackHeld, true},
    {"a-held", &PlayStart::assistHeld, true},
    {"assist", &PlayStart::assist, true},
};

const char* const KEY_FORMAT = "format";
const char* const KEY_GAME = "game";
const char* const KEY_RECORDED = "recorded";
const char* const KEY_DRAWS = "draws";
const char* const KEY_PACK = "pack";

const char* const WHY_NOT_REPLAY = "not a replay file";
const char* const WHY_NO_FORMAT = "no format at the head of it";

// A whole decimal number, nothing before or after it.
bool parseNumber(const std::string& text, long long low, long long high, long long& value)
{
    if (text.empty() || text.size() > 20 || (text[0] != '-' && (text[0] < '0' || text[0] > '9')))
        return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

const StartKey* findStartKey(const std::string& key)
{
    for (const StartKey& row : START_KEYS)
        if (key == row.key)
            return &row;
    return nullptr;
}

std::string pair(const std::string& key, const std::string& value) { return key + "=" + value + "\n"; }

} // namespace

std::string gameVersion() { return MORVANE_VERSION; }

// ---- the header

std::string headerText(const Header& header)
{
    std::string text = std::string(MAGIC) + "\n";
    text += pair(KEY_FORMAT, std::to_string(header.format));
    text += pair(KEY_GAME, header.game);
    text += pair(KEY_RECORDED, header.recorded);
    text += pair(KEY_DRAWS, std::to_string(header.draws));
    text += pair(KEY_PACK, header.pack);
    for (const StartKey& row : START_KEYS)
        text += pair(row.key, std::to_string(header.start.*row.field));
    return text + "\n";
}

bool parseHeader(const std::string& text, Header& header, std::string& why)
{
    const std::string magicLine = std::string(MAGIC) + "\n";
    if (text.compare(0, magicLine.size(), magicLine) != 0) {
        why = WHY_NOT_REPLAY;
        return false;
    }
    Header parsed;
    std::vector<std::string> seen;
    std::size_t at = magicLine.size();
    while (at < text.size() && text[at] != '\n') {
        const std::size_t lineEnd = text.find('\n', at);
        const std::string line = text.substr(at, lineEnd == std::string::npos ? std::string::npos : lineEnd - at);
        at = lineEnd == std::string::npos ? text.size() : lineEnd + 1;
        const std::size_t equals = line.find('=');
        const std::string key = line.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : line.substr(equals + 1);
        if (seen.empty() && key != KEY_FORMAT) {
            why = WHY_NO_FORMAT;
            return false;
        }
        for (const std::string& earlier : seen)
            if (earlier == key) {
                why = "\"" + key + "\" twice in its header";
                return false;
            }
        seen.push_back(key);
        long long number = 0;
        const StartKey* start = findStartKey(key);
        if (equals == std::string::npos) {
            why = "a header line without a value: " + line;
            return false;
        } else if (key == KEY_FORMAT) {
            if (!parseNumber(value, 1, INT_MAX, number)) {
                why = "format " + value + ", which no game writes";
                return false;
            }
            if (number > FORMAT) {
                why = "format " + value + ", newer than this game's " + std::to_string(FORMAT);
                return false;
            }
            parsed.format = static_cast<int>(number);
        } else if (key == KEY_GAME) {
            parsed.game = value;
        } else if (key == KEY_RECORDED) {
            parsed.recorded = value;
        } else if (key == KEY_PACK) {
            parsed.pack = value;
        } else if (key == KEY_DRAWS) {
            if (!parseNumber(value, 0, static_cast<long long>(MAX_DRAWS), number)) {
                why = "a header value out of range: " + line;
                return false;
            }
            parsed.draws = static_cast<unsigned long long>(number);
        } else if (start != nullptr) {
            if (!parseNumber(value, start->isSwitch ? 0 : INT_MIN, start->isSwitch ? 1 : INT_MAX, number)) {
                why = "a header value out of range: " + line;
                return false;
            }
            parsed.start.*start->field = static_cast<int>(number);
        } else {
            why = "a setting this game does not know: " + line;
            return false;
        }
    }
    if (seen.empty()) {
        why = WHY_NO_FORMAT;
        return false;
    }
    header = parsed;
    return true;
}

} // namespace replayfile
