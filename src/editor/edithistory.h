#pragma once
// The editor's undo and redo: a list of steps with a place in it, and which places match a
// zone file as it is on disk, so the editor knows when work is unsaved.

#include "editor/editstep.h"

#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <string>

class Zone;

class EditHistory final {
public:
    // At least MIN_STEPS are kept; beyond that, up to MAX_STEPS while they fit the budget.
    // Only steps on huge zones (whole zones replaced) can press below MIN_STEPS, and then
    // no more than the budget is ever held.
    static constexpr std::size_t MIN_STEPS = 200;
    static constexpr std::size_t MAX_STEPS = 1000;
    static constexpr std::size_t SOFT_BUDGET = 128u << 20;
    static constexpr std::size_t HARD_BUDGET = 512u << 20;
    // The fresh zone of an entry or `new`: nothing in it can be lost.
    static constexpr int FRESH = -2;

    // Opens a step, closing an open one first. A counted step (many given) says how many
    // tiles and entities it changed: see EditStep.
    void begin(const Zone& zone, const std::string& label, const std::string& many = std::string());
    // The open step, or null.
    EditStep* open() { return current.get(); }
    // Closes the open step: kept when it changed anything. The kept step's label, else empty.
    std::string end(const Zone& zone);

    // Undo and redo swap a step's state into the zone (the object may change). False when
    // there is nothing to take back or do again; label says what was.
    bool undo(std::unique_ptr<Zone>& zone, int& source, std::string& label);
    bool redo(std::unique_ptr<Zone>& zone, int& source, std::string& label);
    void clear();

    // The zone at this place matches file (an id), or is FRESH.
    void markLoaded(int file);
    // The zone at this place was written to file: other places no longer match it.
    void markSaved(int file);
    bool isUnsaved() const;
    // Names the zone's state: equal places, equal zones.
    unsigned long place() const;

    std::size_t undoCount() const { return done.size(); }
    std::size_t redoCount() const { return undone.size(); }
    std::size_t bytes() const { return heldBytes; }

private:
    struct Kept {
        std::unique_ptr<EditStep> step;
        unsigned long place; // the place after the step
        std::size_t bytes;
    };
    void trim();
    void dropRedo();
    // Swaps the newest step of from into the zone and keeps it on to.
    bool travel(std::deque<Kept>& from, std::deque<Kept>& to, std::unique_ptr<Zone>& zone, int& source, std::string& label);

    std::unique_ptr<EditStep> current;
    std::deque<Kept> done;
    std::deque<Kept> undone;
    unsigned long basePlace = 0; // before the oldest kept step
    unsigned long lastPlace = 0;
    std::size_t heldBytes = 0;
    std::map<unsigned long, int> matches; // place -> file
};
