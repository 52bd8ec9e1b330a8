// The options table and its parser: every way a command line is taken or refused, and the
// three renderings of the table, byte for byte, on a table with a value and awkward text.

#include "app/commandline.h"

#include <gtest/gtest.h>

namespace {

// The game's switch beside an option with a value, as the later ones will have.
const std::vector<commandline::Option> TABLE = {
    {"no-settings", "", "neither read nor write the settings file"},
    {"record", "FILE", "write the game to FILE | or not"},
    {"pack", "PATH", ".play PATH\\zones - as a pack"},
};

TEST(CommandLine, TakesSwitchesAndValuesAndRefusesWithOneLine)
{
    using Given = std::map<std::string, std::string>;
    struct Case {
        std::vector<std::string> args;
        Given given;       // when taken
        std::string error; // when refused
    };
    const Case cases[] = {
        {{}, {}, ""},
        {{"--no-settings"}, {{"no-settings", ""}}, ""},
        {{"--record", "a.mvr", "--no-settings"}, {{"record", "a.mvr"}, {"no-settings", ""}}, ""},
        {{"--record=a.mvr"}, {{"record", "a.mvr"}}, ""},
        {{"--record=--odd"}, {{"record", "--odd"}}, ""},
        {{"--record", "-"}, {{"record", "-"}}, ""},
        {{"--record=a", "--pack", "p", "--record", "b"}, {{"record", "b"}, {"pack", "p"}}, ""},
        {{"--record"}, {}, "option --record needs a value: FILE"},
        {{"--record="}, {}, "option --record needs a value: FILE"},
        {{"--record", "--no-settings"}, {}, "option --record needs a value: FILE"},
        {{"--no-settings=yes"}, {}, "option --no-settings takes no value"},
        {{"--bogus"}, {}, "unknown option --bogus"},
        {{"--bogus=1"}, {}, "unknown option --bogus"},
        {{"--no-setting"}, {}, "unknown option --no-setting"},
        {{"-h"}, {}, "unknown option -h"},
        {{"--"}, {}, "unknown option --"},
        {{"zone.zn"}, {}, "unexpected argument zone.zn"},
        {{""}, {}, "unexpected argument "},
        // The first fault is named, and nothing after it is read.
        {{"--no-settings", "--bogus", "stray"}, {}, "unknown option --bogus"},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& arg : c.args)
            line += "[" + arg + "]";
        const commandline::Parsed parsed = commandline::parse(c.args, TABLE);
        EXPECT_EQ(parsed.error, c.error) << line;
        if (c.error.empty()) {
            EXPECT_EQ(parsed.given, c.given) << line;
        }
    }
    const commandline::Parsed taken = commandline::parse({"--pack=x"}, TABLE);
    EXPECT_TRUE(taken.has("pack"));
    EXPECT_EQ(taken.value("pack"), "x");
    EXPECT_FALSE(taken.has("record"));
    EXPECT_EQ(taken.value("record"), "");
}

TEST(CommandLine, UsageManualAndReadmeComeFromTheTable)
{
    EXPECT_EQ(commandline::usage(TABLE), "Usage: morvane [OPTION]...\n"
                                         "A small isometric brawler with a level editor built in (F12 in the game).\n"
                                         "\n"
                                         "Options:\n"
                                         "  --no-settings  neither read nor write the settings file\n"
                                         "  --record FILE  write the game to FILE | or not\n"
                                         "  --pack PATH    .play PATH\\zones - as a pack\n"
                                         "\n"
                                         "Controls, files and the editor: the manual page morvane(6).\n");
    EXPECT_EQ(commandline::manualOptions(TABLE), ".TP\n"
                                                 ".B \\-\\-no\\-settings\n"
                                                 "neither read nor write the settings file\n"
                                                 ".TP\n"
                                                 ".BI \\-\\-record \" FILE\"\n"
                                                 "write the game to FILE | or not\n"
                                                 ".TP\n"
                                                 ".BI \\-\\-pack \" PATH\"\n"
                                                 "\\&.play PATH\\ezones \\- as a pack\n");
    EXPECT_EQ(commandline::markdownOptions(TABLE), "| option | what it does |\n"
                                                   "|---|---|\n"
                                                   "| `--no-settings` | neither read nor write the settings file |\n"
                                                   "| `--record FILE` | write the game to FILE \\| or not |\n"
                                                   "| `--pack PATH` | .play PATH\\zones - as a pack |\n");
}

} // namespace
