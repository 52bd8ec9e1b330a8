// Any bytes as a recovery file waiting in the level folder, under one of the names the
// editor reads and some it must not: what it offers must be named as its files are, and
// reading an offer either refuses it with a reason or gives the zone its name promises.
// Any bytes as a file name go through the name reader too.
//
// The first byte picks the file's name, the rest is its content.

#include "fuzzsupport.h"

#include "editor/recoveryfile.h"
#include "world/zone.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

namespace {

const char* const NAMES[] = {
    "5.zn.recovery", "unsaved.zn.recovery", "5.zn.recovery.7", "0.zn.recovery.99", "5.zn.recovery.100",
    "x.zn.recovery", "5.zn.recovery.tmp.Ab3x9Q", "123456789.zn.recovery", "05.zn.recovery", "5.zn",
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    using fuzzsupport::fail;
    if (size == 0)
        return 0;
    const std::string name = NAMES[data[0] % (sizeof NAMES / sizeof NAMES[0])];
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string path = "resources/lvl/" + name;
    fuzzsupport::writeFile(path, bytes);

    int named = 0;
    const bool ours = RecoveryFile::idOfName(name, named);
    const std::vector<RecoveryFile::Offer> offers = RecoveryFile::findOffers();
    if (offers.size() != (ours ? 1u : 0u))
        fail("a file was offered that is not a recovery file, or one was passed over");
    for (const RecoveryFile::Offer& offer : offers) {
        if (offer.path != path || offer.zoneId != named)
            fail("an offer names another file or zone than its file");
        std::string why;
        std::unique_ptr<Zone> zone(RecoveryFile::read(offer, why));
        if (!zone && why.empty())
            fail("a refused offer gives no reason");
        if (zone && zone->id != offer.zoneId)
            fail("an offer gave another zone than its name promises");
        if (RecoveryFile::timeText(offer.written, std::time(nullptr)).empty())
            fail("an offer has no time");
    }
    std::remove(path.c_str());

    int id = 0;
    if (RecoveryFile::idOfName(std::string(reinterpret_cast<const char*>(data), size), id)
        && (id < RecoveryFile::NO_ID || id > 999999999))
        fail("a name gave an impossible zone id");
    return 0;
}
