#include "editor/editorcommands.h"

#include "core/printable.h"
#include "editor/commandwords.h"
#include "editor/stateeditor.h"
#include "play/trigger.h"
#include "world/tile.h"
#include "world/zone.h"
#include "world/zonefile.h"

#include <string>

// What a command's function works on. Its number arguments are read before it runs.
struct CommandCall {
    StateEditor& editor;
    Zone& zone;
    const std::vector<std::string>& words; // the command word first
    Trigger* trigger;                      // the selected trigger, for rows that need one
    // By argument position (0 is words[1]), for the arguments the row reads as numbers.
    std::array<int, EditorCommand::MAX_ARGS> whole;
    std::array<double, EditorCommand::MAX_ARGS> decimal;
};

namespace {

using Words = std::vector<std::string>;

const char* const MSG_UNBALANCED = "Unbalanced quotations! Please enter valid syntax.";
const char* const MSG_UNKNOWN = "Unable to parse command: %s! Check your arguments/spelling!";
const char* const MSG_NO_TRIGGER = "No trigger entity selected!";
const char* const MSG_NOT_WHOLE = "Not a whole number: \"%s\"!";
const char* const MSG_NOT_DECIMAL = "Not a number: \"%s\"!";
const char* const MSG_OUT_OF_RANGE = "Number out of range: \"%s\"!";
const char* const MSG_ID = "Zone id set to %d!\n";
const char* const MSG_RESIZED = "Zone resized from (%d, %d) to (%d, %d)\n";
const char* const MSG_BAD_SIZE = "Invalid zone size (%d, %d)! Sides run from 1 to %d, with %d tiles at most.";
const char* const MSG_NAMED = "Zone name set to \"%s\".";
const char* const MSG_LINKED = "Linked selected tile to Zone %d!";
const char* const MSG_NO_TILE = "No tile selected! Click one in tile properties mode (2) first.";
const char* const MSG_TRIGGER = "Trigger of radius %f created at %f, %f!\n";
const char* const MSG_BAD_RADIUS = "Trigger radius must be above 0 and at most %d!";
// Zone files with larger radii are refused on loading.
const int MAX_TRIGGER_RADIUS = static_cast<int>(zonefile::MAX_RADIUS);
const char* const MSG_EVENT_ADDED = "Added new event to trigger id :%d!";
const char* const MSG_EVENT_SELECTED = "Event %d selected.";
const char* const MSG_BAD_EVENT_INDEX = "Invalid event index!";
const char* const MSG_NO_EVENT = "Selected trigger has no event %d! Add one with event.";
const char* const MSG_TEXT_TOO_LONG = "Dialog text too long! At most %d characters.";
const char* const MSG_NAME_TOO_LONG = "Zone name too long! At most %d characters.";
const char* const MSG_NO_LINE = "Event %d has no dialog line %d! Add one with dialog.";
const char* const MSG_LINE_ADDED = "Added dialog line %d to event %d.";
const char* const MSG_LINE_SELECTED = "Dialog line %d selected.";
const char* const MSG_TEXT_SET = "Text of dialog line %d of event %d set.";
const char* const MSG_PORTRAIT = "Dialog line %d of event %d shows portrait %d.";
const char* const MSG_PORTRAIT_POS = "Dialog line %d of event %d puts its portrait in corner %d.";
const char* const MSG_NOW_WALK = "Event %d is now a walk.";
const char* const MSG_NOW_DIALOG = "Event %d is now a dialog.";
const char* const MSG_WALKER = "Event %d walks entity %d.";
const char* const MSG_DEST = "Event %d walks to column %d, row %d.";
const char* const MSG_RECOVERY_WORD = "Did you mean %s recovery?";

const char* const TOPIC_TITLES[] = {"Zone", "Edit", "Trigger", "Move event", "Dialog", "Console"};
static_assert(sizeof TOPIC_TITLES / sizeof TOPIC_TITLES[0] == static_cast<std::size_t>(CommandTopic::COUNT),
              "one title per help topic");
const char* const HELP_FOOTER = "Quote words that hold spaces. Commands are lower case.";

Console& console(CommandCall& c) { return c.editor.console; }

bool requireEvent(CommandCall& c)
{
    if (c.editor.hasEvent(*c.trigger, c.editor.selectedEvent))
        return true;
    console(c).print(MSG_NO_EVENT, c.editor.selectedEvent);
    return false;
}

bool requireLine(CommandCall& c)
{
    if (!requireEvent(c))
        return false;
    if (c.editor.hasLine(*c.trigger, c.editor.selectedEvent, c.editor.selectedLine))
        return true;
    console(c).print(MSG_NO_LINE, c.editor.selectedEvent, c.editor.selectedLine);
    return false;
}

// --- the zone ---

void setId(CommandCall& c)
{
    c.zone.id = c.whole[0];
    console(c).print(MSG_ID, c.zone.id);
}

bool checkSize(CommandCall& c, int w, int h)
{
    if (Zone::validSize(w, h))
        return true;
    console(c).print(MSG_BAD_SIZE, w, h, Zone::MAX_SIDE, Zone::MAX_TILES);
    return false;
}

void resize(CommandCall& c)
{
    const int w = c.whole[0];
    const int h = c.whole[1];
    const int oldWidth = c.zone.getWidth();
    const int oldHeight = c.zone.getHeight();
    if (!checkSize(c, w, h))
        return;
    c.editor.step().noteResize(c.zone, w, h);
    c.zone.resize(w, h);
    // The grid was rebuilt: the old tile pointer is gone.
    c.editor.selectedTile = nullptr;
    console(c).print(MSG_RESIZED, oldWidth, oldHeight, w, h);
}

void note(CommandCall& c)
{
    // Longer names would save into a file that no load accepts.
    std::string why;
    if (!zonefile::checkName(c.words[1], why)) {
        console(c).print(MSG_NAME_TOO_LONG, static_cast<int>(zonefile::MAX_NAME));
        return;
    }
    c.zone.name = c.words[1];
    console(c).print(MSG_NAMED, printable(c.zone.name).c_str());
}

void save(CommandCall& c) { c.editor.requestSave(); }

bool readArgument(CommandCall& c, CommandArg kind, std::size_t at);

// A zone number, or the word recovery for the recovery file offered.
void load(CommandCall& c)
{
    if (c.words[1] == "recovery") {
        c.editor.loadRecovery();
        return;
    }
    if (readArgument(c, CommandArg::WHOLE, 0))
        c.editor.request(StateEditor::Pending::LOAD, c.whole[0]);
}

void discard(CommandCall& c)
{
    if (c.words[1] == "recovery")
        c.editor.discardRecovery();
    else
        console(c).print(MSG_RECOVERY_WORD, printable(c.words[0]).c_str());
}

void newZone(CommandCall& c)
{
    if (checkSize(c, c.whole[0], c.whole[1]))
        c.editor.request(StateEditor::Pending::NEW, c.whole[0], c.whole[1]);
}

void undo(CommandCall& c) { c.editor.undo(); }

void redo(CommandCall& c) { c.editor.redo(); }

void play(CommandCall& c) { c.editor.startPlayTest(); }

void link(CommandCall& c)
{
    if (!c.editor.selectedTile) {
        console(c).print("%s", MSG_NO_TILE);
        return;
    }
    c.editor.step().noteTile(*c.editor.selectedTile);
    c.editor.selectedTile->link = c.whole[0];
    console(c).print(MSG_LINKED, c.whole[0]);
}

// --- triggers and events ---

void makeTrigger(CommandCall& c)
{
    const double value = c.decimal[0];
    // Checked before narrowing, which is only defined within the float range.
    const float r = value > 0.0 && value <= MAX_TRIGGER_RADIUS ? static_cast<float>(value) : 0.0f;
    if (!(r > 0.0f)) {
        console(c).print(MSG_BAD_RADIUS, MAX_TRIGGER_RADIUS);
        return;
    }
    const sf::Vector2f at = c.editor.mouseWorld();
    auto made = std::make_unique<Trigger>(&c.zone.entities, r, 1, true, 1);
    c.editor.step().noteEntity(c.zone, made->getID());
    made->position = at;
    Trigger* trigger = c.zone.entities.add(std::move(made));
    trigger->addEvent();
    c.editor.selectEntity(trigger);
    console(c).print(MSG_TRIGGER, static_cast<double>(r), static_cast<double>(at.x), static_cast<double>(at.y));
}

void addEvent(CommandCall& c)
{
    c.trigger->addEvent();
    console(c).print(MSG_EVENT_ADDED, c.trigger->getID());
}

void selectEvent(CommandCall& c)
{
    const int i = c.whole[0];
    if (!c.editor.hasEvent(*c.trigger, i)) {
        console(c).print("%s", MSG_BAD_EVENT_INDEX);
        return;
    }
    c.editor.selectedEvent = i;
    console(c).print(MSG_EVENT_SELECTED, i);
}

void switchEventType(CommandCall& c)
{
    if (!requireEvent(c))
        return;
    const int i = c.editor.selectedEvent;
    int& type = c.trigger->events[i].type;
    type = type == Event::EVENT_DIALOG ? Event::EVENT_MOVE : Event::EVENT_DIALOG;
    console(c).print(type == Event::EVENT_MOVE ? MSG_NOW_WALK : MSG_NOW_DIALOG, i);
}

void setEventEntity(CommandCall& c)
{
    if (!requireEvent(c))
        return;
    c.trigger->setEventEntity(c.editor.selectedEvent, c.whole[0]);
    console(c).print(MSG_WALKER, c.editor.selectedEvent, c.whole[0]);
}

void setEventDest(CommandCall& c)
{
    if (!requireEvent(c))
        return;
    c.trigger->setEventDestX(c.editor.selectedEvent, c.whole[0]);
    c.trigger->setEventDestY(c.editor.selectedEvent, c.whole[1]);
    console(c).print(MSG_DEST, c.editor.selectedEvent, c.whole[0], c.whole[1]);
}

// --- dialog lines ---

// Not range-tested: the commands that use the line refuse while it does not exist.
void selectDialog(CommandCall& c)
{
    c.editor.selectedLine = c.whole[0];
    console(c).print(MSG_LINE_SELECTED, c.whole[0]);
}

void setDialogText(CommandCall& c)
{
    const std::string& text = c.words[1];
    // Longer texts would save into a file that no load accepts.
    if (text.size() > Trigger::MAX_TEXT) {
        console(c).print(MSG_TEXT_TOO_LONG, static_cast<int>(Trigger::MAX_TEXT));
    } else if (requireLine(c)) {
        c.trigger->setDialogText(c.editor.selectedEvent, c.editor.selectedLine, text);
        console(c).print(MSG_TEXT_SET, c.editor.selectedLine, c.editor.selectedEvent);
    }
}

void addDialog(CommandCall& c)
{
    if (!requireEvent(c))
        return;
    const int i = c.editor.selectedEvent;
    c.trigger->addDialogLine(i);
    c.editor.selectedLine = static_cast<int>(c.trigger->events[i].dialogLines.size()) - 1;
    console(c).print(MSG_LINE_ADDED, c.editor.selectedLine, i);
}

void setPortraitId(CommandCall& c)
{
    if (!requireLine(c))
        return;
    c.trigger->setPortraitId(c.editor.selectedEvent, c.editor.selectedLine, c.whole[0]);
    console(c).print(MSG_PORTRAIT, c.editor.selectedLine, c.editor.selectedEvent, c.whole[0]);
}

void setPortraitPos(CommandCall& c)
{
    if (!requireLine(c))
        return;
    c.trigger->setPortraitPos(c.editor.selectedEvent, c.editor.selectedLine, c.whole[0]);
    console(c).print(MSG_PORTRAIT_POS, c.editor.selectedLine, c.editor.selectedEvent, c.whole[0]);
}

void help(CommandCall& c);

using A = CommandArg;
using T = CommandTopic;
const unsigned TRIGGER = EditorCommand::NEEDS_TRIGGER;
const unsigned ANY = EditorCommand::ANY_COUNT;
const unsigned EDITS = EditorCommand::EDITS;

// Tested in this order. A new command is one row here and its function above. The help
// lines are kept short: the log shows about a dozen lines.
const EditorCommand COMMANDS[] = {
    {"id", {A::WHOLE}, T::ZONE, "id <n>", EDITS, setId},
    {"resize", {A::WHOLE_OR_ZERO, A::WHOLE_OR_ZERO}, T::ZONE, "resize <width> <height>", EDITS, resize},
    {"note", {A::TEXT}, T::ZONE, "note <name>", EDITS, note},
    {"save", {}, T::ZONE, "save", 0, save},
    {"load", {A::TEXT}, T::ZONE, "load <n>", 0, load},
    {"new", {A::WHOLE_OR_ZERO, A::WHOLE_OR_ZERO}, T::ZONE, "new <width> <height>", 0, newZone},
    {"link", {A::WHOLE}, T::ZONE, "link <zone>", EDITS, link},
    {"undo", {}, T::EDIT, "undo (Ctrl+Z)", 0, undo},
    {"redo", {}, T::EDIT, "redo (Ctrl+Y)", 0, redo},
    {"play", {}, T::EDIT, "play (F5, unsaved)", 0, play},
    {"discard", {A::TEXT}, T::EDIT, "load recovery | discard recovery", 0, discard},
    {"trigger", {A::DECIMAL_OR_ZERO}, T::TRIGGER, "trigger <radius> (at the mouse)", EDITS, makeTrigger},
    {"help", {}, T::CONSOLE, "help (this list)", ANY, help},
    {"event", {}, T::TRIGGER, "event", TRIGGER | ANY | EDITS, addEvent},
    {"selectevent", {A::WHOLE}, T::TRIGGER, "selectevent <i>", TRIGGER, selectEvent},
    {"selectdialog", {A::WHOLE}, T::DIALOG, "selectdialog <j>", TRIGGER, selectDialog},
    {"dialogtext", {A::TEXT}, T::DIALOG, "dialogtext \"<text, \\n breaks>\"", TRIGGER | EDITS, setDialogText},
    {"dialog", {}, T::DIALOG, "dialog", TRIGGER | ANY | EDITS, addDialog},
    {"portraitid", {A::WHOLE}, T::DIALOG, "portraitid <n>", TRIGGER | EDITS, setPortraitId},
    {"portraitpos", {A::WHOLE}, T::DIALOG, "portraitpos <0-3>", TRIGGER | EDITS, setPortraitPos},
    {"eventtype", {}, T::TRIGGER, "eventtype (dialog/move)", TRIGGER | ANY | EDITS, switchEventType},
    {"evententity", {A::WHOLE}, T::MOVE_EVENT, "evententity <entity id>", TRIGGER | EDITS, setEventEntity},
    {"eventdest", {A::WHOLE, A::WHOLE}, T::MOVE_EVENT, "eventdest <column> <row>", TRIGGER | EDITS, setEventDest},
};

// One line per topic, the rows in table order.
void help(CommandCall& c)
{
    for (int topic = 0; topic < static_cast<int>(CommandTopic::COUNT); ++topic) {
        std::string line;
        for (const EditorCommand& command : COMMANDS) {
            if (static_cast<int>(command.topic) != topic)
                continue;
            line += line.empty() ? std::string(TOPIC_TITLES[topic]) + ": " : " | ";
            line += command.help;
        }
        if (!line.empty())
            console(c).print("%s", line.c_str());
    }
    console(c).print("%s", HELP_FOOTER);
}

// Reads one argument as its row says; false, with the word named, when it cannot be read.
bool readArgument(CommandCall& c, CommandArg kind, std::size_t at)
{
    if (kind == CommandArg::TEXT)
        return true;
    const std::string& word = c.words[at + 1];
    const bool decimal = kind == CommandArg::DECIMAL_OR_ZERO;
    const NumberWord read = decimal ? readDecimalNumber(word, c.decimal[at]) : readWholeNumber(word, c.whole[at]);
    const bool orZero = kind == CommandArg::WHOLE_OR_ZERO || decimal;
    // The value was left at 0 when the word held no number.
    if (read == NumberWord::NUMBER || (read == NumberWord::NO_NUMBER && orZero))
        return true;
    if (read == NumberWord::OUT_OF_RANGE)
        console(c).print(MSG_OUT_OF_RANGE, printable(word).c_str());
    else
        console(c).print(decimal ? MSG_NOT_DECIMAL : MSG_NOT_WHOLE, printable(word).c_str());
    return false;
}

// The line as typed, for the undo step's label.
std::string stepLabel(const Words& words)
{
    std::string label;
    for (const std::string& word : words) {
        if (!label.empty())
            label += ' ';
        label += word.find(' ') != std::string::npos || word.empty() ? "\"" + word + "\"" : word;
    }
    return label;
}

} // namespace

std::size_t EditorCommand::argCount() const
{
    std::size_t count = 0;
    while (count < MAX_ARGS && args[count] != CommandArg::NONE)
        ++count;
    return count;
}

bool EditorCommand::takes(std::size_t words) const { return (flags & ANY_COUNT) || words == argCount() + 1; }

const EditorCommand* findEditorCommand(const Words& words)
{
    if (words.empty())
        return nullptr;
    for (const EditorCommand& command : COMMANDS) {
        if (words[0] == command.word && command.takes(words.size()))
            return &command;
    }
    return nullptr;
}

void StateEditor::runCommand(const std::string& line)
{
    Words tokens;
    if (!tokenizeCommand(line, tokens)) {
        console.print("%s", MSG_UNBALANCED);
        return;
    }
    if (!tokens.empty())
        executeCommand(tokens);
}

void StateEditor::executeCommand(const Words& tokens)
{
    if (tokens.empty() || !currZone)
        return;
    const EditorCommand* command = findEditorCommand(tokens);
    if (!command) {
        console.print(MSG_UNKNOWN, printable(tokens[0]).c_str());
        return;
    }
    CommandCall call{*this, *currZone, tokens, selectedTrigger(), {}, {}};
    if ((command->flags & EditorCommand::NEEDS_TRIGGER) && !call.trigger) {
        console.print("%s", MSG_NO_TRIGGER);
        return;
    }
    for (std::size_t at = 0; at < command->argCount(); ++at) {
        if (!readArgument(call, command->args[at], at))
            return;
    }
    if (!(command->flags & EditorCommand::EDITS)) {
        command->run(call);
        return;
    }
    beginStep(stepLabel(tokens));
    if (call.trigger)
        step().noteEntity(*currZone, call.trigger->getID());
    command->run(call);
    endStep();
}
