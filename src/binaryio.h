#pragma once
// Zone-file encoding: little-endian ints and floats, one-byte bools, length-prefixed strings.
// Bytes are assembled by hand so files read the same on any host.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
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
