#pragma once
// The editor's safety copy of unsaved work: <id>.zn.recovery (unsaved.zn.recovery while the
// zone has no id) in the folder zones are saved to, written atomically and never over a
// level, and offered again on the next entry when it is newer than its level. Only a file
// this editor wrote (or took over) is ever written over or removed: when something else
// holds the name (a link, a refused file, one still offered) the copy goes to the next
// free name, <id>.zn.recovery.1 and on, which later entries offer the same way.

#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

class Zone;

class RecoveryFile final {
public:
    static const char* const SUFFIX;
    static constexpr int NO_ID = -1;
    // <id>.zn.recovery.1 up to this number are tried when the plain name is taken.
    static constexpr int MAX_NUMBER = 99;
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
    // The zone id a file name in the level folder stands for; false for names not of ours.
    static bool idOfName(const std::string& name, int& zoneId);
    // Recovery files in the level folder newer than their levels, newest first.
    static std::vector<Offer> findOffers();
    // The zone of an offer; null with why for a link, a file that does not load or one that
    // holds another zone than its name says.
    static std::unique_ptr<Zone> read(const Offer& offer, std::string& why);
    // When the file was written, as 12:03 on the day of now, else as 2026-12-03 12:03.
    static std::string timeText(std::time_t when, std::time_t now);

    // Writes the zone as its recovery file; false with why. The file written before under
    // another name goes, so one zone never leaves two. lastPath() says where it went.
    bool write(const Zone& zone, std::string& why);
    // Takes a recovery file loaded into the editor as its own, to write and remove.
    void adopt(const std::string& path);
    // Removes the file this editor wrote last, if it is still the one it wrote.
    void remove();
    const std::string& lastPath() const { return written; }

private:
    // The file at written is still the one this editor wrote there.
    bool stillOurs() const;
    // Where the zone's recovery goes: the file written before if it is one of the zone's
    // names, else the first of them with nothing there; empty when every one is taken.
    std::string choosePath(int zoneId) const;
    void remember(const std::string& path);

    std::string written;
    dev_t device = 0;
    ino_t inode = 0;
};
