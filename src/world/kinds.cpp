#include "world/kinds.h"

namespace kinds {
namespace {

using K = KindTypes;

// One row per kind. The editor lists the kinds it stamps in this order.
const std::vector<Kind> KINDS = {
    {K::TYPE_UNIT, nullptr, nullptr, RecordLayout::NONE, true, Stamp::NO, nullptr, {}},
    {K::TYPE_PLAYER, "Player", "player", RecordLayout::PLAIN, true, Stamp::BY_KIND, "resources/gfx/otaku/otaku_",
     {"idle_downright", "idle_upright", "punch_downright", "punch_upright", "walk_downright", "walk_upright",
      "spinkick_downright", "spinkick_upright", "throw_downright", "throw_upright", "death_downright",
      "death_upright", "hurt_downright", "hurt_upright"}},
    {K::TYPE_MALE_PEDESTRIAN, "Male Pedestrian", "pedestrian", RecordLayout::PLAIN, true, Stamp::BY_KIND,
     "resources/gfx/male_pedestrian/",
     {"spin_downright", "spin_upright", "throw_downright", "throw_upright", "walking_downright",
      "walking_upright"}},
    {K::TYPE_CLERK, "Clerk", "clerk", RecordLayout::PLAIN, true, Stamp::BY_KIND, "resources/gfx/clerk/clerk_",
     {"walk_downright", "walk_upright"}},
    // The robber's two walk sheets really are named differently.
    {K::TYPE_ROBBER, "Robber", "robber", RecordLayout::PLAIN, true, Stamp::BY_KIND,
     "resources/gfx/robber/gangster_",
     {"idle_downright", "idle_upright", "walking_downright", "walk_upright", "punch_downright", "punch_upright",
      "spin_downright", "spin_upright", "hurt_downright", "hurt_upright", "death_downright", "death_upright"}},
    {K::TYPE_COMBAT, nullptr, nullptr, RecordLayout::NONE, false, Stamp::NO, nullptr, {}},
    {K::TYPE_DUST, nullptr, nullptr, RecordLayout::NONE, false, Stamp::NO, nullptr, {}},
    {K::TYPE_DOODAD, nullptr, "prop", RecordLayout::PROP, false, Stamp::BY_PROP, nullptr, {}},
    {K::TYPE_TRASHCAN, nullptr, nullptr, RecordLayout::NONE, false, Stamp::NO, nullptr, {}},
    {K::TYPE_TRIGGER, nullptr, "trigger", RecordLayout::TRIGGER, false, Stamp::NO, nullptr, {}},
    {K::TYPE_TEST_ENTITY, nullptr, nullptr, RecordLayout::NONE, false, Stamp::NO, nullptr, {}},
};

// Rows by type value: asked for in every contact, so no search.
std::vector<const Kind*> indexByType()
{
    std::vector<const Kind*> byType;
    for (const Kind& kind : KINDS) {
        if (static_cast<std::size_t>(kind.type) >= byType.size())
            byType.resize(static_cast<std::size_t>(kind.type) + 1, nullptr);
        byType[static_cast<std::size_t>(kind.type)] = &kind;
    }
    return byType;
}

} // namespace

const std::vector<Kind>& all() { return KINDS; }

const Kind* find(int type)
{
    static const std::vector<const Kind*> byType = indexByType();
    return type >= 0 && static_cast<std::size_t>(type) < byType.size() ? byType[static_cast<std::size_t>(type)]
                                                                        : nullptr;
}

const Kind* findWord(const std::string& word)
{
    for (const Kind& kind : KINDS)
        if (kind.word != nullptr && word == kind.word)
            return &kind;
    return nullptr;
}

const char* name(int type)
{
    const Kind* kind = find(type);
    return kind != nullptr && kind->name != nullptr ? kind->name : "Unknown Entity Type";
}

bool isUnit(int type)
{
    const Kind* kind = find(type);
    return kind != nullptr && kind->unit;
}

bool inFiles(int type)
{
    const Kind* kind = find(type);
    return kind != nullptr && kind->layout != RecordLayout::NONE;
}

std::vector<std::string> sheetPaths()
{
    std::vector<std::string> paths;
    for (const Kind& kind : KINDS)
        for (const char* sheetName : kind.sheets)
            paths.push_back(std::string(kind.sheetPrefix) + sheetName + ".png");
    return paths;
}

std::string sheet(int type, const std::string& sheetName)
{
    const Kind* kind = find(type);
    return kind != nullptr && kind->sheetPrefix != nullptr ? kind->sheetPrefix + sheetName + ".png" : sheetName;
}

} // namespace kinds
