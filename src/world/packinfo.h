#pragma once
// What a zone pack's pack.ini says about it:
//
//   [pack]
//   name=The Long Errand
//   author=Kim
//   version=1.2
//   description=Three streets and a bakery.
//   start=0
//   ending=3
//
// Keys this game does not know are kept, in order, and written back; they mean nothing here.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

struct PackInfo {
    static constexpr const char* FILE_NAME = "pack.ini";
    static constexpr const char* SECTION = "[pack]";
    // A pack.ini is a few lines: anything larger is not one.
    static constexpr long long MAX_FILE_BYTES = 16 * 1024;
    // In bytes. The list shows name, author and description on one line each.
    static constexpr std::size_t MAX_NAME = 64;
    static constexpr std::size_t MAX_AUTHOR = 64;
    static constexpr std::size_t MAX_VERSION = 32;
    static constexpr std::size_t MAX_DESCRIPTION = 200;
    // Zone numbers as file names hold them: 0.zn to 999999999.zn.
    static constexpr int MAX_ZONE = 999999999;

    std::string name;
    std::string author;
    std::string version;
    std::string description;
    int start = 0;
    int ending = 0;
    std::vector<std::pair<std::string, std::string>> otherKeys;

    // The text of a pack.ini; false with why (naming the line) for anything that is not one:
    // no [pack] section, a line that is no key=value, a control byte, a value too long or a
    // zone that is no number, no name, start or ending.
    static bool parse(const std::string& text, PackInfo& info, std::string& why);
    std::string toText() const;

    // Whether text would do as a pack's name, and so as its folder's: why says what is wrong.
    static bool validName(const std::string& text, std::string& why);
};
