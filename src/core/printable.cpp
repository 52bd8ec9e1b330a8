#include "core/printable.h"

#include <cstdio>

namespace {

std::string escaped(unsigned char byte)
{
    switch (byte) {
    case '\0': return "\\0";
    case '\t': return "\\t";
    case '\n': return "\\n";
    case '\r': return "\\r";
    default: break;
    }
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02x", byte);
    return text;
}

// The length of the well-formed UTF-8 sequence at the start of s, 0 if there is none.
std::size_t sequenceAt(const std::string& s, std::size_t at)
{
    const unsigned char lead = static_cast<unsigned char>(s[at]);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xbf; // the range of the second byte
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf; // no surrogates
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (at + length > s.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[at + i]);
        if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xbf))
            return 0;
    }
    // U+0080 to U+009F: terminals take these as controls too.
    if (lead == 0xc2 && static_cast<unsigned char>(s[at + 1]) <= 0x9f)
        return 0;
    return length;
}

} // namespace

std::string printable(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t length = c >= 0x80 ? sequenceAt(bytes, i) : 0;
        if (length == 0) {
            out += escaped(c);
            ++i;
        } else {
            out.append(bytes, i, length);
            i += length;
        }
    }
    return out;
}
