// Writes the game's options into the files that show them, between their marker lines:
// the README's table (a .md file) and the manual page's OPTIONS section (any other).
//   optiondoc FILE...          rewrites each file's block (make options)
//   optiondoc --check FILE...  changes nothing; exit 1 naming each file whose block is stale
#include "app/commandline.h"
#include "core/safefile.h"

#include <cstdio>
#include <string>

namespace {
const char* const BEGIN = "options: made by make options from src/app/commandline.cpp";
const char* const END = "end of options";
const long long MAX_BYTES = 1 << 20;

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The text with the block after the line holding BEGIN, up to the line holding END,
// written anew; false when the markers are not there in that order.
bool refresh(const std::string& path, std::string& text)
{
    const std::size_t begin = text.find(BEGIN);
    const std::size_t from = begin == std::string::npos ? begin : text.find('\n', begin);
    const std::size_t end = from == std::string::npos ? from : text.find(END, from);
    const std::size_t to = end == std::string::npos ? end : text.rfind('\n', end);
    if (to == std::string::npos)
        return false;
    const std::string block = endsWith(path, ".md") ? commandline::markdownOptions() : commandline::manualOptions();
    text.replace(from + 1, to - from, block);
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    const bool check = argc > 1 && std::string(argv[1]) == "--check";
    int status = 0;
    for (int i = check ? 2 : 1; i < argc; ++i) {
        const std::string path = argv[i];
        std::string text, why;
        if (safefile::read(path, text, why, MAX_BYTES) != safefile::Found::FILE) {
            std::printf("%s: %s\n", path.c_str(), why.c_str());
            status = 1;
            continue;
        }
        std::string fresh = text;
        if (!refresh(path, fresh)) {
            std::printf("%s: no lines holding \"%s\" and, after it, \"%s\"\n", path.c_str(), BEGIN, END);
            status = 1;
        } else if (fresh != text && check) {
            std::printf("%s: its options are not the table in src/app/commandline.cpp; run make options\n", path.c_str());
            status = 1;
        } else if (fresh != text && !safefile::write(path, fresh, why)) {
            std::printf("%s: %s\n", path.c_str(), why.c_str());
            status = 1;
        }
    }
    return status;
}
