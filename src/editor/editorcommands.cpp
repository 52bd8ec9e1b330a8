#include "editor/editorcommands.h"

#include "core/globals.h"
#include "editor/stateeditor.h"
#include "world/tile.h"
#include "play/trigger.h"
#include "world/zone.h"

#include <climits>
#include <cstdlib>

namespace {

bool isCommandSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

bool tokenizeCommand(const std::string& line, std::vector<std::string>& tokens)
{
    tokens.clear();
    std::string text = line;
    trim(text);
    if (text.empty())
        return true;
    bool quoted = false;
    std::string token;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (isCommandSpace(c) && !quoted) {
            if (!token.empty()) {
                tokens.push_back(token);
                token.clear();
            }
        } else {
            token += c;
        }
    }
    // Kept even when empty: `dialogtext ""` must clear a line, not lose its argument.
    tokens.push_back(token);
    return !quoted;
}

int readWholeNumber(const std::string& text)
{
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

double readNumber(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// --- the commands ---

namespace {

const char* const MSG_UNBALANCED = "Unbalanced quotations! Please enter valid syntax.";
const char* const MSG_UNKNOWN = "Unable to parse command: %s! Check your arguments/spelling!";
const char* const MSG_NO_TRIGGER = "No trigger entity selected!";
const char* const MSG_ID = "Zone id set to %d!\n";
const char* const MSG_RESIZED = "Zone resized from (%d, %d) to (%d, %d)\n";
const char* const MSG_BAD_SIZE = "Invalid zone size (%d, %d)! Sides run from 1 to %d.";
const char* const MSG_SAVED = "Saved!";
const char* const MSG_SAVE_FAILED = "Failed to save!";
const char* const MSG_LOAD_FAILED = "Failed to load zone %d!";
const char* const MSG_LINKED = "Linked selected tile to Zone %d!";
const char* const MSG_TRIGGER = "Trigger of radius %f created at %f, %f!\n";
const char* const MSG_BAD_RADIUS = "Trigger radius must be above 0 and at most %d!";
// Zone files with larger radii are refused on loading.
const int MAX_TRIGGER_RADIUS = 4096;
const char* const MSG_EVENT_ADDED = "Added new event to trigger id :%d!";
const char* const MSG_EVENT_SELECTED = "Event %d selected.";
const char* const MSG_BAD_EVENT_INDEX = "Invalid event index!";
const char* const MSG_BAD_LINE_INDEX = "Invalid dialog line index!";
const char* const MSG_NO_EVENT = "Selected trigger has no event %d! Add one with event.";
const char* const MSG_TEXT_TOO_LONG = "Dialog text too long! At most %d characters.";
const char* const MSG_NO_LINE = "Event %d has no dialog line %d! Add one with dialog.";

// Kept short: the log shows about a dozen lines above the input.
const char* const HELP_TEXT =
    "Zone: id <n> | note <name> | resize <width> <height> | save | load <n> | link <zone>\n"
    "Trigger: trigger <radius> (at the mouse) | event | selectevent <i> | eventtype (dialog/move)\n"
    "Move event: evententity <entity id> | eventdest <column> <row>\n"
    "Dialog: dialog | selectdialog <j> | dialogtext \"<text, \\n breaks>\" | portraitid <n> | portraitpos <0-3>\n"
    "Quote words that hold spaces. Commands are lower case.";

} // namespace

void StateEditor::runCommand(const std::string& line)
{
    std::vector<std::string> tokens;
    if (!tokenizeCommand(line, tokens)) {
        console.print("%s", MSG_UNBALANCED);
        return;
    }
    if (!tokens.empty())
        executeCommand(tokens);
}

void StateEditor::executeCommand(const std::vector<std::string>& tokens)
{
    if (tokens.empty() || !currZone)
        return;
    const std::string& word = tokens[0];
    const std::size_t count = tokens.size();
    const int a = count > 1 ? readWholeNumber(tokens[1]) : 0;
    const int b = count > 2 ? readWholeNumber(tokens[2]) : 0;

    if (word == "id" && count == 2) {
        currZone->id = a;
        console.print(MSG_ID, a);
    } else if (word == "resize" && count == 3) {
        commandResize(a, b);
    } else if (word == "note" && count == 2) {
        currZone->name = tokens[1];
    } else if (word == "save" && count == 1) {
        console.print("%s", currZone->save() ? MSG_SAVED : MSG_SAVE_FAILED);
    } else if (word == "load" && count == 2) {
        commandLoad(a);
    } else if (word == "link" && count == 2) {
        if (selectedTile) {
            selectedTile->link = a;
            console.print(MSG_LINKED, a);
        }
    } else if (word == "trigger" && count == 2) {
        commandTrigger(tokens[1]);
    } else if (word == "help") {
        printHelp();
    } else if (!executeTriggerCommand(tokens)) {
        console.print(MSG_UNKNOWN, word.c_str());
    }
}

void StateEditor::printHelp() { console.print("%s", HELP_TEXT); }

void StateEditor::commandResize(int w, int h)
{
    if (!Zone::validSize(w, h)) {
        console.print(MSG_BAD_SIZE, w, h, Zone::MAX_SIDE);
        return;
    }
    const int oldWidth = currZone->getWidth();
    const int oldHeight = currZone->getHeight();
    if (!currZone->resize(w, h)) {
        console.print(MSG_BAD_SIZE, w, h, Zone::MAX_SIDE);
        return;
    }
    // The grid was rebuilt: the old tile pointer is gone.
    selectedTile = nullptr;
    console.print(MSG_RESIZED, oldWidth, oldHeight, w, h);
}

void StateEditor::commandLoad(int zoneId)
{
    // Tiles and entities may all be replaced; never keep pointers across a load.
    selectedTile = nullptr;
    selectEntity(nullptr);
    dragging = false;
    // A load returns null for a zone without a player too; only a load that went through
    // builds a new grid, so the first tile's address tells the two apart.
    const Tile* before = currZone->getTile(0, 0);
    currZone->load(zoneId);
    if (currZone->getTile(0, 0) == before)
        console.print(MSG_LOAD_FAILED, zoneId);
}

void StateEditor::commandTrigger(const std::string& radiusText)
{
    const double value = readNumber(radiusText);
    // Checked before narrowing, which is only defined within the float range.
    const float r = value > 0.0 && value <= MAX_TRIGGER_RADIUS ? static_cast<float>(value) : 0.0f;
    if (!(r > 0.0f)) {
        console.print(MSG_BAD_RADIUS, MAX_TRIGGER_RADIUS);
        return;
    }
    const sf::Vector2f at = mouseWorld();
    Trigger* trigger = new Trigger(currZone, r, 1, true, 1);
    trigger->position = at;
    currZone->add(trigger);
    trigger->addEvent();
    selectEntity(trigger);
    console.print(MSG_TRIGGER, static_cast<double>(r), static_cast<double>(at.x), static_cast<double>(at.y));
}

bool StateEditor::requireEvent(const Trigger& trigger)
{
    if (hasEvent(trigger, selectedEvent))
        return true;
    console.print(MSG_NO_EVENT, selectedEvent);
    return false;
}

bool StateEditor::requireLine(const Trigger& trigger)
{
    if (!requireEvent(trigger))
        return false;
    if (hasLine(trigger, selectedEvent, selectedLine))
        return true;
    console.print(MSG_NO_LINE, selectedEvent, selectedLine);
    return false;
}

// The trigger-editing words; false when the line is none of them.
bool StateEditor::executeTriggerCommand(const std::vector<std::string>& tokens)
{
    const std::string& word = tokens[0];
    const std::size_t count = tokens.size();
    const bool anyCount = word == "event" || word == "dialog" || word == "eventtype";
    const bool twoTokens = word == "selectevent" || word == "selectdialog" || word == "dialogtext" ||
                           word == "portraitid" || word == "portraitpos" || word == "evententity";
    const bool threeTokens = word == "eventdest";
    if (!anyCount && !(twoTokens && count == 2) && !(threeTokens && count == 3))
        return false;

    Trigger* trigger = selectedTrigger();
    if (!trigger) {
        console.print("%s", MSG_NO_TRIGGER);
        return true;
    }
    const int a = count > 1 ? readWholeNumber(tokens[1]) : 0;
    const int b = count > 2 ? readWholeNumber(tokens[2]) : 0;
    const int i = selectedEvent;
    const int j = selectedLine;

    if (word == "event") {
        trigger->addEvent();
        console.print(MSG_EVENT_ADDED, trigger->getID());
    } else if (word == "selectevent") {
        if (hasEvent(*trigger, a)) {
            selectedEvent = a;
            console.print(MSG_EVENT_SELECTED, a);
        } else {
            console.print("%s", MSG_BAD_EVENT_INDEX);
        }
    } else if (word == "selectdialog") {
        if (!requireEvent(*trigger))
            return true;
        if (hasLine(*trigger, i, a))
            selectedLine = a;
        else
            console.print("%s", MSG_BAD_LINE_INDEX);
    } else if (word == "dialogtext") {
        // Longer texts would save into a file that no load accepts.
        if (tokens[1].size() > Trigger::MAX_TEXT)
            console.print(MSG_TEXT_TOO_LONG, static_cast<int>(Trigger::MAX_TEXT));
        else if (requireLine(*trigger))
            trigger->setDialogText(i, j, tokens[1]);
    } else if (word == "dialog") {
        if (requireEvent(*trigger)) {
            trigger->addDialogLine(i);
            selectedLine = static_cast<int>(trigger->events[i].dialogLines.size()) - 1;
        }
    } else if (word == "portraitid") {
        if (requireLine(*trigger))
            trigger->setPortraitId(i, j, a);
    } else if (word == "portraitpos") {
        if (requireLine(*trigger))
            trigger->setPortraitPos(i, j, a);
    } else if (word == "eventtype") {
        if (requireEvent(*trigger)) {
            int& type = trigger->events[i].type;
            type = type == Event::EVENT_DIALOG ? Event::EVENT_MOVE : Event::EVENT_DIALOG;
        }
    } else if (word == "evententity") {
        if (requireEvent(*trigger))
            trigger->setEventEntity(i, a);
    } else if (word == "eventdest") {
        if (requireEvent(*trigger)) {
            trigger->setEventDestX(i, a);
            trigger->setEventDestY(i, b);
        }
    }
    return true;
}
