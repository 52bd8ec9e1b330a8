#include "world/kinds.h"

namespace kinds {
namespace {

// Rows by type value: asked for in every contact, so no search.
std::vector<const Kind*> indexByType()
{
    std::vector<const Kind*> byType;
    for (const Kind& kind : TABLE) {
        if (static_cast<std::size_t>(kind.type) >= byType.size())
            byType.resize(static_cast<std::size_t>(kind.type) + 1, nullptr);
        byType[static_cast<std::size_t>(kind.type)] = &kind;
    }
    return byType;
}

} // namespace

const std::vector<Kind>& all() { return TABLE; }

const Kind* find(int type)
{
    static const std::vector<const Kind*> byType = indexByType();
    return type >= 0 && static_cast<std::size_t>(type) < byType.size() ? byType[static_cast<std::size_t>(type)]
                                                                        : nullptr;
}

const Kind* findWord(const std::string& word)
{
    for (const Kind& kind : TABLE)
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
    for (const Kind& kind : TABLE)
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
