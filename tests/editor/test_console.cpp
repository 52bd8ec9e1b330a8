#include "editor/console.h"
#include "render/framelist.h"
#include "render/painter.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>

#include <cstdlib>
#include <string>

namespace {

sf::Event::KeyEvent key(sf::Keyboard::Key code, bool shift = false, bool control = false)
{
    sf::Event::KeyEvent event{};
    event.code = code;
    event.shift = shift;
    event.control = control;
    return event;
}

std::string press(Console& console, sf::Keyboard::Key code, bool shift = false, bool control = false)
{
    bool submitted = false;
    return console.handleKey(key(code, shift, control), submitted);
}

// Types lower-case letters, digits and spaces through the key handler.
void type(Console& console, const std::string& text)
{
    for (char c : text) {
        if (c == ' ')
            press(console, sf::Keyboard::Space);
        else if (c >= '0' && c <= '9')
            press(console, static_cast<sf::Keyboard::Key>(sf::Keyboard::Num0 + (c - '0')));
        else
            press(console, static_cast<sf::Keyboard::Key>(sf::Keyboard::A + (c - 'a')));
    }
}

TEST(ConsoleHistory, ReturnHandsBackTheLineClearsTheInputAndRemembersOnlyRealLines)
{
    Console console;
    bool submitted = false;
    EXPECT_EQ(console.handleKey(key(sf::Keyboard::Enter), submitted), "");
    EXPECT_TRUE(submitted);
    EXPECT_TRUE(console.history.empty());

    type(console, "save");
    EXPECT_EQ(console.handleKey(key(sf::Keyboard::Enter), submitted), "save");
    EXPECT_TRUE(submitted);
    EXPECT_EQ(console.input, "");
    EXPECT_EQ(console.cursor, 0);
    EXPECT_EQ(console.anchor, 0);
    EXPECT_EQ(console.history, std::deque<std::string>{"save"});

    // Other keys never claim a submission.
    EXPECT_EQ(console.handleKey(key(sf::Keyboard::A), submitted), "");
    EXPECT_FALSE(submitted);
}

TEST(ConsoleHistory, KeepsOnlyTheThirtyNewestLines)
{
    Console console;
    for (int i = 0; i < 31; ++i) {
        console.input = "line" + std::to_string(i);
        console.submit();
    }
    ASSERT_EQ(console.history.size(), 30u);
    EXPECT_EQ(console.history.front(), "line30");
    EXPECT_EQ(console.history.back(), "line1");
}

TEST(ConsoleHistory, UpAndDownWalkBackToTheTypedLine)
{
    Console console;
    console.history = {"p", "q"};
    type(console, "ab");

    press(console, sf::Keyboard::Up);
    EXPECT_EQ(console.input, "p");
    press(console, sf::Keyboard::Up);
    EXPECT_EQ(console.input, "q");
    press(console, sf::Keyboard::Up);
    EXPECT_EQ(console.input, "q");
    EXPECT_EQ(console.historyIndex, 1);
    EXPECT_EQ(console.cursor, 1);
    EXPECT_EQ(console.anchor, 1);

    press(console, sf::Keyboard::Down);
    EXPECT_EQ(console.input, "p");
    press(console, sf::Keyboard::Down);
    EXPECT_EQ(console.input, "ab");
    EXPECT_EQ(console.historyIndex, -1);
    EXPECT_EQ(console.cursor, 2);
    press(console, sf::Keyboard::Down);
    EXPECT_EQ(console.input, "ab");
}

TEST(ConsoleHistory, BrowsingAnEmptyHistoryLeavesTheLineAlone)
{
    Console console;
    type(console, "abc");
    press(console, sf::Keyboard::Left);
    press(console, sf::Keyboard::Up);
    press(console, sf::Keyboard::Down);
    EXPECT_EQ(console.input, "abc");
    EXPECT_EQ(console.cursor, 2);
    EXPECT_EQ(console.savedInput, "");
}

TEST(ConsoleLog, KeepsOnlyThe199NewestLines)
{
    Console console;
    for (int i = 0; i < 200; ++i)
        console.print("message %d", i);
    ASSERT_EQ(console.log.size(), 199u);
    EXPECT_EQ(console.log.front(), "message 199");
    EXPECT_EQ(console.log.back(), "message 1");
}

TEST(ConsoleLog, SplitsAtNewlinesAndDropsBlankPieces)
{
    Console console;
    console.print("Zone id set to %d!\n", 7);
    ASSERT_EQ(console.log.size(), 1u);
    EXPECT_EQ(console.log.front(), "Zone id set to 7!");

    console.print("a\nb");
    ASSERT_EQ(console.log.size(), 3u);
    EXPECT_EQ(console.log[0], "b");
    EXPECT_EQ(console.log[1], "a");

    console.print("   padded \t\n\n  \n\tsecond  ");
    ASSERT_EQ(console.log.size(), 5u);
    EXPECT_EQ(console.log[0], "second");
    EXPECT_EQ(console.log[1], "padded");

    console.print("%s", "");
    console.print("\n\n");
    EXPECT_EQ(console.log.size(), 5u);
}

TEST(ConsoleLog, LongMessagesArriveWhole)
{
    Console console;
    const std::string longWord(5000, 'x');
    console.print("start %s %d end", longWord.c_str(), 42);
    ASSERT_EQ(console.log.size(), 1u);
    EXPECT_EQ(console.log.front(), "start " + longWord + " 42 end");

    // Exactly at the old buffer's edge, and with a newline past it.
    const std::string edge(1023, 'y');
    console.print("%s", edge.c_str());
    EXPECT_EQ(console.log.front(), edge);
    console.print("%s\ntail", std::string(2000, 'z').c_str());
    EXPECT_EQ(console.log[0], "tail");
    EXPECT_EQ(console.log[1].size(), 2000u);
}

TEST(ConsoleEditing, ShiftSelectionIsReplacedByTyping)
{
    Console console;
    type(console, "abc");
    press(console, sf::Keyboard::Left, true);
    press(console, sf::Keyboard::Left, true);
    EXPECT_TRUE(console.hasSelection());
    EXPECT_EQ(console.cursor, 1);
    EXPECT_EQ(console.anchor, 3);

    press(console, sf::Keyboard::X);
    EXPECT_EQ(console.input, "ax");
    EXPECT_EQ(console.cursor, 2);
    EXPECT_FALSE(console.hasSelection());
}

TEST(ConsoleEditing, ArrowsWithoutShiftOnlyCollapseASelection)
{
    Console console;
    type(console, "hello");
    press(console, sf::Keyboard::Left, true);
    press(console, sf::Keyboard::Left, true);
    press(console, sf::Keyboard::Left);
    EXPECT_EQ(console.cursor, 3);
    EXPECT_EQ(console.anchor, 3);

    press(console, sf::Keyboard::Left, true);
    press(console, sf::Keyboard::Left, true);
    press(console, sf::Keyboard::Right);
    EXPECT_EQ(console.cursor, 3);
    EXPECT_EQ(console.anchor, 3);

    // A selection made rightwards collapses to its ends the same way.
    press(console, sf::Keyboard::Right, true);
    press(console, sf::Keyboard::Left, false, true);
    EXPECT_EQ(console.cursor, 3);
    EXPECT_EQ(console.input, "hello");
}

TEST(ConsoleEditing, WordJumpsStopAtSpacesAndNeverPassTheLastCharacter)
{
    Console console;
    type(console, "id 12");
    console.cursor = console.anchor = 0;
    press(console, sf::Keyboard::Right, false, true);
    EXPECT_EQ(console.cursor, 2);
    console.cursor = console.anchor = 3;
    press(console, sf::Keyboard::Right, false, true);
    EXPECT_EQ(console.cursor, 4);
    press(console, sf::Keyboard::Right, false, true);
    EXPECT_EQ(console.cursor, 4);

    console.cursor = console.anchor = 5;
    press(console, sf::Keyboard::Left, false, true);
    EXPECT_EQ(console.cursor, 3);
    press(console, sf::Keyboard::Left, false, true);
    EXPECT_EQ(console.cursor, 0);
    press(console, sf::Keyboard::Left, false, true);
    EXPECT_EQ(console.cursor, 0);
    EXPECT_EQ(console.anchor, 0);

    // Shift+Ctrl selects the word.
    press(console, sf::Keyboard::Right, true, true);
    EXPECT_EQ(console.anchor, 0);
    EXPECT_EQ(console.cursor, 2);

    Console empty;
    empty.moveRight(true);
    empty.moveLeft(true);
    EXPECT_EQ(empty.cursor, 0);
}

TEST(ConsoleEditing, CursorStopsAtBothEndsOfTheLine)
{
    Console console;
    type(console, "ab");
    press(console, sf::Keyboard::Right);
    EXPECT_EQ(console.cursor, 2);
    for (int i = 0; i < 3; ++i)
        press(console, sf::Keyboard::Left);
    EXPECT_EQ(console.cursor, 0);
    press(console, sf::Keyboard::C);
    EXPECT_EQ(console.input, "cab");
    EXPECT_EQ(console.cursor, 1);
}

TEST(ConsoleEditing, BackspaceAndDeleteTakeTheSelectionOrOneCharacter)
{
    Console console;
    type(console, "abcd");
    press(console, sf::Keyboard::Backspace);
    EXPECT_EQ(console.input, "abc");
    EXPECT_EQ(console.cursor, 3);
    press(console, sf::Keyboard::Delete); // nothing after the cursor
    EXPECT_EQ(console.input, "abc");

    press(console, sf::Keyboard::Left);
    press(console, sf::Keyboard::Left);
    press(console, sf::Keyboard::Delete);
    EXPECT_EQ(console.input, "ac");
    EXPECT_EQ(console.cursor, 1);

    press(console, sf::Keyboard::Right, true);
    press(console, sf::Keyboard::Backspace);
    EXPECT_EQ(console.input, "a");
    EXPECT_EQ(console.cursor, 1);
    EXPECT_EQ(console.anchor, 1);

    press(console, sf::Keyboard::Left, true);
    press(console, sf::Keyboard::Delete);
    EXPECT_EQ(console.input, "");
    press(console, sf::Keyboard::Backspace);
    EXPECT_EQ(console.cursor, 0);
    EXPECT_EQ(console.anchor, 0);
}

TEST(ConsoleKeys, MapFollowsTheUsLayout)
{
    EXPECT_EQ(keyToChar(sf::Keyboard::A, false), 'a');
    EXPECT_EQ(keyToChar(sf::Keyboard::Z, false), 'z');
    EXPECT_EQ(keyToChar(sf::Keyboard::M, true), 'M');
    const std::string shiftedDigits = ")!@#$%^&*(";
    for (int d = 0; d < 10; ++d) {
        const auto code = static_cast<sf::Keyboard::Key>(sf::Keyboard::Num0 + d);
        EXPECT_EQ(keyToChar(code, false), '0' + d);
        EXPECT_EQ(keyToChar(code, true), shiftedDigits[static_cast<std::size_t>(d)]);
    }
    const struct {
        sf::Keyboard::Key code;
        char plain;
        char shifted;
    } symbols[] = {
        {sf::Keyboard::LBracket, '[', '{'}, {sf::Keyboard::RBracket, ']', '}'},
        {sf::Keyboard::Semicolon, ';', ':'}, {sf::Keyboard::Comma, ',', '<'},
        {sf::Keyboard::Period, '.', '>'},    {sf::Keyboard::Quote, '\'', '"'},
        {sf::Keyboard::Slash, '/', '?'},     {sf::Keyboard::Backslash, '\\', '|'},
        {sf::Keyboard::Equal, '=', '+'},     {sf::Keyboard::Hyphen, '-', '_'},
    };
    for (const auto& s : symbols) {
        EXPECT_EQ(keyToChar(s.code, false), s.plain) << s.plain;
        EXPECT_EQ(keyToChar(s.code, true), s.shifted) << s.plain;
    }
    for (auto code : {sf::Keyboard::Space, sf::Keyboard::Tilde, sf::Keyboard::F1, sf::Keyboard::Numpad5,
                      sf::Keyboard::Tab, sf::Keyboard::Unknown})
        EXPECT_EQ(keyToChar(code, false), 0) << code;
}

TEST(ConsoleKeys, ShiftedKeysTypeAQuotedCommand)
{
    Console console;
    type(console, "name ");
    press(console, sf::Keyboard::Quote, true);
    press(console, sf::Keyboard::S, true);
    type(console, "hop");
    press(console, sf::Keyboard::Num1, true);
    press(console, sf::Keyboard::Quote, true);
    press(console, sf::Keyboard::F5);
    press(console, sf::Keyboard::Tab);
    EXPECT_EQ(console.input, "name \"Shop!\"");
}

class ConsoleDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::loadTestResources();
        ASSERT_TRUE(target.create(800, 600));
    }

    sf::Image render(const Console& console)
    {
        FrameList frame;
        frame.clear(sf::Color::Black);
        console.submit(frame);
        Painter::paint(frame, target);
        target.display();
        return target.getTexture().copyToImage();
    }

    static bool near(sf::Color a, sf::Color b)
    {
        return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2;
    }

    static bool rowHasInk(const sf::Image& image, unsigned y)
    {
        for (unsigned x = 10; x < 400; ++x)
            if (image.getPixel(x, y).r > 150)
                return true;
        return false;
    }

    sf::RenderTexture target;
};

TEST_F(ConsoleDraw, PanelRuleAndCursorSitAtTheirPixels)
{
    Console console;
    const sf::Image image = render(console);
    const sf::Color panel(60, 60, 86); // (70, 70, 100) at alpha 220 over black
    EXPECT_TRUE(near(image.getPixel(400, 0), panel));
    EXPECT_TRUE(near(image.getPixel(799, 152), panel));
    EXPECT_EQ(image.getPixel(400, 153), sf::Color::Black);
    EXPECT_EQ(image.getPixel(400, 154), sf::Color::White);
    EXPECT_EQ(image.getPixel(0, 155), sf::Color::White);
    EXPECT_EQ(image.getPixel(400, 156), sf::Color::Black);

    // An empty line: the cursor stands at the input's start, (10, 140), 2 by 10.
    const sf::Color caret(255, 200, 200);
    EXPECT_EQ(image.getPixel(10, 140), caret);
    EXPECT_EQ(image.getPixel(11, 149), caret);
    EXPECT_TRUE(near(image.getPixel(12, 145), panel));
    EXPECT_TRUE(near(image.getPixel(10, 150), panel));
}

TEST_F(ConsoleDraw, NewestLogLineSitsThreeLinesAboveTheBottom)
{
    Console console;
    console.print("HELLO");
    const sf::Image image = render(console);
    bool inkNearNewest = false;
    for (unsigned y = 120; y < 132; ++y)
        inkNearNewest = inkNearNewest || rowHasInk(image, y);
    EXPECT_TRUE(inkNearNewest);
    for (unsigned y = 0; y < 118; ++y)
        EXPECT_FALSE(rowHasInk(image, y)) << y;

    console.print("OLDER\nNEWER");
    const sf::Image two = render(console);
    bool inkOneLineUp = false;
    for (unsigned y = 110; y < 120; ++y)
        inkOneLineUp = inkOneLineUp || rowHasInk(two, y);
    EXPECT_TRUE(inkOneLineUp);
}

TEST_F(ConsoleDraw, CursorFollowsTheTypedText)
{
    Console console;
    type(console, "abc");
    const sf::Image image = render(console);
    const sf::Color caret(255, 200, 200);
    EXPECT_NE(image.getPixel(10, 145), caret);
    unsigned found = 0;
    for (unsigned x = 11; x < 60 && !found; ++x)
        if (image.getPixel(x, 141) == caret && image.getPixel(x, 149) == caret)
            found = x;
    EXPECT_GT(found, 20u); // three monospaced glyphs at size 10 are some 18 pixels wide
}

} // namespace
