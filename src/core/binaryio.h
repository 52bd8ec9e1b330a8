#pragma once
// Zone-file encoding: little-endian ints and floats, one-byte bools, length-prefixed strings.
// Bytes are assembled by hand so files read the same on any host.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <sstream>
#include <string>

void writeInt32(std::ostream& out, int32_t value);
void writeFloat32(std::ostream& out, float value);
void writeBool8(std::ostream& out, bool value);
void writeString(std::ostream& out, const std::string& value);

// Each reader returns false on a short read and then leaves value untouched.
bool readInt32(std::istream& in, int32_t& value);
bool readFloat32(std::istream& in, float& value);
bool readBool8(std::istream& in, bool& value);
// Also false for a negative length or one above maxLength, so a corrupt count never
// decides how much gets allocated.
bool readString(std::istream& in, std::string& value, std::size_t maxLength);

// The reason given for a text of length bytes where at most most are allowed.
std::string tooLong(const std::string& what, long long length, std::size_t most);

// Reads fields from bytes held in memory, checking every count against what is left before
// it is believed, and keeps the first reason a read failed. Zone files are checked whole
// with it before anything is built from them.
class ByteChecker {
public:
    explicit ByteChecker(const std::string& bytesIn);

    std::size_t offset();
    std::size_t remaining();
    // True when count records of at least each bytes can still follow.
    bool fits(long long count, std::size_t each);

    // what names the thing being read, for the failure reason.
    bool int32(int32_t& value, const char* what);
    bool float32(float& value, const char* what);
    bool bool8(bool& value, const char* what);
    // Refused before any of it is copied when longer than most.
    bool string(std::string& value, const char* what, std::size_t most = SIZE_MAX);
    // Always false; keeps the first reason given.
    bool fail(const std::string& reason);

    const std::string& bytes;
    std::istringstream in;
    std::string why;
};
