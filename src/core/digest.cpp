#include "core/digest.h"

#include <cstring>

Digest& Digest::bytes(const void* data, std::size_t size)
{
    const unsigned char* at = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        state = (state ^ at[i]) * 1099511628211ull;
    return *this;
}

Digest& Digest::integer(long long value)
{
    unsigned char little[8];
    const unsigned long long bits = static_cast<unsigned long long>(value);
    for (int i = 0; i < 8; ++i)
        little[i] = static_cast<unsigned char>(bits >> (8 * i));
    return bytes(little, sizeof little);
}

Digest& Digest::real(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return integer(static_cast<long long>(bits));
}

Digest& Digest::text(const std::string& value)
{
    integer(static_cast<long long>(value.size()));
    return bytes(value.data(), value.size());
}

std::uint64_t Digest::of(const std::string& data) { return Digest().bytes(data.data(), data.size()).value(); }
