#include "app/settings.h"

#include "core/globals.h"
#include "core/printable.h"

#include <algorithm>
#include <cctype>
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

// The window's size and place as read, judged together once every line is read.
struct Window {
    long long width;
    long long height;
    long long x = 0;
    long long y = 0;
    int placeKeys = 0;
};

// Applies one key; false when the value is not one the key takes.
bool applyKey(Settings& s, const std::string& key, const std::string& value, Window& window)
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
        (key == "width" ? window.width : window.height) = number;
        return true;
    }
    if (key == "x" || key == "y") {
        if (!parseNumber(value, number) || number < -Settings::MAX_PLACE || number > Settings::MAX_PLACE)
            return false;
        (key == "x" ? window.x : window.y) = number;
        window.placeKeys |= key == "x" ? 1 : 2;
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
    if (placed)
        out << "x=" << x << "\n"
            << "y=" << y << "\n";
    return out.str();
}

Settings Settings::fromText(const std::string& text, std::string& problem)
{
    Settings s;
    problem.clear();
    Window window{s.width, s.height};
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
        const bool ok = equals != std::string::npos && applyKey(s, key, value, window);
        if (!ok && problem.empty())
            problem = "line " + std::to_string(number) + " (" + printable(line.substr(0, 40)) + ")";
    }
    if (validSize(window.width, window.height)) {
        s.width = static_cast<unsigned>(window.width);
        s.height = static_cast<unsigned>(window.height);
    } else if (problem.empty()) {
        problem = "window size " + std::to_string(window.width) + " x " + std::to_string(window.height);
    }
    // A place needs both numbers.
    s.placed = window.placeKeys == 3;
    if (s.placed) {
        s.x = static_cast<int>(window.x);
        s.y = static_cast<int>(window.y);
    }
    return s;
}

bool Settings::isSettingsText(const std::string& text)
{
    for (char c : text)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\r' && c != '\t') || c == 0x7f)
            return false;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';' || line == SECTION)
            continue;
        std::string key = line.substr(0, line.find('='));
        trim(key);
        const bool plainKey = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
        });
        if (line.find('=') == std::string::npos || !plainKey)
            return false;
    }
    return true;
}

Settings Settings::fittedTo(unsigned screenWidth, unsigned screenHeight) const
{
    Settings fitted = *this;
    if (screenWidth == 0 || screenHeight == 0)
        return fitted;
    fitted.width = std::min(std::max(width, START_MIN_WIDTH), screenWidth);
    fitted.height = std::min(std::max(height, START_MIN_HEIGHT), screenHeight);
    if (placed) {
        fitted.x = std::clamp(x, 0, static_cast<int>(screenWidth - fitted.width));
        fitted.y = std::clamp(y, 0, static_cast<int>(screenHeight - fitted.height));
    }
    return fitted;
}

bool Settings::operator==(const Settings& o) const
{
    return volume == o.volume && muted == o.muted && fullscreen == o.fullscreen && width == o.width &&
           height == o.height && overlay == o.overlay && assist == o.assist && placed == o.placed &&
           (!placed || (x == o.x && y == o.y));
}
