#include "core/binaryio.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <ostream>

void writeInt32(std::ostream& out, int32_t value)
{
    const uint32_t u = static_cast<uint32_t>(value);
    const char bytes[4] = {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
                           static_cast<char>((u >> 16) & 0xFF), static_cast<char>((u >> 24) & 0xFF)};
    out.write(bytes, 4);
}

void writeFloat32(std::ostream& out, float value)
{
    static_assert(sizeof(float) == 4, "zone files need 4-byte floats");
    uint32_t u = 0;
    std::memcpy(&u, &value, 4);
    writeInt32(out, static_cast<int32_t>(u));
}

void writeBool8(std::ostream& out, bool value)
{
    out.put(value ? 1 : 0);
}

void writeString(std::ostream& out, const std::string& value)
{
    writeInt32(out, static_cast<int32_t>(value.size()));
    out.write(value.data(), static_cast<std::streamsize>(value.size()));
}

namespace {

bool readUInt32(std::istream& in, uint32_t& value)
{
    unsigned char bytes[4];
    if (!in.read(reinterpret_cast<char*>(bytes), 4))
        return false;
    value = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8)
          | (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return true;
}

} // namespace

bool readInt32(std::istream& in, int32_t& value)
{
    uint32_t u = 0;
    if (!readUInt32(in, u))
        return false;
    value = static_cast<int32_t>(u);
    return true;
}

bool readFloat32(std::istream& in, float& value)
{
    uint32_t u = 0;
    if (!readUInt32(in, u))
        return false;
    std::memcpy(&value, &u, 4);
    return true;
}

bool readBool8(std::istream& in, bool& value)
{
    char c = 0;
    if (!in.get(c))
        return false;
    value = c != 0;
    return true;
}

bool readString(std::istream& in, std::string& value, std::size_t maxLength)
{
    int32_t n = 0;
    if (!readInt32(in, n) || n < 0 || static_cast<std::size_t>(n) > maxLength)
        return false;
    std::string text(static_cast<std::size_t>(n), '\0');
    if (n > 0 && !in.read(&text[0], n))
        return false;
    value.swap(text);
    return true;
}

std::string tooLong(const std::string& what, long long length, std::size_t most)
{
    return what + " is " + std::to_string(length) + " bytes long, more than " + std::to_string(most);
}

ByteChecker::ByteChecker(const std::string& bytesIn) : bytes(bytesIn), in(bytesIn) {}

std::size_t ByteChecker::offset()
{
    const std::streamoff at = in.tellg();
    return at < 0 ? bytes.size() : static_cast<std::size_t>(at);
}

std::size_t ByteChecker::remaining() { return bytes.size() - offset(); }

bool ByteChecker::fits(long long count, std::size_t each)
{
    return count >= 0 && static_cast<unsigned long long>(count) <= remaining() / each;
}

bool ByteChecker::int32(int32_t& value, const char* what)
{
    return readInt32(in, value) || fail(std::string("the file ends inside ") + what);
}

bool ByteChecker::float32(float& value, const char* what)
{
    return readFloat32(in, value) || fail(std::string("the file ends inside ") + what);
}

bool ByteChecker::bool8(bool& value, const char* what)
{
    char c = 0;
    if (!in.get(c))
        return fail(std::string("the file ends inside ") + what);
    // Only 0 and 1 are written; anything else means the record is not what it claims.
    if (c != 0 && c != 1)
        return fail(std::string(what) + " holds a flag byte of " + std::to_string(static_cast<unsigned char>(c)));
    value = c == 1;
    return true;
}

bool ByteChecker::string(std::string& value, const char* what, std::size_t most)
{
    const std::size_t start = offset();
    const std::size_t left = remaining();
    if (readString(in, value, std::min(most, left >= 4 ? left - 4 : 0)))
        return true;
    in.clear();
    in.seekg(static_cast<std::streamoff>(start));
    int32_t n = 0;
    if (!readInt32(in, n))
        return fail(std::string("the file ends inside ") + what);
    in.setstate(std::ios::failbit);
    if (n >= 0 && static_cast<std::size_t>(n) > most)
        return fail(tooLong(what, n, most));
    return fail(std::string(what) + " has length " + std::to_string(n) + ", more than the file holds");
}

bool ByteChecker::fail(const std::string& reason)
{
    if (why.empty())
        why = reason;
    return false;
}
