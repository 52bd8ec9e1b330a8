#include "core/safefile.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace safefile {
namespace {

// A write's new file is named after its target: "0.zn" is written as "0.zn.tmp.Ab3x9Q".
// Older versions used "0.zn.tmp" alone; those count as leftovers too.
const std::string TEMP_MARK = ".tmp";
const std::size_t UNIQUE_LENGTH = 6;
const char UNIQUE_LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string systemText(int error) { return std::strerror(error); }

std::string whatIsThere(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a directory, not a file";
    if (S_ISFIFO(mode))
        return "a FIFO, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device, not a file";
    if (S_ISSOCK(mode))
        return "a socket, not a file";
    return "not a regular file";
}

// Why path could not be reached, after stat or open failed with error.
Found unreachable(const std::string& path, int error, std::string& why)
{
    struct stat link;
    if (error == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        why = "a link to a missing file";
        return Found::REFUSED;
    }
    why = systemText(error);
    return error == ENOENT ? Found::MISSING : Found::REFUSED;
}

// FILE when info is a regular file within maxBytes; otherwise why says what it is.
Found acceptable(const struct stat& info, long long maxBytes, std::string& why)
{
    if (!S_ISREG(info.st_mode)) {
        why = whatIsThere(info.st_mode);
        return Found::REFUSED;
    }
    if (static_cast<long long>(info.st_size) > maxBytes) {
        why = std::to_string(static_cast<long long>(info.st_size)) + " bytes, more than the "
            + std::to_string(maxBytes) + " it may hold";
        return Found::TOO_LARGE;
    }
    return Found::FILE;
}

// Looks first, then opens only a regular file; the open never blocks, and what was opened
// is looked at again in case the path changed in between. fd is open only for FILE.
Found openRegular(const std::string& path, long long maxBytes, std::string& why, int& fd)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return unreachable(path, errno, why);
    Found found = acceptable(info, maxBytes, why);
    if (found != Found::FILE)
        return found;
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return unreachable(path, errno, why);
    if (::fstat(fd, &info) != 0) {
        why = systemText(errno);
        found = Found::REFUSED;
    } else {
        found = acceptable(info, maxBytes, why);
    }
    if (found != Found::FILE) {
        ::close(fd);
        fd = -1;
    }
    return found;
}

Found readAll(int fd, long long maxBytes, std::string& bytes, std::string& why)
{
    std::string all;
    char buffer[1 << 16];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            why = systemText(errno);
            return Found::REFUSED;
        }
        if (got == 0)
            break;
        // The file may have grown since it was measured.
        if (static_cast<long long>(all.size()) + got > maxBytes) {
            why = "more than the " + std::to_string(maxBytes) + " bytes it may hold";
            return Found::TOO_LARGE;
        }
        all.append(buffer, static_cast<std::size_t>(got));
    }
    bytes.swap(all);
    return Found::FILE;
}

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put == 0)
            errno = EIO;
        if (put <= 0)
            return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// Not rand(): the game's random sequence must not depend on when files were saved.
std::string uniqueSuffix()
{
    static uint64_t counter = 0;
    uint64_t x = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())
               ^ (static_cast<uint64_t>(::getpid()) << 32) ^ (++counter * 0x9E3779B97F4A7C15ULL);
    x ^= x >> 31;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 27;
    std::string suffix;
    for (std::size_t i = 0; i < UNIQUE_LENGTH; ++i) {
        suffix += UNIQUE_LETTERS[x % (sizeof UNIQUE_LETTERS - 1)];
        x /= sizeof UNIQUE_LETTERS - 1;
    }
    return suffix;
}

// The file a leftover name was written for ("0.zn" for "0.zn.tmp.Ab3x9Q"), or "".
std::string leftoverOf(const std::string& name)
{
    std::size_t mark = name.rfind(TEMP_MARK);
    if (mark == std::string::npos || mark == 0)
        return "";
    const std::string rest = name.substr(mark + TEMP_MARK.size());
    if (rest.empty())
        return name.substr(0, mark);
    if (rest.size() != UNIQUE_LENGTH + 1 || rest[0] != '.')
        return "";
    for (char c : rest.substr(1))
        if (c == '\0' || std::strchr(UNIQUE_LETTERS, c) == nullptr)
            return "";
    return name.substr(0, mark);
}

// Files and links only: a directory of the same name is nobody's leftover of ours.
void removeWhere(const fs::path& dir, const std::function<bool(const std::string&)>& ours)
{
    std::error_code error;
    for (fs::directory_iterator it(dir.empty() ? "." : dir, error), end; !error && it != end; it.increment(error)) {
        const std::string target = leftoverOf(it->path().filename().string());
        if (target.empty() || !ours(target))
            continue;
        std::error_code ignored;
        const fs::file_status status = fs::symlink_status(it->path(), ignored);
        if (fs::is_regular_file(status) || fs::is_symlink(status))
            fs::remove(it->path(), ignored);
    }
}

// Where a write to path lands: path itself, or the file a link at path points to.
bool resolve(const std::string& path, std::string& target, std::string& why)
{
    struct stat link;
    target = path;
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
        return true;
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) {
        const int error = errno;
        why = error == ENOENT ? "a link to a missing file" : systemText(error);
        return false;
    }
    target = real;
    std::free(real);
    return true;
}

// Renames temp to target; with keepExisting, fails with EEXIST rather than replace
// anything that stands at target by now.
bool moveInto(const std::string& temp, const std::string& target, bool keepExisting)
{
    if (!keepExisting)
        return ::rename(temp.c_str(), target.c_str()) == 0;
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the flag: a hard link is made only where nothing is.
    if (::link(temp.c_str(), target.c_str()) != 0)
        return false;
    ::unlink(temp.c_str());
    return true;
}

void syncDirectory(const fs::path& dir)
{
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

Found check(const std::string& path, std::string& why, long long maxBytes)
{
    int fd = -1;
    const Found found = openRegular(path, maxBytes, why, fd);
    if (fd >= 0)
        ::close(fd);
    return found;
}

Found read(const std::string& path, std::string& bytes, std::string& why, long long maxBytes)
{
    int fd = -1;
    const Found found = openRegular(path, maxBytes, why, fd);
    if (found != Found::FILE)
        return found;
    const Found result = readAll(fd, maxBytes, bytes, why);
    ::close(fd);
    return result;
}

bool write(const std::string& path, const std::string& bytes, std::string& why, Over over)
{
    std::string target = path;
    if (over == Over::ANYTHING && !resolve(path, target, why))
        return false;
    struct stat old;
    const bool existed = ::lstat(target.c_str(), &old) == 0;
    if (!existed && errno != ENOENT) {
        why = systemText(errno);
        return false;
    }
    if (existed && over == Over::NOTHING) {
        why = "something is there already";
        return false;
    }
    if (existed && !S_ISREG(old.st_mode)) {
        why = S_ISLNK(old.st_mode) ? "a link, not a file" : whatIsThere(old.st_mode);
        return false;
    }
    const fs::path dir = fs::path(target).parent_path();
    const std::string name = fs::path(target).filename().string();
    removeWhere(dir, [&name](const std::string& of) { return of == name; });

    // Exclusive creation: a name someone else holds, even by a link, is never written through.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + TEMP_MARK + "." + uniqueSuffix();
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        why = systemText(errno);
        return false;
    }
    bool ok = writeAll(fd, bytes) && (!existed || ::fchmod(fd, old.st_mode & 0777) == 0) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    // A rename never writes through a link at the target: it replaces the name itself.
    if (ok && !moveInto(temp, target, over == Over::NOTHING)) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        why = error == EEXIST ? "something is there already" : systemText(error);
        return false;
    }
    syncDirectory(dir);
    return true;
}

void removeLeftovers(const std::string& dir, const std::string& extension)
{
    removeWhere(dir, [&extension](const std::string& of) {
        return of.size() > extension.size() && of.compare(of.size() - extension.size(), extension.size(), extension) == 0;
    });
}

} // namespace safefile
