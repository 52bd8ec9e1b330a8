#include "world/packinfo.h"

#include "core/printable.h"

#include <sstream>

namespace {

const char* const SPACES = " \t\r";

std::string trimmed(const std::string& s)
{
    const std::size_t first = s.find_first_not_of(SPACES);
    if (first == std::string::npos)
        return std::string();
    return s.substr(first, s.find_last_not_of(SPACES) - first + 1);
}

// A zone number as a file name holds it: digits only, no sign, no leading zero.
bool readZone(const std::string& text, int& zone)
{
    if (text.empty() || text.size() > 9 || (text.size() > 1 && text[0] == '0'))
        return false;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    zone = static_cast<int>(value);
    return value <= PackInfo::MAX_ZONE;
}

struct Reading {
    PackInfo& info;
    bool named = false;
    bool started = false;
    bool ended = false;
};

// One key=value line of the section; false with why.
bool applyKey(Reading& r, const std::string& key, const std::string& value, std::string& why)
{
    struct Text {
        const char* key;
        std::string PackInfo::*field;
        std::size_t most;
    };
    static const Text TEXTS[] = {
        {"name", &PackInfo::name, PackInfo::MAX_NAME},
        {"author", &PackInfo::author, PackInfo::MAX_AUTHOR},
        {"version", &PackInfo::version, PackInfo::MAX_VERSION},
        {"description", &PackInfo::description, PackInfo::MAX_DESCRIPTION},
    };
    for (const Text& t : TEXTS) {
        if (key != t.key)
            continue;
        if (value.size() > t.most) {
            why = key + " longer than " + std::to_string(t.most) + " bytes";
            return false;
        }
        r.info.*t.field = value;
        r.named = r.named || key == "name";
        return true;
    }
    if (key == "start" || key == "ending") {
        int zone = 0;
        if (!readZone(value, zone)) {
            why = key + " is no zone number (" + value + ")";
            return false;
        }
        (key == "start" ? r.info.start : r.info.ending) = zone;
        (key == "start" ? r.started : r.ended) = true;
        return true;
    }
    r.info.otherKeys.emplace_back(key, value);
    return true;
}

} // namespace

bool PackInfo::parse(const std::string& text, PackInfo& info, std::string& why)
{
    PackInfo read;
    Reading r{read};
    bool inSection = false;
    std::istringstream in(text);
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        const std::string line = trimmed(raw);
        const std::string at = "line " + std::to_string(number) + ": ";
        // Only text: a control byte or broken UTF-8 means this is some other file.
        if (printable(line) != line) {
            why = at + "holds bytes that are not text";
            return false;
        }
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line[0] == '[') {
            if (line != SECTION || inSection) {
                why = at + "a section other than the one " + SECTION;
                return false;
            }
            inSection = true;
            continue;
        }
        const std::size_t equals = line.find('=');
        const std::string key = trimmed(line.substr(0, equals));
        if (equals == std::string::npos || key.empty() || !inSection) {
            why = at + (inSection ? "not key=value" : std::string("before the ") + SECTION + " section");
            return false;
        }
        if (!applyKey(r, key, trimmed(line.substr(equals + 1)), why)) {
            why = at + why;
            return false;
        }
    }
    if (!inSection)
        why = std::string("no ") + SECTION + " section";
    else if (!r.named || read.name.empty())
        why = "no name";
    else if (!r.started)
        why = "no start zone";
    else if (!r.ended)
        why = "no ending zone";
    else
        why.clear();
    if (!why.empty())
        return false;
    info = read;
    return true;
}

std::string PackInfo::toText() const
{
    std::ostringstream out;
    out << SECTION << "\n"
        << "name=" << name << "\n"
        << "author=" << author << "\n"
        << "version=" << version << "\n"
        << "description=" << description << "\n"
        << "start=" << start << "\n"
        << "ending=" << ending << "\n";
    for (const auto& key : otherKeys)
        out << key.first << "=" << key.second << "\n";
    return out.str();
}

bool PackInfo::validName(const std::string& text, std::string& why)
{
    if (text.empty() || trimmed(text) != text)
        why = "a name may not be empty nor start or end with a space";
    else if (text.size() > MAX_NAME)
        why = "a name has at most " + std::to_string(MAX_NAME) + " bytes";
    else if (printable(text) != text)
        why = "a name may not hold control bytes";
    else if (text[0] == '.' || text.find('/') != std::string::npos)
        why = "a name may not start with a dot nor hold a slash";
    else
        why.clear();
    return why.empty();
}
