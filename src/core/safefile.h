#pragma once
// Files on disk that may turn out to be anything: a level or a resource replaced by a
// directory, a FIFO or a device, a link to nowhere, a file far too large. Reads look before
// they open, never block and never read without bound. Writes go to a new file beside the
// target and replace it in one step, so a killed or failed write leaves the old file whole.
// Every writer of the game's own files goes through write().

#include <climits>
#include <string>

namespace safefile {

enum class Found {
    FILE,    // a regular file that can be opened for reading, within the size given
    MISSING, // nothing at all at the path; why is the system's text
    TOO_LARGE, // a regular file over the size given; why says how large
    REFUSED, // why says what is there instead, or the system's reason it cannot be read
};

const long long NO_LIMIT = LLONG_MAX;

// Opens only a regular file, to test that it can be read, and closes it again.
Found check(const std::string& path, std::string& why, long long maxBytes = NO_LIMIT);
// check, then the whole file into bytes (left as they were unless FILE).
Found read(const std::string& path, std::string& bytes, std::string& why, long long maxBytes = NO_LIMIT);

// What a write may put its file in place of.
enum class Over {
    ANYTHING, // a file, or a link: the file it points to is replaced, not the link
    NO_LINK,  // a file or nothing; a link is refused, never followed
    NOTHING,  // nothing at all: whatever is there, or appears meanwhile, is left alone
};

// Replaces the file at path with bytes, or leaves it as it was and says why. The new
// content goes to a file created under a fresh name in the same folder (never an existing
// file or link), is flushed to disk, takes the old file's permission bits, and is renamed
// over the old one. What killed writes to that file left behind is removed first.
bool write(const std::string& path, const std::string& bytes, std::string& why, Over over = Over::ANYTHING);

// Removes what killed writes left behind in dir for the files whose names end in extension.
void removeLeftovers(const std::string& dir, const std::string& extension);

} // namespace safefile
