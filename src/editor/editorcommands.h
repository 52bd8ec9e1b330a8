#pragma once
// The editor's command table: one row per typed command. The dispatch, the token-count
// check and the `help` text are all made from the rows (editorcommands.cpp).

#include <array>
#include <cstddef>
#include <string>
#include <vector>

struct CommandCall;

// How a word after the command word is read before the command runs. A word the row
// reads as a number and cannot is refused with a line naming it, and nothing runs.
enum class CommandArg : unsigned char {
    NONE,
    TEXT,  // as typed
    WHOLE, // a whole number
    // As WHOLE or DECIMAL, but a word with no number in it reads 0. Only for commands that
    // refuse 0 themselves, so the 0 can change nothing.
    WHOLE_OR_ZERO,
    DECIMAL_OR_ZERO,
};

// The lines of `help`, in this order.
enum class CommandTopic : unsigned char { ZONE, PACK, EDIT, TRIGGER, MOVE_EVENT, DIALOG, CONSOLE, COUNT };

struct EditorCommand {
    static const std::size_t MAX_ARGS = 2;
    enum Flag : unsigned {
        NEEDS_TRIGGER = 1, // refused unless a trigger is selected
        ANY_COUNT = 2,     // words after the command word are ignored
        EDITS = 4,         // changes the zone: one undo step
    };

    const char* word;
    std::array<CommandArg, MAX_ARGS> args;
    CommandTopic topic;
    const char* help;
    unsigned flags;
    void (*run)(CommandCall& call);

    std::size_t argCount() const;
    // Whether a line of this many words (the command word included) is this command.
    bool takes(std::size_t words) const;
};

// The first row, in table order, whose word and word count match the line; null if none.
const EditorCommand* findEditorCommand(const std::vector<std::string>& words);
