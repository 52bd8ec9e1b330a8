#include "core/atomicfile.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

bool writeFileAtomically(const std::string& path, const std::string& bytes, int& error)
{
    const std::string temp = path + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        error = errno;
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0 &&
                   ::fsync(fileno(f)) == 0;
    error = errno;
    if (std::fclose(f) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && std::rename(temp.c_str(), path.c_str()) != 0) {
        written = false;
        error = errno;
    }
    if (!written)
        std::remove(temp.c_str());
    return written;
}
