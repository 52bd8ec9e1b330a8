#include "editor/commandwords.h"
#include "editortesting.h"
#include "world/zone.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines split(const std::string& line, bool* balanced = nullptr)
{
    Lines tokens;
    const bool ok = tokenizeCommand(line, tokens);
    if (balanced)
        *balanced = ok;
    return tokens;
}

std::string unparsed(const std::string& word)
{
    return "Unable to parse command: " + word + "! Check your arguments/spelling!";
}

TEST(CommandTokenizer, WhiteSpaceSeparatesOnlyOutsideQuotes)
{
    EXPECT_EQ(split("  resize \t 20   15 \n"), (Lines{"resize", "20", "15"}));
    EXPECT_EQ(split("   "), Lines{});
    EXPECT_EQ(split("dialogtext \"Hi there,  you\""), (Lines{"dialogtext", "Hi there,  you"}));
    EXPECT_EQ(split("note big\" old \"town"), (Lines{"note", "big old town"}));
    // A final pair of quotes still makes a word.
    EXPECT_EQ(split("dialogtext \"\""), (Lines{"dialogtext", ""}));
    bool balanced = true;
    split("dialogtext \"open", &balanced);
    EXPECT_FALSE(balanced);
}

// Which words are numbers; the editor tests below show what the commands do with each kind.
TEST(CommandTokenizer, NumberWordsArePlainDecimalWithinRange)
{
    using N = NumberWord;
    const struct {
        const char* word;
        N whole, decimal;
    } cases[] = {
        {"-0", N::NUMBER, N::NUMBER}, {"+5", N::NUMBER, N::NUMBER}, {"-2147483648", N::NUMBER, N::NUMBER},
        {"2147483648", N::OUT_OF_RANGE, N::NUMBER}, {"99999999999999999999", N::OUT_OF_RANGE, N::NUMBER},
        {".5", N::NO_NUMBER, N::NUMBER}, {"5.", N::NOT_PLAIN, N::NUMBER}, {"-2.5E-3", N::NOT_PLAIN, N::NUMBER},
        {"1e309", N::NOT_PLAIN, N::OUT_OF_RANGE}, {"0x10", N::NOT_PLAIN, N::NOT_PLAIN},
        {"1e", N::NOT_PLAIN, N::NOT_PLAIN}, {"5 ", N::NOT_PLAIN, N::NOT_PLAIN}, {" 5", N::NO_NUMBER, N::NO_NUMBER},
        {"", N::NO_NUMBER, N::NO_NUMBER}, {"-", N::NO_NUMBER, N::NO_NUMBER}, {".", N::NO_NUMBER, N::NO_NUMBER},
        {"inf", N::NO_NUMBER, N::NO_NUMBER}, {"nan", N::NO_NUMBER, N::NO_NUMBER},
    };
    for (const auto& c : cases) {
        int whole = 7;
        double decimal = 7.0;
        EXPECT_EQ(readWholeNumber(c.word, whole), c.whole) << c.word;
        EXPECT_EQ(readDecimalNumber(c.word, decimal), c.decimal) << c.word;
        EXPECT_TRUE(c.whole == N::NUMBER || whole == 7) << c.word;
        EXPECT_TRUE(c.decimal == N::NUMBER || decimal == 7.0) << c.word;
    }
}

class EditorCommandTest : public EditorFixture {};

TEST_F(EditorCommandTest, ZoneCommandsAndTheirMessages)
{
    EXPECT_EQ(run("id 7"), Lines{"Zone id set to 7!"});
    EXPECT_EQ(run("resize 20 15"), Lines{"Zone resized from (10, 10) to (20, 15)"});
    EXPECT_EQ(editor->currZone->getWidth(), 20);
    EXPECT_EQ(editor->currZone->getHeight(), 15);
    EXPECT_EQ(run("note \"Corner shop\""), Lines{"Zone name set to \"Corner shop\"."});
    EXPECT_EQ(editor->currZone->name, "Corner shop");
    // No load would take a longer name back.
    EXPECT_EQ(run("note " + std::string(zonefile::MAX_NAME + 1, 'n')), Lines{"Zone name too long! At most 256 characters."});
    EXPECT_EQ(editor->currZone->name, "Corner shop");
    EXPECT_EQ(run("link 5"), Lines{"No tile selected! Click one in tile properties mode (2) first."});
    selectTile(2, 1);
    EXPECT_EQ(run("link 5"), Lines{"Linked selected tile to Zone 5!"});
    EXPECT_EQ(editor->currZone->getTile(2, 1)->link, 5);

    run("id -1");
    EXPECT_EQ(run("save"), Lines{"Failed to save!"});
    run("id 604");
    EXPECT_EQ(run("save"), Lines{"Saved!"});
    std::remove("resources/lvl/604.zn");
}

TEST_F(EditorCommandTest, WrongCountsCapitalsAndUnbalancedQuotesRunNothing)
{
    for (const char* line : {"save now", "id", "id 1 2", "resize 4", "note", "load", "link 1 2", "trigger",
                             "selectevent", "selectdialog", "dialogtext", "portraitid", "portraitpos 1 2",
                             "evententity 1 2", "eventdest 3", "Save", "frobnicate 1"})
        EXPECT_EQ(run(line), Lines{unparsed(split(line)[0])}) << line;
    EXPECT_EQ(run("note \"half open"), Lines{"Unbalanced quotations! Please enter valid syntax."});
    EXPECT_EQ(run("   "), Lines{});
    EXPECT_EQ(editor->currZone->id, -1);
    EXPECT_EQ(editor->currZone->name, "unnamed");
}

// Bytes typed or loaded come back in messages escaped and whole: no terminal or console
// control, no message cut at a NUL, no line split in two.
TEST_F(EditorCommandTest, MessagesQuoteControlBytesEscapedAndWhole)
{
    const struct {
        std::string line;
        Lines said;
    } cases[] = {
        {"note \"a\x1b[2Jb\"", {"Zone name set to \"a\\x1b[2Jb\"."}},
        {std::string("note \"cut\0here\nnew line\"", 24), {"Zone name set to \"cut\\0here\\nnew line\"."}},
        {std::string("fly\0away", 8), {"Unable to parse command: fly\\0away! Check your arguments/spelling!"}},
        {"id 4\x07", {"Not a whole number: \"4\\x07\"!"}},
        {"discard \x9b" "1m", {"Did you mean discard recovery?"}},
        {"discard\x1b recovery", {"Unable to parse command: discard\\x1b! Check your arguments/spelling!"}},
        {"undo", {"Undid: note \"cut\\0here\\nnew line\""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run(c.line), c.said) << c.line;
}

TEST_F(EditorCommandTest, BadSizesAndRadiiAreRefused)
{
    for (const char* line : {"resize 0 5", "resize 5 -1", "resize x 5", "resize 5000 5"}) {
        const Lines out = run(line);
        ASSERT_EQ(out.size(), 1u) << line;
        EXPECT_EQ(out[0].rfind("Invalid zone size", 0), 0u) << out[0];
    }
    EXPECT_EQ(editor->currZone->getWidth(), 10);
    for (const char* line :
         {"trigger 0", "trigger -3", "trigger wide", "trigger nan", "trigger inf", "trigger 5000", "trigger 1e-50"})
        EXPECT_EQ(run(line), Lines{"Trigger radius must be above 0 and at most 4096!"}) << line;
    EXPECT_TRUE(editor->currZone->entities.empty());
}

TEST_F(EditorCommandTest, ResizeAndLoadDropSelectionsAndFailedLoadsChangeNothing)
{
    selectTile(3, 3);
    ASSERT_NE(editor->selectedTile, nullptr);
    run("resize 3 4");
    EXPECT_EQ(editor->selectedTile, nullptr);
    run("trigger 10");
    const Lines asked{"Unsaved changes to zone -1. Save first? y = save, n = discard, Escape = stay"};
    EXPECT_EQ(run("load 987"), asked);
    EXPECT_EQ(answer(sf::Keyboard::N), Lines{"Failed to load zone 987! (resources/lvl/987.zn: No such file or directory)"});
    {
        std::ofstream damaged("resources/lvl/653.zn", std::ios::binary);
        damaged << "not a zone at all";
    }
    EXPECT_EQ(run("load 653"), asked);
    EXPECT_EQ(answer(sf::Keyboard::N), Lines{"Failed to load zone 653! (resources/lvl/653.zn: the zone name is "
                                             "1870274657 bytes long, more than 256)"});
    std::remove("resources/lvl/653.zn");
    EXPECT_EQ(editor->currZone->getWidth(), 3);
    EXPECT_EQ(editor->currZone->entities.size(), 1u);

    run("trigger 10");
    run("id 631");
    run("save");
    run("load 631");
    std::remove("resources/lvl/631.zn");
    EXPECT_EQ(editor->selectedEntity, nullptr);
    EXPECT_EQ(editor->currZone->entities.size(), 2u);
}

TEST_F(EditorCommandTest, TriggerIsMadeUnderTheMouseSelectedWithOneEvent)
{
    pointAt(sf::Vector2f(100.0f, 60.0f));
    const sf::Vector2f at = editor->mouseWorld();
    char expected[128];
    std::snprintf(expected, sizeof expected, "Trigger of radius %f created at %f, %f!", 40.0,
                  static_cast<double>(at.x), static_cast<double>(at.y));
    EXPECT_EQ(run("trigger 40"), Lines{expected});
    Trigger* trigger = selectedTrigger();
    ASSERT_NE(trigger, nullptr);
    EXPECT_EQ(trigger->position, at);
    EXPECT_FLOAT_EQ(trigger->radius, 40.0f);
    EXPECT_EQ(trigger->team, 1);
    EXPECT_TRUE(trigger->fireOnEnter);
    EXPECT_EQ(trigger->uses, 1);
    ASSERT_EQ(trigger->events.size(), 1u);
    EXPECT_EQ(trigger->events[0].type, Event::EVENT_DIALOG);
}

TEST_F(EditorCommandTest, TriggerWordsNeedASelectedTrigger)
{
    const char* words[] = {"event", "selectevent 0", "selectdialog 0", "dialogtext hi", "dialog",
                           "portraitid 1", "portraitpos 1", "eventtype", "evententity 2", "eventdest 1 2"};
    for (const char* line : words)
        EXPECT_EQ(run(line), Lines{"No trigger entity selected!"}) << line;
    stamp(Entity::TYPE_DOODAD, sf::Vector2f(50.0f, 50.0f));
    click();
    ASSERT_NE(editor->selectedEntity, nullptr);
    EXPECT_EQ(run("event"), Lines{"No trigger entity selected!"});
}

TEST_F(EditorCommandTest, EventsAreAddedSelectedAndEdited)
{
    run("trigger 30");
    Trigger* trigger = selectedTrigger();
    const std::string id = std::to_string(trigger->getID());
    EXPECT_EQ(run("event"), Lines{"Added new event to trigger id :" + id + "!"});
    EXPECT_EQ(editor->selectedEvent, 0);
    EXPECT_EQ(run("selectevent 5"), Lines{"Invalid event index!"});
    EXPECT_EQ(run("selectevent -1"), Lines{"Invalid event index!"});
    EXPECT_EQ(editor->selectedEvent, 0);
    EXPECT_EQ(run("selectevent 1"), Lines{"Event 1 selected."});

    run("eventtype");
    EXPECT_EQ(trigger->events[1].type, Event::EVENT_MOVE);
    run("eventtype with extra words");
    EXPECT_EQ(trigger->events[1].type, Event::EVENT_DIALOG);
    run("evententity 3");
    run("eventdest 5 7");
    EXPECT_EQ(trigger->events[1].entityId, 3);
    EXPECT_EQ(trigger->events[1].destX, 5);
    EXPECT_EQ(trigger->events[1].destY, 7);
    EXPECT_EQ(trigger->events[0].entityId, 0);
}

TEST_F(EditorCommandTest, DialogLinesAreWrittenThroughTheSelection)
{
    run("trigger 30");
    const std::vector<DialogLine>& lines = selectedTrigger()->events[0].dialogLines;
    run("dialog");
    run("dialog");
    EXPECT_EQ(editor->selectedLine, 1);
    EXPECT_EQ(run("dialogtext \"Hi\\nthere\""), Lines{"Text of dialog line 1 of event 0 set."});
    run("portraitid 2");
    run("portraitpos 3");
    run("selectdialog 0");
    run("dialogtext first");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "first");
    EXPECT_EQ(lines[0].portraitId, 0);
    EXPECT_EQ(lines[1].text, "Hi\nthere");
    EXPECT_EQ(lines[1].portraitId, 2);
    EXPECT_EQ(lines[1].portraitPos, 3);
    run("dialogtext \"\"");
    EXPECT_EQ(lines[0].text, "");
    EXPECT_EQ(run("dialogtext " + std::string(Trigger::MAX_TEXT + 1, 'x')),
              Lines{"Dialog text too long! At most 65536 characters."});
    EXPECT_EQ(lines[0].text, "");
}

// A refused selection used to keep the old line, so the next edit went to a line nobody chose.
TEST_F(EditorCommandTest, SelectingAMissingLineLeavesNoOtherLineToEdit)
{
    run("trigger 30");
    for (const char* line : {"dialog", "dialogtext first", "dialog", "dialogtext second"})
        run(line);
    for (int j : {3, -1}) {
        EXPECT_EQ(run("selectdialog " + std::to_string(j)), Lines{"Dialog line " + std::to_string(j) + " selected."});
        EXPECT_EQ(editor->selectedLine, j);
        const Lines noLine{"Event 0 has no dialog line " + std::to_string(j) + "! Add one with dialog."};
        EXPECT_EQ(run("dialogtext changed"), noLine);
        EXPECT_EQ(run("portraitid 2"), noLine);
    }
    const std::vector<DialogLine>& lines = selectedTrigger()->events[0].dialogLines;
    EXPECT_EQ(lines[0].text, "first");
    EXPECT_EQ(lines[1].text, "second");
    EXPECT_EQ(lines[1].portraitId, 0);
}

TEST_F(EditorCommandTest, MissingEventsAndLinesAreRefused)
{
    run("trigger 30");
    const Lines noLine{"Event 0 has no dialog line 0! Add one with dialog."};
    EXPECT_EQ(run("dialogtext hello"), noLine);
    EXPECT_EQ(run("portraitid 1"), noLine);
    EXPECT_EQ(run("portraitpos 1"), noLine);
    run("dialog");
    EXPECT_EQ(editor->selectedLine, 0);

    // As a trigger loaded from a file may have no events at all.
    selectedTrigger()->events.clear();
    for (const char* line : {"dialog", "eventtype", "evententity 1", "eventdest 1 1", "dialogtext x"})
        EXPECT_EQ(run(line), Lines{"Selected trigger has no event 0! Add one with event."}) << line;
    EXPECT_TRUE(selectedTrigger()->events.empty());
}

TEST_F(EditorCommandTest, HelpNamesEveryCommandInAFewLines)
{
    const Lines out = run("help");
    std::string all;
    for (const std::string& line : out)
        all += line + " ";
    for (const char* word : {"id", "note", "resize", "save", "load", "link", "trigger", "event", "selectevent",
                             "eventtype", "evententity", "eventdest", "dialog", "selectdialog", "dialogtext",
                             "portraitid", "portraitpos"})
        EXPECT_NE(all.find(std::string(word) + " "), std::string::npos) << word;
    EXPECT_LE(out.size(), 8u);
}

using testsupport::readFile;

TEST_F(EditorCommandTest, ScriptedZoneSavesAndReadsBackByteForByte)
{
    for (const char* line : {"resize 6 5", "note \"Back alley\"", "trigger 40", "dialog",
                             "dialogtext \"Who goes\\nthere?\"", "portraitid 1", "portraitpos 3", "event",
                             "selectevent 1", "eventtype", "evententity 3", "eventdest 5 2", "id 641"})
        run(line);
    EXPECT_EQ(run("save"), Lines{"Saved!"});
    const std::string first = readFile("resources/lvl/641.zn");

    editor->leave();
    editor->enter();
    // Saved again after the load, only the id may differ: the load kept everything.
    EXPECT_EQ(run("load 641"), Lines{"Loaded zone 641 (Back alley), 6 x 5 tiles."});
    EXPECT_EQ(editor->currZone->name, "Back alley");
    run("id 642");
    run("save");
    std::string second = readFile("resources/lvl/642.zn");
    std::remove("resources/lvl/641.zn");
    std::remove("resources/lvl/642.zn");
    ASSERT_FALSE(first.empty());
    ASSERT_EQ(second.size(), first.size());
    second[0] = first[0]; // the id, 641 against 642 little-endian, is all that differs
    EXPECT_EQ(second, first);
}

// A number word is plain decimal within range or refused by name: no misread number may
// renumber, resize, reload or relink the zone and then be saved over another level.
TEST_F(EditorCommandTest, NumberWordsThatAreNotPlainNumbersChangeNothing)
{
    selectTile(2, 1);
    for (const char* line : {"trigger 30", "dialog", "id 651", "save"})
        run(line);
    const std::string before = readFile("resources/lvl/651.zn");
    const std::string whole = "Not a whole number: \"", decimal = "Not a number: \"",
                      range = "Number out of range: \"";
    const struct {
        const char* line;
        std::string refusal; // the message, up to the word
        const char* word;
    } cases[] = {
        {"id 0x10", whole, "0x10"}, {"id 1e3", whole, "1e3"}, {"id 5x", whole, "5x"},
        {"id 1.0", whole, "1.0"}, {"id \"\"", whole, ""}, {"id -", whole, "-"}, {"id +", whole, "+"},
        {"id \" 5\"", whole, " 5"}, {"id --5", whole, "--5"}, {"id 99999999999", range, "99999999999"},
        {"id 2147483648", range, "2147483648"}, {"id -2147483649", range, "-2147483649"},
        {"resize 1e309 1e309", whole, "1e309"}, {"resize 20 15x", whole, "15x"},
        {"resize 99999999999 5", range, "99999999999"}, {"load 1e3", whole, "1e3"}, {"link 0x10", whole, "0x10"},
        {"trigger 1e309", range, "1e309"}, {"trigger -1e309", range, "-1e309"}, {"trigger 40x", decimal, "40x"},
        {"trigger 0x10", decimal, "0x10"}, {"trigger 1e", decimal, "1e"}, {"trigger 1.2.3", decimal, "1.2.3"},
        {"selectevent 0x1", whole, "0x1"}, {"selectdialog 1e0", whole, "1e0"}, {"portraitid x", whole, "x"},
        {"portraitpos 3.0", whole, "3.0"}, {"evententity 2e1", whole, "2e1"}, {"eventdest 5 7y", whole, "7y"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run(c.line), Lines{c.refusal + c.word + "\"!"}) << c.line;
    EXPECT_EQ(editor->selectedTile, editor->currZone->getTile(2, 1));
    EXPECT_EQ(editor->selectedLine, 0);
    EXPECT_EQ(run("save"), Lines{"Saved!"});
    EXPECT_EQ(readFile("resources/lvl/651.zn"), before);
    std::remove("resources/lvl/651.zn");

    // Their neighbours that are plain numbers go through.
    for (const char* line : {"id +5", "id -0", "id 007", "id -2147483648", "id 2147483647"})
        run(line);
    EXPECT_EQ(editor->currZone->id, 2147483647);
    EXPECT_EQ(run("eventdest -3 +4"), Lines{"Event 0 walks to column -3, row 4."});
    EXPECT_EQ(selectedTrigger()->events[0].destY, 4);
    for (const char* line : {"trigger .5", "trigger 5.", "trigger 2.5e1", "trigger 1E3"})
        EXPECT_EQ(run(line).size(), 1u) << line;
    EXPECT_FLOAT_EQ(selectedTrigger()->radius, 1000.0f);
    EXPECT_EQ(editor->currZone->entities.size(), 5u);
}

} // namespace
