#pragma once
// A zone pack: a campaign of numbered zones N.zn with a pack.ini saying what it is called,
// which zone is played first and which one's clearing ends it. A pack is a folder, or one
// .zip read in place (and so read only); the shipped game is the built-in pack, whose zones
// LevelFolder finds as it always has. A pack's zones are read from the pack alone.

#include "core/safefile.h"
#include "world/packinfo.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class PackArchive;

class Pack final {
public:
    enum class Kind { BUILT_IN, FOLDER, ARCHIVE };
    static constexpr const char* ZONE_EXTENSION = ".zn";
    static constexpr const char* ARCHIVE_EXTENSION = ".zip";
    // The built-in pack's facts: the errand from the home street to the corner shop.
    static constexpr int BUILT_IN_START = 0;
    static constexpr int BUILT_IN_ENDING = 3;

    static Pack builtIn();
    // A folder pack as it is being made: not held to having its start zone yet.
    static Pack newFolder(const std::string& folder, const PackInfo& info);
    // A folder or a .zip at path, checked: false with why (the reason alone; refusal()
    // makes the line). A pack to be played must have its start zone; one to be checked or
    // repaired need not.
    bool open(const std::string& path, std::string& why, bool needStart = true);
    // The one line that says a pack is refused, naming it and why.
    static std::string refusal(const std::string& path, const std::string& why);

    Kind kind() const { return type; }
    bool readOnly() const { return type == Kind::ARCHIVE; }
    const PackInfo& info() const { return about; }
    const std::string& name() const { return about.name; }
    // The folder (with its final slash) or the .zip file; empty for the built-in pack.
    const std::string& path() const { return where; }

    // Where a zone is, for messages: FOLDER/3.zn, or FILE.zip:3.zn inside an archive.
    std::string zonePath(int zoneId) const;
    // As safefile::read: MISSING when the pack has no such zone. Not for the built-in pack.
    safefile::Found readZone(int zoneId, std::string& bytes, std::string& why) const;
    // The zones the pack holds, in order. Not for the built-in pack.
    std::vector<int> zoneIds() const;
    bool hasZone(int zoneId) const;

    using Files = std::vector<std::pair<std::string, std::string>>;
    // What the pack is made of, as (file name, bytes): its pack.ini and every zone file, as
    // they are. Not for the built-in pack.
    bool files(Files& out, std::string& why) const;
    // A new folder holding the files, written safely; a folder already there is refused,
    // and a failure part way removes what was written.
    static bool makeFolder(const std::string& folder, const Files& content, std::string& why);

    // The zone a file name such as "3.zn" stands for; false for any other name.
    static bool zoneIdOf(const std::string& fileName, int& zoneId);
    static std::string zoneFileName(int zoneId);

private:
    // The text of the pack's pack.ini, the archive opened and checked first.
    bool readFolderIni(std::string& text, std::string& why);
    bool readArchiveIni(std::string& text, std::string& why);

    Kind type = Kind::BUILT_IN;
    PackInfo about;
    std::string where;
    // Inside an archive, the folder the pack sits in ("" or "name/").
    std::string root;
    std::shared_ptr<const PackArchive> archive;
};
