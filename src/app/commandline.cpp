#include "app/commandline.h"

#include "world/zonefile.h"

#include <algorithm>

namespace commandline {

const char* const NO_SETTINGS = "no-settings";
const char* const PACK = "pack";
const char* const RECORD = "record";
const char* const REPLAY = "replay";
const char* const HELP = "help";
const char* const VERSION = "version";

const std::vector<Option> OPTIONS = {
    {NO_SETTINGS, "", "neither read nor write the settings file"},
    {PACK, "PATH", "play the zone pack in this folder or .zip instead of the built-in one"},
    {RECORD, "FILE", "also write the game, from its start until F12 or the end, to FILE"},
    {REPLAY, "FILE", "play the recorded game in FILE, frame for frame, and exit"},
    {HELP, "", "print this help and exit"},
    {VERSION, "", "print the version and the zone format, and exit"},
};

namespace {
const char* const DASHES = "--";
const char* const MSG_UNKNOWN = "unknown option ";
const char* const MSG_STRAY = "unexpected argument ";
const char* const MSG_OPTION = "option --";
const char* const MSG_NEEDS_VALUE = " needs a value: ";
const char* const MSG_NO_VALUE = " takes no value";
const char* const USAGE_HEAD = "Usage: morvane [OPTION]...\n"
                               "A small isometric brawler with a level editor built in (F12 in the game).\n"
                               "\n"
                               "Options:\n";
const char* const USAGE_TAIL = "\nControls, files and the editor: the manual page morvane(6).\n";

const Option* find(const std::vector<Option>& options, const std::string& name)
{
    for (const Option& option : options)
        if (name == option.name)
            return &option;
    return nullptr;
}

bool startsWithDashes(const std::string& text) { return text.compare(0, 2, DASHES) == 0; }

// "--record FILE" as the usage and the tables write it.
std::string synopsis(const Option& option)
{
    std::string text = std::string(DASHES) + option.name;
    if (*option.valueName)
        text += std::string(" ") + option.valueName;
    return text;
}

// Dashes as minus signs, so a copied option works; a line may not start a request.
std::string roff(const std::string& text)
{
    std::string out = text.empty() || (text[0] != '.' && text[0] != '\'') ? "" : "\\&";
    for (const char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

std::string markdown(const std::string& text)
{
    std::string out;
    for (const char c : text)
        out += c == '|' ? std::string("\\|") : std::string(1, c);
    return out;
}
} // namespace

std::string Parsed::value(const std::string& name) const
{
    const auto found = given.find(name);
    return found == given.end() ? std::string() : found->second;
}

Parsed parse(const std::vector<std::string>& args, const std::vector<Option>& options)
{
    Parsed parsed;
    for (std::size_t i = 0; i < args.size() && parsed.error.empty(); ++i) {
        const std::string& arg = args[i];
        if (arg == DASHES || !startsWithDashes(arg)) {
            parsed.error = (arg.empty() || arg[0] != '-' ? MSG_STRAY : MSG_UNKNOWN) + arg;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const Option* option = find(options, name);
        if (!option) {
            parsed.error = MSG_UNKNOWN + std::string(DASHES) + name;
        } else if (!*option->valueName) {
            if (equals != std::string::npos)
                parsed.error = MSG_OPTION + name + MSG_NO_VALUE;
            else
                parsed.given[name] = "";
        } else {
            std::string value;
            if (equals != std::string::npos)
                value = arg.substr(equals + 1);
            else if (i + 1 < args.size() && !startsWithDashes(args[i + 1]))
                value = args[++i];
            if (value.empty())
                parsed.error = MSG_OPTION + name + MSG_NEEDS_VALUE + option->valueName;
            else
                parsed.given[name] = value;
        }
    }
    return parsed;
}

std::string usage(const std::vector<Option>& options)
{
    std::size_t width = 0;
    for (const Option& option : options)
        width = std::max(width, synopsis(option).size());
    std::string text = USAGE_HEAD;
    for (const Option& option : options) {
        const std::string left = synopsis(option);
        text += "  " + left + std::string(width - left.size() + 2, ' ') + option.help + "\n";
    }
    return text + USAGE_TAIL;
}

std::string version() { return std::string("morvane ") + MORVANE_VERSION + "\nzone format: " + zonefile::FORMAT_NAME + "\n"; }

std::string manualOptions(const std::vector<Option>& options)
{
    std::string text;
    for (const Option& option : options) {
        text += ".TP\n";
        if (*option.valueName)
            text += ".BI " + roff(std::string(DASHES) + option.name) + " \" " + option.valueName + "\"\n";
        else
            text += ".B " + roff(std::string(DASHES) + option.name) + "\n";
        text += roff(option.help) + "\n";
    }
    return text;
}

std::string markdownOptions(const std::vector<Option>& options)
{
    std::string text = "| option | what it does |\n|---|---|\n";
    for (const Option& option : options)
        text += "| `" + synopsis(option) + "` | " + markdown(option.help) + " |\n";
    return text;
}

} // namespace commandline
