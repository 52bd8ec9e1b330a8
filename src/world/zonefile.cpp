#include "world/zonefile.h"

#include "core/binaryio.h"
#include "world/kinds.h"

#include <cmath>
#include <set>
#include <sstream>

namespace zonefile {
namespace {

// Smallest sizes of the records, to test counts against the bytes left before believing them.
const std::size_t TILE_BYTES = 12;
const std::size_t ENTITY_MIN = 20;
const std::size_t EVENT_MIN = 20;
const std::size_t LINE_MIN = 12;

// What the texts are called in the reasons for refusing them.
const char* const NAME = "the zone name";
const char* const LINE = "a dialog line";

bool checkLength(const std::string& text, std::size_t most, const char* what, std::string& why)
{
    if (text.size() <= most)
        return true;
    why = tooLong(what, static_cast<long long>(text.size()), most);
    return false;
}

bool decodeEvent(ByteChecker& c, Event& event)
{
    int32_t lineCount = 0;
    if (!c.int32(event.type, "an event") || !c.int32(lineCount, "an event"))
        return false;
    if (!c.fits(lineCount, LINE_MIN))
        return c.fail("dialog line count " + std::to_string(lineCount) + " is more than the file holds");
    event.dialogLines.resize(static_cast<std::size_t>(lineCount));
    for (DialogLine& line : event.dialogLines) {
        int32_t portraitId = 0, portraitPos = 0;
        if (!c.string(line.text, LINE, MAX_TEXT))
            return false;
        if (!c.int32(portraitId, "a dialog line") || !c.int32(portraitPos, "a dialog line"))
            return false;
        line.portraitId = portraitId;
        line.portraitPos = portraitPos;
    }
    int32_t entityId = 0, destY = 0, destX = 0;
    if (!c.int32(entityId, "an event") || !c.int32(destY, "an event") || !c.int32(destX, "an event"))
        return false;
    event.entityId = entityId;
    event.destY = destY;
    event.destX = destX;
    return true;
}

bool decodeEntity(ByteChecker& c, EntityRecord& e)
{
    if (!c.int32(e.type, "an entity"))
        return false;
    const Kind* kind = kinds::find(e.type);
    if (kind == nullptr || kind->layout == RecordLayout::NONE)
        return c.fail("unknown entity type " + std::to_string(e.type));
    if (!c.int32(e.id, "an entity") || !c.float32(e.x, "an entity") || !c.float32(e.y, "an entity")
        || !c.float32(e.radius, "an entity"))
        return false;
    if (kind->layout == RecordLayout::PROP)
        return c.int32(e.image, "a prop");
    if (kind->layout != RecordLayout::TRIGGER)
        return true;
    int32_t eventCount = 0;
    if (!c.bool8(e.fireOnEnter, "a trigger") || !c.int32(e.uses, "a trigger") || !c.int32(e.team, "a trigger")
        || !c.int32(eventCount, "a trigger"))
        return false;
    if (!c.fits(eventCount, EVENT_MIN))
        return c.fail("trigger event count " + std::to_string(eventCount) + " is more than the file holds");
    e.events.resize(static_cast<std::size_t>(eventCount));
    for (Event& event : e.events)
        if (!decodeEvent(c, event))
            return false;
    return true;
}

// The count and the records; at is the start of the record that failed.
bool decodeList(ByteChecker& c, std::vector<EntityRecord>& entities, std::size_t& at)
{
    int32_t count = 0;
    at = c.offset();
    if (!c.int32(count, "the entity count"))
        return false;
    if (!c.fits(count, ENTITY_MIN))
        return c.fail("entity count " + std::to_string(count) + " is more than the file holds");
    entities.resize(static_cast<std::size_t>(count));
    for (EntityRecord& e : entities) {
        at = c.offset();
        if (!decodeEntity(c, e))
            return false;
    }
    return true;
}

void encodeEntity(std::ostream& out, const EntityRecord& e)
{
    writeInt32(out, e.type);
    writeInt32(out, e.id);
    writeFloat32(out, e.x);
    writeFloat32(out, e.y);
    writeFloat32(out, e.radius);
    const Kind* kind = kinds::find(e.type);
    const RecordLayout layout = kind != nullptr ? kind->layout : RecordLayout::PLAIN;
    if (layout == RecordLayout::PROP)
        writeInt32(out, e.image);
    if (layout != RecordLayout::TRIGGER)
        return;
    writeBool8(out, e.fireOnEnter);
    writeInt32(out, e.uses);
    writeInt32(out, e.team);
    writeInt32(out, static_cast<int32_t>(e.events.size()));
    for (const Event& event : e.events) {
        writeInt32(out, event.type);
        writeInt32(out, static_cast<int32_t>(event.dialogLines.size()));
        for (const DialogLine& line : event.dialogLines) {
            writeString(out, line.text);
            writeInt32(out, line.portraitId);
            writeInt32(out, line.portraitPos);
        }
        writeInt32(out, event.entityId);
        writeInt32(out, event.destY);
        writeInt32(out, event.destX);
    }
}

} // namespace

bool validSize(long long width, long long height)
{
    return width >= 1 && height >= 1 && width <= MAX_SIDE && height <= MAX_SIDE && width * height <= MAX_TILES;
}

bool validId(long long id) { return id >= 0 && id < MAX_ENTITIES; }

bool validPlace(const EntityRecord& e)
{
    return std::isfinite(e.x) && std::isfinite(e.y) && std::fabs(e.x) <= MAX_COORDINATE
        && std::fabs(e.y) <= MAX_COORDINATE && std::isfinite(e.radius) && e.radius >= 0 && e.radius <= MAX_RADIUS;
}

bool checkDialogText(const std::string& text, std::string& why) { return checkLength(text, MAX_TEXT, LINE, why); }

bool checkName(const std::string& name, std::string& why) { return checkLength(name, MAX_NAME, NAME, why); }

int32_t finalId(const EntityRecord& e) { return e.type == KindTypes::TYPE_PLAYER ? 0 : e.id; }

bool decode(const std::string& bytes, ZoneData& zone, std::string& why, std::size_t* at)
{
    ByteChecker c(bytes);
    ZoneData z;
    std::size_t failedAt = 0;
    bool ok = c.int32(z.id, "the header") && c.string(z.name, NAME, MAX_NAME) && c.int32(z.width, "the header")
           && c.int32(z.height, "the header");
    if (ok && !validSize(z.width, z.height))
        ok = c.fail("impossible size " + std::to_string(z.width) + " x " + std::to_string(z.height));
    if (ok && !c.fits(static_cast<long long>(z.width) * z.height, TILE_BYTES))
        ok = c.fail("the file ends inside its tiles");
    if (ok) {
        z.tiles.resize(static_cast<std::size_t>(z.width) * static_cast<std::size_t>(z.height));
        for (TileRecord& t : z.tiles)
            if (!c.int32(t.type, "a tile") || !c.int32(t.texture, "a tile") || !c.int32(t.link, "a tile")) {
                ok = false;
                break;
            }
    }
    failedAt = c.offset();
    if (ok)
        ok = decodeList(c, z.entities, failedAt);
    if (!ok) {
        why = c.why;
        if (at != nullptr)
            *at = failedAt;
        return false;
    }
    z.trailing = bytes.substr(c.offset());
    zone = std::move(z);
    return true;
}

bool decodeEntities(const std::string& bytes, std::vector<EntityRecord>& entities, std::string& why)
{
    ByteChecker c(bytes);
    std::size_t at = 0;
    std::vector<EntityRecord> decoded;
    if (!decodeList(c, decoded, at)) {
        why = c.why;
        return false;
    }
    entities = std::move(decoded);
    return true;
}

std::string encode(const ZoneData& zone)
{
    std::ostringstream out;
    writeInt32(out, zone.id);
    writeString(out, zone.name);
    writeInt32(out, zone.width);
    writeInt32(out, zone.height);
    for (const TileRecord& t : zone.tiles) {
        writeInt32(out, t.type);
        writeInt32(out, t.texture);
        writeInt32(out, t.link);
    }
    out << encodeEntities(zone.entities) << zone.trailing;
    return out.str();
}

std::string encodeEntities(const std::vector<EntityRecord>& entities)
{
    std::ostringstream out;
    writeInt32(out, static_cast<int32_t>(entities.size()));
    for (const EntityRecord& e : entities)
        encodeEntity(out, e);
    return out.str();
}

bool check(const std::vector<EntityRecord>& entities, int propsLoaded, std::string& why)
{
    std::set<int32_t> ids;
    int players = 0;
    why.clear();
    for (const EntityRecord& e : entities) {
        const Kind* kind = kinds::find(e.type);
        if (kind == nullptr || kind->layout == RecordLayout::NONE)
            why = "unknown entity type " + std::to_string(e.type);
        else if (!validId(e.id))
            why = "entity id " + std::to_string(e.id) + " is out of range";
        else if (!validPlace(e))
            why = "entity " + std::to_string(e.id) + " has an impossible position or radius";
        else if (e.type == KindTypes::TYPE_PLAYER && ++players > 1)
            why = "more than one player";
        else if (!ids.insert(finalId(e)).second)
            why = "entity id " + std::to_string(finalId(e)) + " is used twice";
        else if (kind->layout == RecordLayout::PROP && (e.image < 0 || e.image >= propsLoaded))
            why = "prop number " + std::to_string(e.image) + " is not loaded";
        if (!why.empty())
            return false;
    }
    return true;
}

} // namespace zonefile
