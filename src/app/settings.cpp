#include "app/settings.h"

#include "core/globals.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace {

const char* SECTION = "[morvane]";

bool parseNumber(const std::string& text, long long& value)
{
    if (text.empty() || text.size() > 18)
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

bool parseBool(const std::string& text, bool& value)
{
    if (text == "1" || text == "true" || text == "yes" || text == "on")
        value = true;
    else if (text == "0" || text == "false" || text == "no" || text == "off")
        value = false;
    else
        return false;
    return true;
}

// Applies one key; false when the value is not one the key takes.
bool applyKey(Settings& s, const std::string& key, const std::string& value, long long& width, long long& height)
{
    long long number = 0;
    if (key == "volume") {
        if (!parseNumber(value, number) || number < 0 || number > 100)
            return false;
        s.volume = static_cast<int>(number);
        return true;
    }
    if (key == "width" || key == "height") {
        if (!parseNumber(value, number))
            return false;
        (key == "width" ? width : height) = number;
        return true;
    }
    if (key == "mute")
        return parseBool(value, s.muted);
    if (key == "fullscreen")
        return parseBool(value, s.fullscreen);
    if (key == "overlay")
        return parseBool(value, s.overlay);
    if (key == "assist")
        return parseBool(value, s.assist);
    return true; // a key of a later version: not ours to judge
}

} // namespace

bool Settings::validSize(long long w, long long h)
{
    return w >= MIN_WIDTH && h >= MIN_HEIGHT && w <= MAX_SIDE && h <= MAX_SIDE;
}

std::string Settings::toText() const
{
    std::ostringstream out;
    out << SECTION << "\n"
        << "volume=" << volume << "\n"
        << "mute=" << (muted ? 1 : 0) << "\n"
        << "fullscreen=" << (fullscreen ? 1 : 0) << "\n"
        << "width=" << width << "\n"
        << "height=" << height << "\n"
        << "overlay=" << (overlay ? 1 : 0) << "\n"
        << "assist=" << (assist ? 1 : 0) << "\n";
    return out.str();
}

Settings Settings::fromText(const std::string& text, std::string& problem)
{
    Settings s;
    problem.clear();
    long long width = s.width;
    long long height = s.height;
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';' || line[0] == '[')
            continue;
        const std::size_t equals = line.find('=');
        std::string key = line.substr(0, equals);
        std::string value = equals == std::string::npos ? std::string() : line.substr(equals + 1);
        trim(key);
        trim(value);
        const bool ok = equals != std::string::npos && applyKey(s, key, value, width, height);
        if (!ok && problem.empty())
            problem = "line " + std::to_string(number) + " (" + line.substr(0, 40) + ")";
    }
    if (validSize(width, height)) {
        s.width = static_cast<unsigned>(width);
        s.height = static_cast<unsigned>(height);
    } else if (problem.empty()) {
        problem = "window size " + std::to_string(width) + " x " + std::to_string(height);
    }
    return s;
}

bool Settings::operator==(const Settings& o) const
{
    return volume == o.volume && muted == o.muted && fullscreen == o.fullscreen && width == o.width &&
           height == o.height && overlay == o.overlay && assist == o.assist;
}
