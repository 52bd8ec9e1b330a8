#pragma once
// Every kind of entity in one table: its type value, what the editor and the zone text call
// it, what follows its common fields in a zone file, and the images it needs. Plain data, so
// the zone tool reads it without linking any of the game's objects. How to make one is not
// here: each kind's own source registers its maker with the entity manager.

#include <string>
#include <vector>

// The type values, as zone files store them. Entity inherits them (Entity::TYPE_PLAYER).
struct KindTypes {
    enum {
        TYPE_UNIT = 0,
        TYPE_PLAYER = 1,
        TYPE_MALE_PEDESTRIAN = 2,
        TYPE_CLERK = 3,
        TYPE_ROBBER = 4,
        TYPE_COMBAT = 7,
        TYPE_DUST = 8,
        TYPE_DOODAD = 10,
        TYPE_TRASHCAN = 11,
        TYPE_TRIGGER = 13,
        TYPE_TEST_ENTITY = 14
    };
};

// What a zone file holds after a record's common fields (type, id, x, y, radius).
enum class RecordLayout {
    NONE,    // no zone file holds this kind
    PLAIN,   // nothing more
    PROP,    // the prop number
    TRIGGER, // the trigger's flags and its events
};

// How the editor's entity mode offers a kind.
enum class Stamp {
    NO,
    BY_KIND,  // one line in the stamp list
    BY_PROP,  // one line per prop image
};

struct Kind {
    int type;
    const char* name;          // the editor's list; null for kinds it never names
    const char* word;          // the zone text's word; null when no file holds the kind
    RecordLayout layout;
    bool unit;
    Stamp stamp;
    const char* sheetPrefix;   // its character sheets are sheetPrefix + a name + ".png"
    std::vector<const char*> sheets;
    // 0xRRGGBB of the flat shape it shows where a wall block hides it; none for -1.
    long silhouette = -1;
};

// The scenery props, by prop number: image, origin in the image, and the name the zone
// text shows.
struct PropImage {
    const char* path;
    int originX;
    int originY;
    const char* name;
};

inline constexpr PropImage PROP_IMAGES[] = {
    {"resources/gfx/doodads/street_lamp_downright.png", 119, 356, "street lamp, down-right"},
    {"resources/gfx/doodads/street_lamp_upright.png", 119, 356, "street lamp, up-right"},
    {"resources/gfx/doodads/trashcan.png", 128, 172, "trash can"},
    {"resources/gfx/doodads/car_downright.png", 90, 170, "car, down-right"},
    {"resources/gfx/doodads/car_upright.png", 166, 170, "car, up-right"},
    {"resources/gfx/doodads/chair_downright.png", 119, 207, "chair, down-right"},
    {"resources/gfx/doodads/chair_upright.png", 119, 207, "chair, up-right"},
    {"resources/gfx/doodads/counter.png", 64, 128, "counter"},
    {"resources/gfx/doodads/fridge_downright.png", 112, 196, "fridge, down-right"},
    {"resources/gfx/doodads/fridge_upright.png", 112, 196, "fridge, up-right"},
    {"resources/gfx/doodads/monitor_downright.png", 123, 210, "monitor, down-right"},
    {"resources/gfx/doodads/monitor_upright.png", 123, 210, "monitor, up-right"},
};
inline constexpr int PROP_COUNT = static_cast<int>(sizeof(PROP_IMAGES) / sizeof(PROP_IMAGES[0]));

namespace kinds {

// One row per kind, in type order. The editor lists the kinds it stamps in this order.
inline const std::vector<Kind> TABLE = {
    {KindTypes::TYPE_UNIT, nullptr, nullptr, RecordLayout::NONE, true, Stamp::NO, nullptr, {}},
    {KindTypes::TYPE_PLAYER, "Player", "player", RecordLayout::PLAIN, true, Stamp::BY_KIND, "resources/gfx/otaku/otaku_",
     {"idle_downright", "idle_upright", "punch_downright", "punch_upright", "walk_downright", "walk_upright",
      "spinkick_downright", "spinkick_upright", "throw_downright", "throw_upright", "death_downright",
      "death_upright", "hurt_downright", "hurt_upright"},
     0xE38D60}, // the light on his hoodie
    {KindTypes::TYPE_MALE_PEDESTRIAN, "Male Pedestrian", "pedestrian", RecordLayout::PLAIN, true, Stamp::BY_KIND,
     "resources/gfx/male_pedestrian/",
     {"spin_downright", "spin_upright", "throw_downright", "throw_upright", "walking_downright",
      "walking_upright"},
     0x7AACD0}, // the shirt
    {KindTypes::TYPE_CLERK, "Clerk", "clerk", RecordLayout::PLAIN, true, Stamp::BY_KIND, "resources/gfx/clerk/clerk_",
     {"walk_downright", "walk_upright"},
     0x3E7C62}, // the apron
    // The robber's two walk sheets really are named differently.
    {KindTypes::TYPE_ROBBER, "Robber", "robber", RecordLayout::PLAIN, true, Stamp::BY_KIND,
     "resources/gfx/robber/gangster_",
     {"idle_downright", "idle_upright", "walking_downright", "walk_upright", "punch_downright", "punch_upright",
      "spin_downright", "spin_upright", "hurt_downright", "hurt_upright", "death_downright", "death_upright"},
     0x221E26}, // the balaclava: a dark figure on any wall
    {KindTypes::TYPE_COMBAT, nullptr, nullptr, RecordLayout::NONE, false, Stamp::NO, nullptr, {}},
    {KindTypes::TYPE_DUST, nullptr, nullptr, RecordLayout::NONE, false, Stamp::NO, nullptr, {}},
    {KindTypes::TYPE_DOODAD, nullptr, "prop", RecordLayout::PROP, false, Stamp::BY_PROP, nullptr, {}},
    {KindTypes::TYPE_TRASHCAN, nullptr, nullptr, RecordLayout::NONE, false, Stamp::NO, nullptr, {}},
    {KindTypes::TYPE_TRIGGER, nullptr, "trigger", RecordLayout::TRIGGER, false, Stamp::NO, nullptr, {}},
    {KindTypes::TYPE_TEST_ENTITY, nullptr, nullptr, RecordLayout::NONE, false, Stamp::NO, nullptr, {}},
};

// Every kind, in type order.
const std::vector<Kind>& all();
// Null for a type value no kind has.
const Kind* find(int type);
const Kind* findWord(const std::string& word);
const char* name(int type);
bool isUnit(int type);
// True when a zone file may hold the type.
bool inFiles(int type);
// Every character sheet path, kind by kind.
std::vector<std::string> sheetPaths();
// The path of one of a kind's sheets.
std::string sheet(int type, const std::string& name);

} // namespace kinds
