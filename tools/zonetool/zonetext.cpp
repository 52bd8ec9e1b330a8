#include "zonetext.h"

#include "core/grid.h"
#include "core/safefile.h"
#include "world/kinds.h"
#include "world/packcheck.h"
#include "world/zonefile.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>

namespace zonetext {
namespace {


struct KindChar {
    char c;
    int32_t kind;
    const char* name;
};
const KindChar KIND_CHARS[] = {
    {'>', TILE_LINKOUT, "link out"}, {'<', TILE_LINKIN, "link in"},
    {'.', TILE_FLOOR, "floor"},      {'#', TILE_WALL, "wall"},
};

// Letters for the tile images the game ships; docs/ART.md has the pictures.
struct ImageChar {
    char c;
    const char* name;
};
const ImageChar IMAGES[] = {
    {'g', "grass"},  {'a', "asphalt"},  {'l', "asphalt with lane mark"}, {'p', "paving"},
    {'c', "curb"},   {'n', "linoleum"}, {'w', "wood"},   {'r', "carpet"},
    {'B', "brick wall"}, {'W', "window wall"}, {'D', "door wall"}, {'H', "hedge"},
    {'x', "crosswalk"},  {'f', "grass with flowers"}, {'F', "picket fence"},
};
const int NAMED_IMAGES = static_cast<int>(sizeof(IMAGES) / sizeof(IMAGES[0]));
// Handed out to other image numbers a zone uses, in this order.
const char* SPARE_CHARS = "0123456789ACEFGIJKLMNOPQRSTUVXYZbdefhijkmoqstuvxyz";

const char* typeWord(int32_t type)
{
    const Kind* kind = kinds::find(type);
    return kind != nullptr ? kind->word : nullptr;
}

// ---- text writing ----

std::string quote(const std::string& s)
{
    std::string out = "\"";
    for (unsigned char ch : s) {
        switch (ch) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (ch < 0x20 || ch >= 0x7f) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02x", ch);
                out += hex;
            } else {
                out += static_cast<char>(ch);
            }
        }
    }
    return out + "\"";
}

// The shortest decimal that reads back to the same bits; raw bits for the rest.
std::string formatFloat(float f)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &f, 4);
    if (std::isfinite(f)) {
        // Plain decimals read best; exponents only for what they cannot say in short.
        for (int precision = 0; precision <= 13; ++precision) {
            char buffer[64];
            if (precision <= 4 && std::fabs(f) < 1.0e7f)
                std::snprintf(buffer, sizeof buffer, "%.*f", precision, static_cast<double>(f));
            else
                std::snprintf(buffer, sizeof buffer, "%.*g", precision - 4, static_cast<double>(f));
            const float back = std::strtof(buffer, nullptr);
            uint32_t backBits = 0;
            std::memcpy(&backBits, &back, 4);
            if (backBits == bits)
                return buffer;
        }
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08x", bits);
    return buffer;
}

char kindChar(int32_t kind)
{
    for (const KindChar& k : KIND_CHARS)
        if (k.kind == kind)
            return k.c;
    return '?';
}

void writeTiles(std::ostringstream& out, const ZoneData& zone)
{
    out << "\nkinds\n# ";
    for (const KindChar& k : KIND_CHARS)
        out << k.c << ' ' << k.name << "   ";
    out << "? see the tile lines\n";
    for (int y = 0; y < zone.height; ++y) {
        out << '|';
        for (int x = 0; x < zone.width; ++x)
            out << kindChar(zone.tile(x, y).type);
        out << '\n';
    }

    // Named images keep their letters; other numbers in use get spare characters.
    std::map<int32_t, char> legend;
    for (int i = 0; i < NAMED_IMAGES; ++i)
        legend[i] = IMAGES[i].c;
    std::set<char> taken;
    for (const auto& entry : legend)
        taken.insert(entry.second);
    const char* spare = SPARE_CHARS;
    for (const TileRec& t : zone.tiles) {
        if (legend.count(t.texture))
            continue;
        while (*spare && taken.count(*spare))
            ++spare;
        if (!*spare)
            break;
        legend[t.texture] = *spare;
        taken.insert(*spare);
    }
    out << "\nimages\n";
    for (const auto& entry : legend) {
        out << "legend " << entry.second << ' ' << entry.first;
        if (entry.first >= 0 && entry.first < NAMED_IMAGES)
            out << "   # " << IMAGES[entry.first].name;
        out << '\n';
    }
    for (int y = 0; y < zone.height; ++y) {
        out << '|';
        for (int x = 0; x < zone.width; ++x) {
            const auto found = legend.find(zone.tile(x, y).texture);
            out << (found == legend.end() ? '?' : found->second);
        }
        out << '\n';
    }

    std::ostringstream extra;
    for (int x = 0; x < zone.width; ++x)
        for (int y = 0; y < zone.height; ++y) {
            const TileRec& t = zone.tile(x, y);
            if (kindChar(t.type) == '?')
                extra << "kind " << x << ' ' << y << ' ' << t.type << '\n';
            if (!legend.count(t.texture))
                extra << "image " << x << ' ' << y << ' ' << t.texture << '\n';
            if (t.link != -1)
                extra << "link " << x << ' ' << y << ' ' << t.link << '\n';
        }
    out << "\ntiles\n# link X Y ZONE: the zone a link tile leads to or comes from\n" << extra.str();
}

void writeEntity(std::ostringstream& out, const EntityRec& e)
{
    out << typeWord(e.type) << " id " << e.id << " at " << formatFloat(e.x) << ' ' << formatFloat(e.y)
        << " radius " << formatFloat(e.radius);
    if (e.type == KindTypes::TYPE_DOODAD) {
        out << " image " << e.image;
        if (e.image >= 0 && e.image < PROP_COUNT)
            out << "   # " << PROP_IMAGES[e.image].name;
    }
    if (e.type != KindTypes::TYPE_TRIGGER) {
        out << '\n';
        return;
    }
    out << " fires " << (e.fireOnEnter ? "on-enter" : "on-exit") << " uses " << e.uses << " team " << e.team
        << '\n';
    for (const Event& event : e.events) {
        out << "  event ";
        if (event.type == 0)
            out << "dialog";
        else if (event.type == 1)
            out << "move";
        else
            out << event.type;
        out << " entity " << event.entityId << " dest " << event.destX << ' ' << event.destY << '\n';
        for (const DialogLine& line : event.dialogLines)
            out << "    line portrait " << line.portraitId << " corner " << line.portraitPos << ' '
                << quote(line.text) << '\n';
    }
}

// ---- text reading ----

struct Token {
    std::string text;
    bool quoted = false;
};

// Splits a line into words and quoted strings; a # outside quotes starts a comment.
bool tokenize(const std::string& line, std::vector<Token>& tokens, std::string& why)
{
    std::size_t i = 0;
    while (i < line.size()) {
        const char ch = line[i];
        if (ch == ' ' || ch == '\t' || ch == '\r') {
            ++i;
            continue;
        }
        if (ch == '#')
            break;
        Token token;
        if (ch != '"') {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                token.text += line[i++];
            tokens.push_back(token);
            continue;
        }
        token.quoted = true;
        ++i;
        bool closed = false;
        while (i < line.size()) {
            const char c = line[i++];
            if (c == '"') {
                closed = true;
                break;
            }
            if (c != '\\') {
                token.text += c;
                continue;
            }
            if (i >= line.size())
                break;
            const char e = line[i++];
            if (e == 'n') token.text += '\n';
            else if (e == 't') token.text += '\t';
            else if (e == '\\' || e == '"') token.text += e;
            else if (e == 'x' && i + 2 <= line.size() && std::isxdigit(static_cast<unsigned char>(line[i]))
                     && std::isxdigit(static_cast<unsigned char>(line[i + 1]))) {
                token.text += static_cast<char>(std::strtol(line.substr(i, 2).c_str(), nullptr, 16));
                i += 2;
            } else {
                why = std::string("unknown escape \\") + e;
                return false;
            }
        }
        if (!closed) {
            why = "unterminated string";
            return false;
        }
        tokens.push_back(token);
    }
    return true;
}

bool parseInt(const std::string& s, int32_t& value)
{
    if (s.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(s.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool parseFloat(const std::string& s, float& value)
{
    if (s.size() == 10 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        char* end = nullptr;
        const unsigned long bits = std::strtoul(s.c_str() + 2, &end, 16);
        if (*end != '\0')
            return false;
        const uint32_t b = static_cast<uint32_t>(bits);
        std::memcpy(&value, &b, 4);
        return true;
    }
    if (s.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtof(s.c_str(), &end);
    return *end == '\0' && errno == 0;
}

// Reads "word value word value ..." pairs in the order given.
class Fields {
public:
    Fields(const std::vector<Token>& tokensIn, std::size_t startIn) : tokens(tokensIn), pos(startIn) {}

    bool word(const char* expected, std::string& why)
    {
        if (pos < tokens.size() && !tokens[pos].quoted && tokens[pos].text == expected) {
            ++pos;
            return true;
        }
        why = std::string("expected '") + expected + "'" + found();
        return false;
    }
    bool integer(int32_t& value, const char* what, std::string& why)
    {
        if (pos < tokens.size() && !tokens[pos].quoted && parseInt(tokens[pos].text, value)) {
            ++pos;
            return true;
        }
        why = std::string("expected a whole number for ") + what + found();
        return false;
    }
    bool real(float& value, const char* what, std::string& why)
    {
        if (pos < tokens.size() && !tokens[pos].quoted && parseFloat(tokens[pos].text, value)) {
            ++pos;
            return true;
        }
        why = std::string("expected a number for ") + what + found();
        return false;
    }
    bool string(std::string& value, std::string& why)
    {
        if (pos < tokens.size() && tokens[pos].quoted) {
            value = tokens[pos++].text;
            return true;
        }
        why = "expected a quoted text" + found();
        return false;
    }
    bool text(std::string& value, std::string& why)
    {
        if (pos < tokens.size() && !tokens[pos].quoted) {
            value = tokens[pos++].text;
            return true;
        }
        why = "expected a word" + found();
        return false;
    }
    bool end(std::string& why)
    {
        if (pos == tokens.size())
            return true;
        why = "unexpected '" + tokens[pos].text + "' at the end of the line";
        return false;
    }

private:
    std::string found() const
    {
        return pos < tokens.size() ? ", found '" + tokens[pos].text + "'" : ", found the end of the line";
    }

    const std::vector<Token>& tokens;
    std::size_t pos;
};

class TextReader {
public:
    explicit TextReader(ZoneData& zoneIn) : zone(zoneIn) {}

    bool read(const std::string& text, std::string& why)
    {
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            ++lineNo;
            std::string reason;
            if (!readLine(line, reason)) {
                why = std::to_string(lineNo) + ": " + reason;
                return false;
            }
        }
        std::string reason;
        if (!finish(reason)) {
            why = std::to_string(lineNo) + ": " + reason;
            return false;
        }
        return true;
    }

private:
    enum Section { HEADER, KINDS, IMAGES, TILES, ENTITIES };

    bool readLine(const std::string& line, std::string& why)
    {
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first != std::string::npos && line[first] == '|')
            return mapRow(line.substr(first + 1), why);
        std::vector<Token> tokens;
        if (!tokenize(line, tokens, why))
            return false;
        if (tokens.empty())
            return true;
        if (tokens[0].quoted) {
            why = "a line starts with a keyword, not a quoted text";
            return false;
        }
        const std::string& key = tokens[0].text;
        if (key == "kinds" || key == "images" || key == "tiles" || key == "entities")
            return startSection(key, tokens, why);
        Fields f(tokens, 1);
        switch (section) {
        case HEADER: return header(key, f, why);
        case IMAGES:
            if (key == "legend")
                return legendLine(f, why);
            break;
        case TILES: return tileLine(key, f, why);
        case ENTITIES: return entityLine(key, f, why);
        default: break;
        }
        why = "unexpected '" + key + "' here";
        return false;
    }

    bool startSection(const std::string& key, const std::vector<Token>& tokens, std::string& why)
    {
        if (tokens.size() != 1) {
            why = "'" + key + "' stands alone on its line";
            return false;
        }
        if (!sized) {
            why = "'size' must come before the tiles";
            return false;
        }
        const Section next = key == "kinds" ? KINDS : key == "images" ? IMAGES : key == "tiles" ? TILES : ENTITIES;
        if (next <= section) {
            why = "'" + key + "' comes too late: the order is kinds, images, tiles, entities";
            return false;
        }
        if (!closeMap(why))
            return false;
        section = next;
        rows = 0;
        return true;
    }

    bool closeMap(std::string& why)
    {
        if ((section == KINDS || section == IMAGES) && rows != zone.height) {
            why = "the map has " + std::to_string(rows) + " rows, the zone " + std::to_string(zone.height);
            return false;
        }
        return true;
    }

    bool header(const std::string& key, Fields& f, std::string& why)
    {
        if (key == "zone")
            return f.integer(zone.id, "the zone id", why) && f.end(why) && (seenZone = true);
        if (key == "name")
            return f.string(zone.name, why) && f.end(why) && zonefile::checkName(zone.name, why);
        if (key == "size") {
            int32_t w = 0, h = 0;
            if (!f.integer(w, "the width", why) || !f.integer(h, "the height", why) || !f.end(why))
                return false;
            if (!zonefile::validSize(w, h)) {
                why = "impossible size " + std::to_string(w) + " x " + std::to_string(h);
                return false;
            }
            zone.width = w;
            zone.height = h;
            zone.tiles.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), TileRec());
            sized = true;
            return true;
        }
        if (key == "trailing") {
            std::string hex;
            if (!f.text(hex, why) || !f.end(why))
                return false;
            return trailingBytes(hex, why);
        }
        why = "unknown keyword '" + key + "'";
        return false;
    }

    bool trailingBytes(const std::string& hex, std::string& why)
    {
        if (hex.size() % 2 != 0 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            why = "trailing bytes are written as pairs of hex digits";
            return false;
        }
        for (std::size_t i = 0; i < hex.size(); i += 2)
            zone.trailing += static_cast<char>(std::strtol(hex.substr(i, 2).c_str(), nullptr, 16));
        return true;
    }

    bool mapRow(std::string row, std::string& why)
    {
        while (!row.empty() && (row.back() == ' ' || row.back() == '\t' || row.back() == '\r'))
            row.pop_back();
        if (section != KINDS && section != IMAGES) {
            why = "a map row outside 'kinds' and 'images'";
            return false;
        }
        if (rows >= zone.height) {
            why = "more map rows than the zone's height " + std::to_string(zone.height);
            return false;
        }
        if (static_cast<int>(row.size()) != zone.width) {
            why = "the row has " + std::to_string(row.size()) + " tiles, the zone is " + std::to_string(zone.width)
                + " wide";
            return false;
        }
        for (int x = 0; x < zone.width; ++x) {
            const char c = row[static_cast<std::size_t>(x)];
            TileRec& t = zone.tile(x, rows);
            if (section == KINDS) {
                bool known = c == '?';
                for (const KindChar& k : KIND_CHARS)
                    if (k.c == c) {
                        t.type = k.kind;
                        known = true;
                    }
                if (!known) {
                    why = std::string("'") + c + "' is not a tile kind";
                    return false;
                }
            } else if (c != '?') {
                const auto found = legend.find(c);
                if (found == legend.end()) {
                    why = std::string("'") + c + "' is not in the image legend";
                    return false;
                }
                t.texture = found->second;
            }
        }
        ++rows;
        return true;
    }

    bool legendLine(Fields& f, std::string& why)
    {
        std::string key;
        int32_t image = 0;
        if (!f.text(key, why) || !f.integer(image, "the image number", why) || !f.end(why))
            return false;
        if (key.size() != 1 || key[0] == '?' || key[0] == '|' || key[0] == '#') {
            why = "a legend key is one character other than ? | #";
            return false;
        }
        if (rows > 0) {
            why = "the legend comes before the map";
            return false;
        }
        legend[key[0]] = image;
        return true;
    }

    bool tileCoords(Fields& f, int& x, int& y, std::string& why)
    {
        int32_t tx = 0, ty = 0;
        if (!f.integer(tx, "the column", why) || !f.integer(ty, "the row", why))
            return false;
        if (tx < 0 || ty < 0 || tx >= zone.width || ty >= zone.height) {
            why = "tile " + std::to_string(tx) + " " + std::to_string(ty) + " is outside the zone";
            return false;
        }
        x = tx;
        y = ty;
        return true;
    }

    bool tileLine(const std::string& key, Fields& f, std::string& why)
    {
        int x = 0, y = 0;
        int32_t value = 0;
        if (key != "kind" && key != "image" && key != "link") {
            why = "unknown tile line '" + key + "'";
            return false;
        }
        if (!tileCoords(f, x, y, why) || !f.integer(value, key.c_str(), why) || !f.end(why))
            return false;
        TileRec& t = zone.tile(x, y);
        (key == "kind" ? t.type : key == "image" ? t.texture : t.link) = value;
        return true;
    }

    bool entityLine(const std::string& key, Fields& f, std::string& why)
    {
        if (key == "event")
            return eventLine(f, why);
        if (key == "line")
            return dialogLine(f, why);
        EntityRec e;
        bool known = false;
        if (const Kind* kind = kinds::findWord(key)) {
            e.type = kind->type;
            known = true;
        }
        if (!known) {
            why = "unknown entity '" + key + "'";
            return false;
        }
        if (!f.word("id", why) || !f.integer(e.id, "the id", why) || !f.word("at", why)
            || !f.real(e.x, "x", why) || !f.real(e.y, "y", why) || !f.word("radius", why)
            || !f.real(e.radius, "the radius", why))
            return false;
        if (e.type == KindTypes::TYPE_DOODAD && (!f.word("image", why) || !f.integer(e.image, "the prop", why)))
            return false;
        if (e.type == KindTypes::TYPE_TRIGGER) {
            std::string fires;
            if (!f.word("fires", why) || !f.text(fires, why))
                return false;
            if (fires != "on-enter" && fires != "on-exit") {
                why = "a trigger fires on-enter or on-exit, not '" + fires + "'";
                return false;
            }
            e.fireOnEnter = fires == "on-enter";
            if (!f.word("uses", why) || !f.integer(e.uses, "uses", why) || !f.word("team", why)
                || !f.integer(e.team, "the team", why))
                return false;
        }
        if (!f.end(why))
            return false;
        zone.entities.push_back(e);
        return true;
    }

    bool eventLine(Fields& f, std::string& why)
    {
        if (zone.entities.empty() || zone.entities.back().type != KindTypes::TYPE_TRIGGER) {
            why = "an event belongs under a trigger";
            return false;
        }
        Event event;
        std::string kind;
        if (!f.text(kind, why))
            return false;
        if (kind == "dialog")
            event.type = 0;
        else if (kind == "move")
            event.type = 1;
        else if (!parseInt(kind, event.type)) {
            why = "an event is dialog, move or a number, not '" + kind + "'";
            return false;
        }
        if (!f.word("entity", why) || !f.integer(event.entityId, "the entity", why) || !f.word("dest", why)
            || !f.integer(event.destX, "the column", why) || !f.integer(event.destY, "the row", why)
            || !f.end(why))
            return false;
        zone.entities.back().events.push_back(event);
        return true;
    }

    bool dialogLine(Fields& f, std::string& why)
    {
        if (zone.entities.empty() || zone.entities.back().events.empty()) {
            why = "a line belongs under an event";
            return false;
        }
        DialogLine line;
        if (!f.word("portrait", why) || !f.integer(line.portraitId, "the portrait", why)
            || !f.word("corner", why) || !f.integer(line.portraitPos, "the corner", why)
            || !f.string(line.text, why) || !f.end(why) || !zonefile::checkDialogText(line.text, why))
            return false;
        zone.entities.back().events.back().dialogLines.push_back(line);
        return true;
    }

    bool finish(std::string& why)
    {
        if (!seenZone) {
            why = "no 'zone' line";
            return false;
        }
        if (!sized) {
            why = "no 'size' line";
            return false;
        }
        if (section == HEADER) {
            why = "no tiles: 'kinds' and 'images' maps are missing";
            return false;
        }
        return closeMap(why);
    }

    ZoneData& zone;
    Section section = HEADER;
    int lineNo = 0;
    int rows = 0;
    bool sized = false;
    bool seenZone = false;
    std::map<char, int32_t> legend;
};

bool hasUnit(const ZoneData& zone, int32_t id)
{
    for (const EntityRec& e : zone.entities)
        if (kinds::isUnit(e.type) && zonefile::finalId(e) == id)
            return true;
    return false;
}

std::string tileName(int x, int y) { return "tile " + std::to_string(x) + "," + std::to_string(y); }

} // namespace

bool decode(const std::string& bytes, ZoneData& zone, std::string& why)
{
    std::size_t at = 0;
    if (zonefile::decode(bytes, zone, why, &at))
        return true;
    why = "at byte " + std::to_string(at) + ": " + why;
    return false;
}

std::string toText(const ZoneData& zone)
{
    std::ostringstream out;
    out << "# zone text: zonetool build turns it into the .zn file (docs/LEVELS.md)\n";
    out << "zone " << zone.id << '\n';
    out << "name " << quote(zone.name) << '\n';
    out << "size " << zone.width << ' ' << zone.height << "   # columns (x) rows (y)\n";
    if (!zone.trailing.empty()) {
        out << "trailing ";
        for (unsigned char ch : zone.trailing) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02x", ch);
            out << hex;
        }
        out << '\n';
    }
    writeTiles(out, zone);
    out << "\nentities\n";
    for (const EntityRec& e : zone.entities)
        writeEntity(out, e);
    return out.str();
}

bool fromText(const std::string& text, ZoneData& zone, std::string& why)
{
    ZoneData z;
    TextReader reader(z);
    if (!reader.read(text, why))
        return false;
    zone = z;
    return true;
}

std::vector<std::string> checkZone(const ZoneData& zone, int tileImages)
{
    std::vector<std::string> problems;
    for (int x = 0; x < zone.width; ++x)
        for (int y = 0; y < zone.height; ++y) {
            const TileRec& t = zone.tile(x, y);
            if (t.type < TILE_LINKOUT || t.type > TILE_WALL)
                problems.push_back(tileName(x, y) + ": unknown kind " + std::to_string(t.type));
            if (t.texture < 0 || t.texture >= tileImages)
                problems.push_back(tileName(x, y) + ": image " + std::to_string(t.texture) + " does not exist");
            if ((t.type == TILE_LINKOUT || t.type == TILE_LINKIN) && t.link < 0)
                problems.push_back(tileName(x, y) + ": link tile without a zone");
        }

    std::set<int32_t> ids;
    int players = 0;
    for (const EntityRec& e : zone.entities) {
        const std::string who = std::string(typeWord(e.type)) + " " + std::to_string(e.id);
        const int32_t id = zonefile::finalId(e);
        if (!zonefile::validId(e.id))
            problems.push_back(who + ": id out of range");
        else if (!ids.insert(id).second)
            problems.push_back(who + ": id " + std::to_string(id) + " is used twice");
        if (e.type == KindTypes::TYPE_PLAYER && ++players > 1)
            problems.push_back(who + ": more than one player");
        if (!zonefile::validPlace(e))
            problems.push_back(who + ": impossible position or radius");
        if (e.type == KindTypes::TYPE_DOODAD && (e.image < 0 || e.image >= PROP_COUNT))
            problems.push_back(who + ": prop number " + std::to_string(e.image) + " does not exist");
        for (std::size_t i = 0; i < e.events.size(); ++i) {
            const Event& event = e.events[i];
            const std::string which = who + " event " + std::to_string(i);
            if (event.type != 0 && event.type != 1)
                problems.push_back(which + ": unknown event type " + std::to_string(event.type));
            if (event.type == 0 && event.dialogLines.empty())
                problems.push_back(which + ": a dialog without lines");
            if (event.type == 1 && !hasUnit(zone, event.entityId))
                problems.push_back(which + ": walks unit " + std::to_string(event.entityId)
                                   + ", which is not in the zone");
        }
        const bool onGrid = e.x >= 0 && e.y >= 0 && e.x < zone.width * TILE_SIZE && e.y < zone.height * TILE_SIZE;
        if (kinds::isUnit(e.type) && !onGrid)
            problems.push_back(who + ": stands outside the grid");
        else if (kinds::isUnit(e.type)) {
            const TileRec& under = zone.tile(tileIndex(e.x), tileIndex(e.y));
            if (under.type == TILE_WALL)
                problems.push_back(who + ": stands in a wall");
        }
    }
    return problems;
}

std::vector<std::string> checkLinks(const std::vector<NamedZone>& zones)
{
    std::vector<std::string> problems;
    std::map<int32_t, const NamedZone*> byId;
    for (const NamedZone& z : zones)
        byId[z.zone.id] = &z;
    const packcheck::Lookup lookup = [&byId](int id) -> const ZoneData* {
        const auto found = byId.find(id);
        return found == byId.end() ? nullptr : &found->second->zone;
    };
    for (const NamedZone& z : zones)
        for (const packcheck::BadLink& link : packcheck::badLinks(z.zone, lookup))
            problems.push_back(z.file + ": " + tileName(link.column, link.row)
                               + (link.missing ? ": links out to zone " + std::to_string(link.target)
                                                     + ", which is not among the files"
                                               : ": zone " + std::to_string(link.target) + " ("
                                                     + byId[link.target]->file + ") has no link-in tile from zone "
                                                     + std::to_string(z.zone.id)));
    return problems;
}

int countTileImages(const std::string& dir)
{
    // As the game counts them: the first number that is not a readable file ends the list.
    int n = 0;
    std::string why;
    while (safefile::check(dir + "/" + std::to_string(n) + ".png", why) == safefile::Found::FILE)
        ++n;
    return n;
}

std::string propName(int image)
{
    return image >= 0 && image < PROP_COUNT ? PROP_IMAGES[image].name : "unknown prop";
}

} // namespace zonetext
