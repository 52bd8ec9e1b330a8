// The editor's side of zone packs: which pack it works in, making a new one or a folder
// copy of the current one, and checking the zone it holds against the rest of its pack.

#include "editor/stateeditor.h"

#include "core/printable.h"
#include "world/levelfolder.h"
#include "world/pack.h"
#include "world/packcheck.h"
#include "world/zone.h"

#include <filesystem>
#include <map>

namespace {

const char* const MSG_PACK = "Pack \"%s\" (%s): %s";
const char* const MSG_BUILT_IN = "built in";
const char* const MSG_FOLDER = "folder";
const char* const MSG_ARCHIVE = ".zip, read only";
const char* const MSG_NO_PACKS_FOLDER = "There is no folder for packs: neither XDG_DATA_HOME nor HOME is set.";
const char* const MSG_BAD_NAME = "Not a pack name: %s.";
const char* const MSG_NOT_MADE = "No pack made in %s: %s.";
const char* const MSG_MADE = "Made the pack \"%s\" in %s: zones save there now.";
const char* const MSG_COPIED = "Copied \"%s\" into the folder pack \"%s\" in %s: zones save there now.";
const char* const MSG_PACK_WORD = "pack, pack new <name> or pack copy <name>";
const char* const MSG_REREAD = "%s; still working in it as it was.";
const char* const MSG_READ_ONLY = "Not saved: the pack \"%s\" is a .zip and read only. pack copy <name> unpacks it into a folder pack to save in.";
const char* const MSG_PROBLEM = "%s";
const char* const MSG_NO_PROBLEMS = "Zone %d: no problems in the pack \"%s\".";
const char* const MSG_PROBLEMS = "Zone %d: %d problem%s in the pack \"%s\".";
// The pack.ini of a new pack: its first zone starts and ends it until the designer says more.
const char* const NEW_VERSION = "1";

const char* kindText(Pack::Kind kind)
{
    switch (kind) {
    case Pack::Kind::BUILT_IN: return MSG_BUILT_IN;
    case Pack::Kind::FOLDER: return MSG_FOLDER;
    case Pack::Kind::ARCHIVE: return MSG_ARCHIVE;
    }
    return MSG_FOLDER;
}

} // namespace

void StateEditor::showPack()
{
    const Pack& pack = LevelFolder::pack();
    // A folder pack's pack.ini may have been edited by hand since: read it again.
    if (pack.kind() == Pack::Kind::FOLDER) {
        Pack again;
        std::string why;
        if (again.open(pack.path(), why, false))
            LevelFolder::usePack(again);
        else
            console.print(MSG_REREAD, Pack::refusal(pack.path(), why).c_str());
    }
    const Pack& now = LevelFolder::pack();
    const std::string where = now.kind() == Pack::Kind::BUILT_IN ? LevelFolder::saveFolder() : now.path();
    console.print(MSG_PACK, printable(now.name()).c_str(), kindText(now.kind()), printable(where).c_str());
}

bool StateEditor::packFolderFor(const std::string& name, std::string& folder)
{
    std::string why;
    if (LevelFolder::packsFolder().empty()) {
        console.print("%s", MSG_NO_PACKS_FOLDER);
        return false;
    }
    if (!PackInfo::validName(name, why)) {
        console.print(MSG_BAD_NAME, why.c_str());
        return false;
    }
    std::error_code ignored;
    std::filesystem::create_directories(LevelFolder::packsFolder(), ignored);
    folder = LevelFolder::packsFolder() + name;
    return true;
}

void StateEditor::newPack(const std::string& name)
{
    std::string folder, why;
    if (!packFolderFor(name, folder))
        return;
    PackInfo info;
    info.name = name;
    info.version = NEW_VERSION;
    if (!Pack::makeFolder(folder, {{PackInfo::FILE_NAME, info.toText()}}, why)) {
        console.print(MSG_NOT_MADE, printable(folder).c_str(), printable(why).c_str());
        return;
    }
    LevelFolder::usePack(Pack::newFolder(folder, info));
    console.print(MSG_MADE, name.c_str(), printable(LevelFolder::pack().path()).c_str());
}

void StateEditor::copyPack(const std::string& name)
{
    std::string folder, why;
    if (!packFolderFor(name, folder))
        return;
    const std::string from = LevelFolder::pack().name();
    PackInfo info = LevelFolder::pack().info();
    info.name = name;
    Pack::Files files{{PackInfo::FILE_NAME, info.toText()}};
    for (const int id : LevelFolder::zoneIds()) {
        std::string bytes;
        if (LevelFolder::read(id, bytes, why) != safefile::Found::FILE) {
            console.print(MSG_NOT_MADE, printable(folder).c_str(),
                          printable(LevelFolder::readPath(id) + ": " + why).c_str());
            return;
        }
        files.emplace_back(Pack::zoneFileName(id), bytes);
    }
    Pack copy;
    if (!Pack::makeFolder(folder, files, why) || !copy.open(folder, why, false)) {
        console.print(MSG_NOT_MADE, printable(folder).c_str(), printable(why).c_str());
        return;
    }
    LevelFolder::usePack(copy);
    console.print(MSG_COPIED, printable(from).c_str(), name.c_str(), printable(copy.path()).c_str());
}

void StateEditor::packWord(const std::string& word, const std::string& name)
{
    if (word == "new")
        newPack(name);
    else if (word == "copy")
        copyPack(name);
    else
        console.print("%s", MSG_PACK_WORD);
}

bool StateEditor::savesAllowed()
{
    if (LevelFolder::writable())
        return true;
    console.print(MSG_READ_ONLY, printable(LevelFolder::pack().name()).c_str());
    return false;
}

void StateEditor::checkZone()
{
    const zonefile::ZoneData zone = currZone->data();
    std::map<int, zonefile::ZoneData> read;
    const packcheck::Lookup others = [&](int id) -> const zonefile::ZoneData* {
        if (id == zone.id)
            return &zone;
        auto found = read.find(id);
        if (found == read.end()) {
            std::string bytes, why;
            zonefile::ZoneData data;
            // A file the game would refuse counts as missing, as play finds it.
            if (LevelFolder::read(id, bytes, why) != safefile::Found::FILE || !zonefile::decode(bytes, data, why))
                return nullptr;
            found = read.emplace(id, data).first;
        }
        return &found->second;
    };
    const PackInfo& info = LevelFolder::pack().info();
    const std::vector<std::string> problems = packcheck::zone(zone, info, others);
    const std::string pack = printable(info.name);
    if (problems.empty()) {
        console.print(MSG_NO_PROBLEMS, zone.id, pack.c_str());
        return;
    }
    console.print(MSG_PROBLEMS, zone.id, static_cast<int>(problems.size()), problems.size() == 1 ? "" : "s",
                  pack.c_str());
    for (const std::string& p : problems)
        console.print(MSG_PROBLEM, printable(p).c_str());
}
