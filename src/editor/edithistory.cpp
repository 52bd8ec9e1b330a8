#include "editor/edithistory.h"

#include "world/zone.h"

#include <utility>

void EditHistory::begin(const Zone& zone, const std::string& label, const std::string& many)
{
    end(zone);
    current.reset(new EditStep(zone, label, many));
}

std::string EditHistory::end(const Zone& zone)
{
    if (!current)
        return std::string();
    std::unique_ptr<EditStep> step = std::move(current);
    if (!step->finish(zone))
        return std::string();
    dropRedo();
    const std::size_t size = step->bytes();
    std::string label = step->label();
    done.push_back(Kept{std::move(step), ++lastPlace, size});
    heldBytes += size;
    trim();
    return label;
}

void EditHistory::dropRedo()
{
    for (const Kept& kept : undone)
        heldBytes -= kept.bytes;
    undone.clear();
}

void EditHistory::trim()
{
    while (done.size() > 1
           && (done.size() > MAX_STEPS || (done.size() > MIN_STEPS && heldBytes > SOFT_BUDGET)
               || heldBytes > HARD_BUDGET)) {
        heldBytes -= done.front().bytes;
        basePlace = done.front().place;
        done.pop_front();
    }
}

bool EditHistory::undo(std::unique_ptr<Zone>& zone, int& source, std::string& label)
{
    return travel(done, undone, zone, source, label);
}

bool EditHistory::redo(std::unique_ptr<Zone>& zone, int& source, std::string& label)
{
    return travel(undone, done, zone, source, label);
}

bool EditHistory::travel(std::deque<Kept>& from, std::deque<Kept>& to, std::unique_ptr<Zone>& zone, int& source,
                         std::string& label)
{
    end(*zone);
    if (from.empty())
        return false;
    Kept kept = std::move(from.back());
    from.pop_back();
    kept.step->swap(zone, source);
    label = kept.step->label();
    to.push_back(std::move(kept));
    return true;
}

void EditHistory::clear()
{
    current.reset();
    done.clear();
    undone.clear();
    matches.clear();
    heldBytes = 0;
    basePlace = ++lastPlace;
}

unsigned long EditHistory::place() const { return done.empty() ? basePlace : done.back().place; }

void EditHistory::markLoaded(int file) { matches[place()] = file; }

void EditHistory::markSaved(int file)
{
    for (auto it = matches.begin(); it != matches.end();)
        it = it->second == file ? matches.erase(it) : std::next(it);
    matches[place()] = file;
}

bool EditHistory::isUnsaved() const { return matches.find(place()) == matches.end(); }
