#pragma once
// The program's options in one table, from which come the parser, the usage that --help
// prints, the manual page's OPTIONS section and the README's table of options
// (tools/optiondoc writes those two, and a test holds them to the table). Adding an option
// is a row here and its handling in main. Nothing here opens a window or reads a file.

#include <map>
#include <string>
#include <vector>

namespace commandline {

struct Option {
    const char* name;      // without the two dashes
    const char* valueName; // empty for a switch; else what the usage calls its value
    const char* help;      // one line, lower case, no full stop
};

// The names main acts on, and the table in the order --help lists it.
extern const char* const NO_SETTINGS;
extern const char* const PACK;
extern const char* const RECORD;
extern const char* const REPLAY;
extern const char* const HELP;
extern const char* const VERSION;
extern const std::vector<Option> OPTIONS;

// What a command line asked for. A switch maps to "", an option with a value to its value;
// given twice, the later one counts.
struct Parsed {
    std::map<std::string, std::string> given;
    // One line for a command line that cannot be used (unknown option, missing or unwanted
    // value, a stray argument); empty when it can.
    std::string error;

    bool has(const std::string& name) const { return given.count(name) != 0; }
    std::string value(const std::string& name) const;
};

// Both "--name VALUE" and "--name=VALUE"; a value may not start with "--" when given apart,
// so a forgotten value never swallows the next option.
Parsed parse(const std::vector<std::string>& args, const std::vector<Option>& options = OPTIONS);

// What --help prints.
std::string usage(const std::vector<Option>& options = OPTIONS);
// What --version prints: the program's version and the zone format it reads and writes.
std::string version();
// The OPTIONS section's body for the manual page (roff), and the README's table (Markdown).
std::string manualOptions(const std::vector<Option>& options = OPTIONS);
std::string markdownOptions(const std::vector<Option>& options = OPTIONS);

} // namespace commandline
