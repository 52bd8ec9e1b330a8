#pragma once
// A 64-bit FNV-1a hash, fed piece by piece: what a replay keeps of a zone file and of the
// world at a checkpoint, and the check on each block of a replay file. Not a defence
// against anyone forging a file, only a sure sign that something changed.

#include <cstddef>
#include <cstdint>
#include <string>

class Digest final {
public:
    Digest& bytes(const void* data, std::size_t size);
    Digest& integer(long long value);
    // By its bits, so that -0 and 0, or two NaNs, are told apart as the game tells them.
    Digest& real(float value);
    Digest& text(const std::string& value);

    std::uint64_t value() const { return state; }
    static std::uint64_t of(const std::string& data);

private:
    std::uint64_t state = 14695981039346656037ull;
};
