#pragma once
// Where zone files are read and saved: the current pack's. The built-in pack's zones live
// beside the other resources; when that folder cannot be written (an installed game), the
// player's own folder takes the saves and is read first, so an edited zone stands in for the
// shipped one. Any other pack's zones are read from that pack alone and saved into its
// folder; a .zip pack is read only.

#include "core/safefile.h"

#include <string>
#include <vector>

class Pack;

class LevelFolder final {
public:
    // Decided once at start. An empty userDir keeps everything with the resources.
    static void choose(bool resourcesWritable, const std::string& userDir);
    // Whether the resources' zone folder can take new files.
    static bool resourcesWritable();

    // The pack played and edited from now on; the built-in one until another is chosen.
    static void usePack(const Pack& pack);
    static const Pack& pack();
    static bool builtIn();
    // The player's packs ($XDG_DATA_HOME/morvane/packs/), with the final slash; empty when
    // there is no such place.
    static void choosePacks(const std::string& folder);
    static const std::string& packsFolder();

    // Empty while zones live with the resources.
    static const std::string& userFolder();
    // Where the zone is read from, for messages too.
    static std::string readPath(int zoneId);
    // The zone file's bytes, as safefile::read gives them.
    static safefile::Found read(int zoneId, std::string& bytes, std::string& why);
    // Whether the current pack holds a zone file by that number.
    static bool exists(int zoneId);
    // The zones of the current pack, in order.
    static std::vector<int> zoneIds();
    // Whether saves have a folder to go to: not in a .zip pack.
    static bool writable();
    // Creates the user folder when it is missing; a failure shows when the file is written.
    // Empty, as savePath, for a read-only pack.
    static std::string writePath(int zoneId);
    // Where a save of the zone goes, without creating anything.
    static std::string savePath(int zoneId);
    // The folder saves go to, with its final slash; writeFolder also creates it. Empty for
    // a read-only pack.
    static std::string saveFolder();
    static std::string writeFolder();
    // Clears what killed saves left in the folder zones are written to.
    static void removeLeftoverSaves();

private:
    static std::string user;
    static std::string packs;
};
