#pragma once
// The editor's safety copy of unsaved work: <id>.zn.recovery (unsaved.zn.recovery while the
// zone has no id) in the folder zones are saved to, written atomically and never over a
// level, and offered again on the next entry when it is newer than its level.

#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

class Zone;

class RecoveryFile final {
public:
    static const char* const SUFFIX;
    static constexpr int NO_ID = -1;
    // Unsaved work is written at least this often: 60 seconds, or as many frames.
    static constexpr std::chrono::seconds INTERVAL{60};
    static constexpr int INTERVAL_FRAMES = 60 * 60;

    // A recovery file newer than its level (or with no level at all).
    struct Offer {
        std::string path;
        int zoneId;
        std::time_t written;
    };

    static std::string pathFor(int zoneId);
    // Recovery files in the level folder newer than their levels, newest first.
    static std::vector<Offer> findOffers();
    // The zone of an offer; null with why for a file that does not load or holds another
    // zone than its name says.
    static std::unique_ptr<Zone> read(const Offer& offer, std::string& why);
    // The hour and minute the file was written, as 12:03.
    static std::string clockTime(std::time_t when);

    // Writes the zone as its recovery file; false with why. The file written before under
    // another name goes, so one zone never leaves two.
    bool write(const Zone& zone, std::string& why);
    // Takes a recovery file loaded into the editor as its own, to write and remove.
    void adopt(const std::string& path);
    // Removes the file this editor wrote last, if any.
    void remove();
    const std::string& lastPath() const { return written; }

private:
    std::string written;
};
