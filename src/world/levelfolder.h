#pragma once
// Where zone files are read and saved. Normally beside the other resources; when that
// folder cannot be written (an installed game), the player's own folder takes the saves
// and is read first, so an edited zone stands in for the shipped one.

#include <string>

class LevelFolder final {
public:
    // Decided once at start. An empty userDir keeps everything with the resources.
    static void choose(bool resourcesWritable, const std::string& userDir);
    // Whether the resources' zone folder can take new files.
    static bool resourcesWritable();

    // Empty while zones live with the resources.
    static const std::string& userFolder();
    static std::string readPath(int zoneId);
    // Creates the user folder when it is missing; a failure shows when the file is written.
    static std::string writePath(int zoneId);
    // Where a save of the zone goes, without creating anything.
    static std::string savePath(int zoneId);
    // The folder saves go to, with its final slash; writeFolder also creates it.
    static std::string saveFolder();
    static std::string writeFolder();
    // Clears what killed saves left in the folder zones are written to.
    static void removeLeftoverSaves();

private:
    static std::string user;
};
