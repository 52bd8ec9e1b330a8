#pragma once
// What each built zone file held when zonetool last built it from its text, so a build never
// writes over a file that was changed since (saved from the editor, say) without being told to.
// One line per file: its path and a 64-bit FNV-1a hash of its bytes, in hex.

#include <cstdint>
#include <map>
#include <string>

class BuildRecord final {
public:
    // A missing record file is an empty record.
    explicit BuildRecord(const std::string& path);

    static uint64_t hashOf(const std::string& bytes);
    // True when the file holds what was last built there, or is what would be built anyway.
    bool unchangedSinceBuilt(const std::string& file, const std::string& bytes, const std::string& built) const;
    void note(const std::string& file, const std::string& bytes);
    bool save() const;

private:
    std::string path;
    std::map<std::string, uint64_t> built;
};
