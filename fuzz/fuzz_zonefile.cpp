// Any bytes through the zone file codec alone, without the game: a refusal must give a
// reason, and whatever decodes must encode to the very same bytes and decode again to the
// same data. Links only the codec and the kind table, as the zone tool does.

#include "world/zonefile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "FUZZ FAILURE: %s\n", what);
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    zonefile::ZoneData zone;
    std::string why;
    if (!zonefile::decode(bytes, zone, why)) {
        if (why.empty())
            fail("a refusal without a reason");
        return 0;
    }
    const std::string again = zonefile::encode(zone);
    if (again != bytes)
        fail("decoded bytes do not encode back the same");
    zonefile::ZoneData twice;
    if (!zonefile::decode(again, twice, why) || zonefile::encode(twice) != again)
        fail("encoded bytes do not decode back the same");
    return 0;
}
