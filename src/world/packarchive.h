#pragma once
// A zone pack kept as one .zip file, read in place through libzip: nothing is unpacked to
// disk. An archive comes from anyone, so every entry is looked at before any is expanded,
// and an archive holding one that could do harm is refused whole: a name that climbs out
// (../) or starts at the root, a link or other special file, an encrypted entry, one that
// would expand past MAX_ENTRY_BYTES or MAX_RATIO times its packed size, or more than
// MAX_ENTRIES entries. Reading holds an entry to what its header promised, so a lying
// header gets no further.

#include <memory>
#include <string>
#include <utility>
#include <vector>

class PackArchive final {
public:
    static constexpr long long MAX_ENTRY_BYTES = 256LL * 1024 * 1024;
    static constexpr long long MAX_RATIO = 1000;
    static constexpr long long MAX_ENTRIES = 10000;

    // What the archive's directory says of one entry.
    struct Entry {
        std::string name;
        long long size = 0;       // expanded
        long long packedSize = 0; // as stored
        unsigned unixMode = 0;    // the file type and permissions, 0 when the archive gives none
        bool encrypted = false;
    };
    // Why the entry is refused, empty when it is not.
    static std::string problem(const Entry& entry);

    PackArchive();
    ~PackArchive();
    PackArchive(const PackArchive&) = delete;
    PackArchive& operator=(const PackArchive&) = delete;

    // Opens a regular file only (see safefile) and checks every entry; false with why.
    bool open(const std::string& path, std::string& why);
    // The names of the files in it (folders left out), in the archive's order.
    const std::vector<std::string>& files() const { return names; }
    bool has(const std::string& name) const;
    // An entry whole, refused past maxBytes or past what its header said.
    bool read(const std::string& name, std::string& bytes, std::string& why, long long maxBytes) const;

    // An archive of the files (name, bytes), made in memory, to be written by the caller.
    static bool make(const std::vector<std::pair<std::string, std::string>>& content, std::string& archive,
                     std::string& why);

private:
    struct Handle;
    std::unique_ptr<Handle> handle;
    std::vector<std::string> names;
};
