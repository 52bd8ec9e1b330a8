// The game on the desktop: the letterboxed picture and the mouse at any window size, the
// pause, the sound keys, the game pad, and a window resized while the game waits.

#include "app/desktop.h"
#include "app/mainloop.h"
#include "render/processorpresenter.h"
#include "render/quadpresenter.h"
#include "characters/doodad.h"
#include "characters/player.h"
#include "characters/robber.h"
#include "core/gamepad.h"
#include "core/globals.h"
#include "core/input.h"
#include "core/letterbox.h"
#include "editor/stateeditor.h"
#include "play/stategame.h"
#include "testsupport.h"
#include "windowcapture.h"
#include "world/resourcemanager.h"
#include "world/zone.h"

#include <SFML/Audio/Listener.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <tuple>
#include <vector>

namespace {

sf::Event keyEvent(sf::Keyboard::Key code, bool alt = false)
{
    sf::Event event{};
    event.type = sf::Event::KeyPressed;
    event.key.code = code;
    event.key.alt = alt;
    return event;
}

sf::Event sizeEvent(unsigned w, unsigned h)
{
    sf::Event event{};
    event.type = sf::Event::Resized;
    event.size.width = w;
    event.size.height = h;
    return event;
}

// A window pixel whose centre shows the given picture pixel (the picture is never shrunk here).
sf::Vector2i windowPixelShowing(sf::Vector2i picture, const sf::IntRect& area)
{
    return sf::Vector2i(area.left + static_cast<int>((picture.x + 0.5) * area.width / Letterbox::PICTURE.x),
                        area.top + static_cast<int>((picture.y + 0.5) * area.height / Letterbox::PICTURE.y));
}

sf::Image capture(const sf::RenderWindow& window)
{
    return testsupport::captureWindow(window.getSystemHandle(), window.getSize());
}

TEST(Letterbox, ScalesByTheLargestFitCentresAndMapsBarsToTheNearestEdge)
{
    struct Case {
        sf::Vector2u window;
        sf::IntRect area;
        sf::Vector2i pixel;
        sf::Vector2i picture;
    };
    const Case cases[] = {
        {{800, 600}, {0, 0, 800, 600}, {-7, 650}, {-7, 650}},      // unscaled: every pixel is itself
        {{1000, 750}, {0, 0, 1000, 750}, {999, 0}, {799, 0}},
        {{1000, 750}, {0, 0, 1000, 750}, {5, 5}, {4, 4}},           // centre 5.5 / 1.25 = 4.4
        {{1920, 1080}, {240, 0, 1440, 1080}, {100, 500}, {0, 278}},  // left bar: the picture's left edge
        {{1920, 1080}, {240, 0, 1440, 1080}, {1900, 1079}, {799, 599}},
        {{800, 1000}, {0, 200, 800, 600}, {400, 50}, {400, 0}},      // bars above and below
        {{400, 300}, {0, 0, 400, 300}, {399, 299}, {799, 599}},
        {{1, 1}, {0, 0, 1, 1}, {0, 0}, {400, 300}},
        {{4000, 3000}, {0, 0, 4000, 3000}, {2000, 1500}, {400, 300}},
        {{0, 0}, {0, 0, 1, 1}, {0, 0}, {400, 300}},                  // a minimised window divides by nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.window.x << " x " << c.window.y);
        const Letterbox box(c.window);
        EXPECT_EQ(box.area(), c.area);
        EXPECT_EQ(box.toPicture(c.pixel), c.picture);
    }
}

// The real states on their own visible window, driven as runGame drives them.
class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::loadTestResources();
        input::setSource(&script);
        desktop = std::make_unique<Desktop>(window, Settings());
        // Wholly on the screen at the sizes below, so the server holds all its pixels.
        window.setPosition(sf::Vector2i(0, 0));
        testsupport::keepPixels(window.getSystemHandle());
        window.setFramerateLimit(0);
        testing::internal::CaptureStdout();
        table = createStates(&window);
        states = table->get();
        states[current]->enter();
        testing::internal::GetCapturedStdout();
        frame();
    }
    void TearDown() override
    {
        input::setSource(nullptr);
        states[current]->leave();
        table.reset();
        sf::Listener::setGlobalVolume(100.f);
    }
    void frame()
    {
        pumpEvents(states, &current, &window, desktop.get());
        desktop->beginFrame(states);
        stepState(states, &current, &window);
        desktop->endFrame();
    }
    void resize(unsigned w, unsigned h)
    {
        window.setSize(sf::Vector2u(w, h));
        script.queueEvent(sizeEvent(w, h));
        frame();
    }
    void toEditor()
    {
        script.press(sf::Keyboard::F12);
        frame();
        script.release(sf::Keyboard::F12);
        frame();
        ASSERT_EQ(current, STATE_EDITOR);
    }
    StateEditor& editor() { return *static_cast<StateEditor*>(states[STATE_EDITOR]); }

    input::ScriptedSource script;
    sf::RenderWindow window;
    std::unique_ptr<Desktop> desktop;
    std::unique_ptr<StateTable> table;
    State** states = nullptr;
    int current = STATE_GAME;
};

TEST_F(DesktopTest, EditorClickPaintsTheTileUnderTheCursorAtEverySizeAndFromABar)
{
    toEditor();
    struct Case {
        sf::Vector2u size;
        int tileX, tileY;
        bool fromBar;
    };
    // Tile (0, 6) touches the picture's left edge at picture row 524. The tiles stand above
    // the palette strip along the bottom, where a click chooses a brush instead.
    const Case cases[] = {{{800, 600}, 3, 3, false}, {{1000, 750}, 5, 1, false}, {{1000, 500}, 2, 4, false},
                          {{640, 480}, 4, 2, false}, {{1000, 500}, 0, 6, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size.x << " x " << c.size.y << (c.fromBar ? " from the bar" : ""));
        resize(c.size.x, c.size.y);
        ASSERT_EQ(window.getSize(), c.size);
        const Letterbox box(c.size);
        // The editor's view starts centred on the world's origin.
        const sf::Vector2f screen = worldToScreen(sf::Vector2f(32.f * c.tileX + 16.f, 32.f * c.tileY + 16.f));
        sf::Vector2i pixel = windowPixelShowing(sf::Vector2i(screen) + sf::Vector2i(400, 300), box.area());
        if (c.fromBar)
            pixel = sf::Vector2i(box.area().left / 2, windowPixelShowing(sf::Vector2i(0, 524), box.area()).y);
        ASSERT_TRUE(c.fromBar == !box.area().contains(pixel));
        Zone& zone = *editor().currZone;
        const int brush = zone.getTile(c.tileX, c.tileY)->texture == 1 ? 2 : 1;
        std::vector<int> before;
        for (int x = 0; x < 10; ++x)
            for (int y = 0; y < 10; ++y)
                before.push_back(zone.getTile(x, y)->texture);
        editor().tileBrush = brush;
        script.setMouse(pixel);
        script.press(sf::Mouse::Left);
        frame();
        script.release(sf::Mouse::Left);
        frame();
        for (int x = 0; x < 10; ++x)
            for (int y = 0; y < 10; ++y)
                EXPECT_EQ(zone.getTile(x, y)->texture != before[x * 10 + y], x == c.tileX && y == c.tileY)
                    << "tile " << x << ", " << y;
    }
    resize(800, 600);
}

TEST_F(DesktopTest, SoundKeysStepMuteAndShowAndTheOpenConsoleTypesThemInstead)
{
    const std::vector<std::tuple<sf::Keyboard::Key, float, bool>> steps = {
        {sf::Keyboard::M, 0.f, true},          {sf::Keyboard::M, 100.f, false},
        {sf::Keyboard::Hyphen, 90.f, false},   {sf::Keyboard::Subtract, 80.f, false},
        {sf::Keyboard::M, 0.f, true},          {sf::Keyboard::Equal, 90.f, false}, // a step also unmutes
        {sf::Keyboard::Add, 100.f, false},     {sf::Keyboard::Add, 100.f, false},
    };
    for (const auto& step : steps) {
        script.queueEvent(keyEvent(std::get<0>(step)));
        frame();
        EXPECT_FLOAT_EQ(sf::Listener::getGlobalVolume(), std::get<1>(step));
        EXPECT_EQ(desktop->getSound().isMuted(), std::get<2>(step));
    }
    EXPECT_TRUE(desktop->getSound().isShowing());
    for (int i = 0; i < SoundControl::SHOW_FRAMES; ++i)
        frame();
    EXPECT_FALSE(desktop->getSound().isShowing());
    // The play state's own music levels stay relative: a dialog's half is half of the master.
    EXPECT_EQ(desktop->settings(false).volume, 100);

    toEditor();
    script.queueEvent(keyEvent(sf::Keyboard::Hyphen));
    frame();
    EXPECT_FLOAT_EQ(sf::Listener::getGlobalVolume(), 90.f);
    script.queueEvent(keyEvent(sf::Keyboard::Tilde));
    script.queueEvent(keyEvent(sf::Keyboard::M));
    script.queueEvent(keyEvent(sf::Keyboard::Equal));
    frame();
    EXPECT_FLOAT_EQ(sf::Listener::getGlobalVolume(), 90.f);
    EXPECT_FALSE(editor().console.input.empty());
}

// A state that counts its updates and draws, and paints the picture red.
class CountingState final : public State {
public:
    using State::State;
    int update() override { ++updates; return STATE_GAME; }
    void draw() override
    {
        ++draws;
        sf::RectangleShape red(sf::Vector2f(Letterbox::PICTURE));
        red.setFillColor(sf::Color::Red);
        frame->clear();
        frame->draw(red);
    }
    void enter() override {}
    void leave() override {}
    int updates = 0, draws = 0;
};

TEST_F(DesktopTest, WindowResizedWhileWaitingForFocusShowsItsLastPictureWithoutDrawingAnew)
{
    State* counting[STATE_COUNT] = {};
    CountingState waiting(&window, counting);
    counting[STATE_GAME] = &waiting;
    int at = STATE_GAME;
    desktop->beginFrame(counting);
    stepState(counting, &at, &window);
    desktop->endFrame();
    sf::Event lost{};
    lost.type = sf::Event::LostFocus;
    script.queueEvent(lost);
    window.setSize(sf::Vector2u(1000, 500));
    ASSERT_TRUE(testsupport::waitForWindowSize(window.getSystemHandle(), sf::Vector2u(1000, 500)));
    script.queueEvent(sizeEvent(1000, 500));
    pumpEvents(counting, &at, &window, desktop.get());
    EXPECT_EQ(waiting.updates, 1);
    EXPECT_EQ(waiting.draws, 1); // drawing advances animations: the held picture is shown instead
    const sf::Image shown = capture(window);
    ASSERT_EQ(shown.getSize(), sf::Vector2u(1000, 500)) << "the server gave no pixels";
    EXPECT_EQ(shown.getPixel(500, 250), sf::Color::Red);
    EXPECT_EQ(shown.getPixel(100, 250), sf::Color::Black);
    window.setSize(Letterbox::PICTURE);
}

// Sizes from one pixel to far beyond the screen, changed every frame, and fullscreen
// toggled fifty times: each frame still goes on the window the processor's way (a refusal
// from the server would turn it off with a line), and the game goes on.
TEST_F(DesktopTest, WindowResizedAndToggledEveryFrameKeepsShowingThePicture)
{
    testing::internal::CaptureStdout();
    const sf::Vector2u sizes[] = {{1, 1}, {4000, 3000}, {1000, 750}, {801, 601}, {1920, 1080}, {333, 1000}};
    int direct = 0, scaled = 0;
    for (int i = 0; i < 100; ++i) {
        if (i % 2 == 0)
            script.queueEvent(keyEvent(sf::Keyboard::F11));
        else
            resize(sizes[i / 2 % 6].x, sizes[i / 2 % 6].y);
        frame();
        scaled += !Letterbox(window.getSize()).isExact();
        direct += desktop->getPresenter().wasPutDirectly();
    }
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(desktop->isFullscreen());
    EXPECT_GT(scaled, 90);
    EXPECT_EQ(direct, scaled);
    EXPECT_EQ(said.find("renderer"), std::string::npos) << said;
    EXPECT_TRUE(window.isOpen());
    resize(Letterbox::PICTURE.x, Letterbox::PICTURE.y);
}

TEST_F(DesktopTest, F11AndAltReturnToggleFullscreenAndBackToTheWindowedSize)
{
    resize(1000, 750);
    script.queueEvent(keyEvent(sf::Keyboard::F11));
    frame();
    EXPECT_TRUE(desktop->isFullscreen());
    EXPECT_EQ(window.getSize(), sf::Vector2u(sf::VideoMode::getDesktopMode().width,
                                             sf::VideoMode::getDesktopMode().height));
    script.queueEvent(keyEvent(sf::Keyboard::Return, true));
    frame();
    EXPECT_FALSE(desktop->isFullscreen());
    EXPECT_EQ(window.getSize(), sf::Vector2u(1000, 750));
    EXPECT_EQ(desktop->settings(false).width, 1000u);
    // Plain Return is no window key.
    script.queueEvent(keyEvent(sf::Keyboard::Return));
    frame();
    EXPECT_FALSE(desktop->isFullscreen());
}

// Closes while the window waits for focus: the editor's question about unsaved work is on
// the window at once and asked once however many come; from a play-test they go back to
// the editor, which asks. No key or button of another window counts meanwhile.
TEST_F(DesktopTest, CloseWhileWaitingForFocusIsAnsweredAtOnceAndAskedOnce)
{
    toEditor();
    editor().runCommand("note Unsaved");
    frame();
    const sf::Image before = capture(window);
    const std::string question = "Unsaved changes to zone -1. Save first? y = save, n = discard, Escape = stay";
    sf::Event lost{}, closed{}, gained{};
    lost.type = sf::Event::LostFocus;
    closed.type = sf::Event::Closed;
    gained.type = sf::Event::GainedFocus;
    for (bool playTest : {false, true}) {
        SCOPED_TRACE(playTest ? "from a play-test" : "in the editor");
        if (playTest) {
            script.press(sf::Keyboard::F5);
            frame();
            script.release(sf::Keyboard::F5);
            frame();
            ASSERT_EQ(current, STATE_GAME);
        }
        editor().console.log.clear();
        const std::string zone = editor().currZone->encode();
        script.press(sf::Mouse::Left); // another window's click
        script.queueEvent(lost);
        for (int i = 0; i < 3; ++i)
            script.queueEvent(closed);
        pumpEvents(states, &current, &window, desktop.get());
        script.release(sf::Mouse::Left);
        EXPECT_TRUE(window.isOpen());
        ASSERT_EQ(current, STATE_EDITOR);
        EXPECT_EQ(editor().question, StateEditor::Question::UNSAVED);
        EXPECT_EQ(std::count(editor().console.log.begin(), editor().console.log.end(), question), 1);
        EXPECT_EQ(editor().currZone->encode(), zone) << "another window's click painted";
        const sf::Image shown = capture(window);
        ASSERT_EQ(shown.getSize(), before.getSize());
        int changed = 0; // the console with the question, drawn over the top of the picture
        for (unsigned y = 0; y < 150; ++y)
            for (unsigned x = 0; x < 800; ++x)
                changed += shown.getPixel(x, y) != before.getPixel(x, y);
        EXPECT_GT(changed, 2000);
        script.queueEvent(gained);
        editor().handleEvent(keyEvent(sf::Keyboard::Escape));
        frame();
        EXPECT_EQ(editor().question, StateEditor::Question::NONE);
    }
    // Saved work closes at once, waiting for focus or not.
    editor().runCommand("id 770");
    testing::internal::CaptureStdout();
    editor().runCommand("save");
    testing::internal::GetCapturedStdout();
    std::remove("resources/lvl/770.zn");
    script.queueEvent(lost);
    script.queueEvent(closed);
    pumpEvents(states, &current, &window, desktop.get());
    EXPECT_FALSE(window.isOpen());
}

// The size and place a window opens at: never larger than the screen, never below 320 x 240,
// its corner on the screen; each limit taken exactly, one past it moved back.
TEST(WindowSize, SavedSizesAndPlacesAreFittedToTheScreen)
{
    const struct {
        unsigned width, height;
        int x, y;
        bool placed;
        unsigned fittedWidth, fittedHeight;
        int fittedX, fittedY;
    } cases[] = {
        {900, 650, 300, 200, true, 900, 650, 300, 200},
        {10000, 10000, 0, 0, false, 1280, 1024, 0, 0},
        {1280, 1024, 0, 0, true, 1280, 1024, 0, 0},
        {1281, 1025, 0, 0, true, 1280, 1024, 0, 0},
        {320, 240, 0, 0, false, 320, 240, 0, 0},
        {319, 239, 0, 0, false, 320, 240, 0, 0},
        {160, 120, 960, 784, true, 320, 240, 960, 784},
        {160, 120, 961, 785, true, 320, 240, 960, 784},
        {900, 650, -1, -5000, true, 900, 650, 0, 0},
        {900, 650, 32767, 32767, true, 900, 650, 380, 374},
    };
    for (const auto& c : cases) {
        Settings saved;
        saved.width = c.width;
        saved.height = c.height;
        saved.placed = c.placed;
        saved.x = c.x;
        saved.y = c.y;
        const Settings fitted = saved.fittedTo(1280, 1024);
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " at " << c.x << ", " << c.y);
        EXPECT_EQ(fitted.width, c.fittedWidth);
        EXPECT_EQ(fitted.height, c.fittedHeight);
        EXPECT_EQ(fitted.placed, c.placed);
        EXPECT_EQ(fitted.x, c.fittedX);
        EXPECT_EQ(fitted.y, c.fittedY);
        EXPECT_EQ(saved.fittedTo(0, 0), saved) << "no screen known, nothing changed";
    }
    // Through the settings text: a place needs both numbers, each within X's range.
    std::string problem;
    EXPECT_TRUE(Settings::fromText("x=-32767\ny=32767", problem).placed);
    EXPECT_EQ(problem, "");
    EXPECT_FALSE(Settings::fromText("x=5", problem).placed);
    EXPECT_FALSE(Settings::fromText("x=-32768\ny=0", problem).placed);
    EXPECT_EQ(problem, "line 1 (x=-32768)");
    Settings placed;
    placed.placed = true;
    placed.x = -20;
    placed.y = 7;
    EXPECT_EQ(Settings::fromText(placed.toText(), problem), placed);
}

TEST(WindowSize, AHugeSavedWindowOpensNoLargerThanTheDesktop)
{
    testsupport::loadTestResources();
    Settings huge;
    huge.width = 10000;
    huge.height = 10000;
    sf::RenderWindow window;
    Desktop desktop(window, huge);
    const sf::VideoMode screen = sf::VideoMode::getDesktopMode();
    EXPECT_LE(window.getSize().x, screen.width);
    EXPECT_LE(window.getSize().y, screen.height);
    EXPECT_EQ(desktop.settings(true).width, screen.width);
    EXPECT_EQ(desktop.settings(true).height, screen.height);
}

// The editor (a prop-filled zone, its panels and console text) presented at 800 x 600 and
// scaled at other sizes, the processor's way (through shared memory, and without it on the
// renderer's quad) and the renderer's: at 800 x 600 every way shows the same bytes, and as
// the server shows a scaled window, each pixel inside the bars is the picture pixel
// Letterbox maps it to, and the bars are black. The processor's way is exact; the
// renderer's sampling may take a neighbour at a seam between picture pixels.
// (The play state's drawing advances its animations, so it cannot be drawn twice the same.)
TEST(ScaledPicture, IsTheUnscaledPictureScaledPixelForPixelWhicheverWayItIsShown)
{
    testsupport::loadRepoResources();
    sf::RenderWindow& window = testsupport::window();
    const sf::Vector2u fullSize = window.getSize();
    const sf::Vector2i place = window.getPosition();
    // Shown, and wholly on the 1024 x 768 screen at every size below.
    window.setPosition(sf::Vector2i(0, 0));
    window.setVisible(true);
    testsupport::keepPixels(window.getSystemHandle());
    std::unique_ptr<StateTable> table = createStates(&window);
    State** states = table->get();
    const int current = STATE_EDITOR;
    StateEditor& editor = *static_cast<StateEditor*>(states[current]);
    editor.enter();
    for (int prop = 0; prop < 12; ++prop) {
        Doodad* doodad = editor.currZone->entities.add(std::make_unique<Doodad>(&editor.currZone->entities, prop));
        doodad->position = sf::Vector2f(24.f * prop, 300.f - 24.f * prop);
    }
    editor.mode = StateEditor::MODE_ENTITY;
    editor.console.hidden = false;
    editor.console.print("help");
    // The editor shows where the mouse is: keep it on the same picture pixel at every size.
    input::ScriptedSource script;
    input::setSource(&script);
    auto drawAt = [&](Presenter& presenter, sf::Vector2u size) {
        window.setSize(size);
        EXPECT_TRUE(testsupport::waitForWindowSize(window.getSystemHandle(), size));
        script.setMouse(sf::Vector2i(Letterbox(size).area().left, Letterbox(size).area().top));
        // The renderer takes up the new size with the next shown frame.
        for (int pass = 0; pass < 2; ++pass) {
            states[current]->draw();
            presenter.present(states[current]->getFrame());
        }
        presenter.finish();
        return capture(window);
    };
    enum Way { SHARED, UNSHARED, QUAD };
    sf::Image first; // the unscaled picture, which every way shows the same
    for (const Way way : {SHARED, UNSHARED, QUAD}) {
        SCOPED_TRACE(way == SHARED ? "by the processor" : way == UNSHARED ? "no shared memory" : "by the renderer");
        std::unique_ptr<Presenter> presenter;
        if (way == QUAD)
            presenter = std::make_unique<QuadPresenter>(window);
        else
            presenter = std::make_unique<ProcessorPresenter>(window, way == SHARED);
        window.setVerticalSyncEnabled(false);
        const sf::Image reference = drawAt(*presenter, Letterbox::PICTURE);
        ASSERT_EQ(reference.getSize(), Letterbox::PICTURE) << "the server gave no pixels";
        if (way == SHARED)
            first = reference;
        EXPECT_TRUE(std::equal(reference.getPixelsPtr(), reference.getPixelsPtr() + 800 * 600 * 4, first.getPixelsPtr()))
            << "the presentations differ at 800 x 600";
        for (const sf::Vector2u size : {sf::Vector2u(1000, 750), sf::Vector2u(1024, 700), sf::Vector2u(900, 680)}) {
            SCOPED_TRACE(testing::Message() << size.x << " x " << size.y);
            const sf::Image shown = drawAt(*presenter, size);
            ASSERT_EQ(shown.getSize(), size) << "the server gave no pixels";
            EXPECT_EQ(presenter->wasPutDirectly(), way == SHARED);
            const Letterbox box(size);
            int wrong = 0;
            for (unsigned y = 0; y < size.y; ++y) {
                for (unsigned x = 0; x < size.x; ++x) {
                    const sf::Color got = shown.getPixel(x, y);
                    const sf::Vector2i at(static_cast<int>(x), static_cast<int>(y));
                    if (!box.area().contains(at)) {
                        wrong += got != sf::Color::Black;
                        continue;
                    }
                    const sf::Vector2i p = box.toPicture(at);
                    bool match = got == reference.getPixel(static_cast<unsigned>(p.x), static_cast<unsigned>(p.y));
                    for (int dy = -1; dy <= 1 && way != SHARED; ++dy)
                        for (int dx = -1; dx <= 1; ++dx)
                            match = match || got == reference.getPixel(static_cast<unsigned>(std::clamp(p.x + dx, 0, 799)),
                                                                       static_cast<unsigned>(std::clamp(p.y + dy, 0, 599)));
                    wrong += !match;
                }
            }
            EXPECT_EQ(wrong, 0);
        }
    }
    editor.leave();
    table.reset();
    input::setSource(nullptr);
    window.setSize(fullSize);
    window.setPosition(place);
    window.setVisible(false);
}

} // namespace

namespace {

// Play on a zone 0 of the generated tree: the player, two robbers and a prop, driven the
// way runGame drives it.
class PlayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::loadTestResources();
        input::setSource(&script);
        window = &testsupport::window();
        Zone start(0, 8, 8, nullptr);
        auto place = [&start](std::unique_ptr<Entity> e, sf::Vector2f at) {
            e->position = at;
            start.entities.add(std::move(e)); // an entity takes its id when made: one at a time
        };
        place(std::make_unique<Player>(&start.entities), sf::Vector2f(48.f, 48.f));
        place(std::make_unique<Robber>(&start.entities), sf::Vector2f(176.f, 176.f));
        place(std::make_unique<Robber>(&start.entities), sf::Vector2f(208.f, 80.f));
        testing::internal::CaptureStdout();
        ASSERT_TRUE(start.save());
        testing::internal::GetCapturedStdout();
    }
    void TearDown() override
    {
        input::setSource(nullptr);
        std::remove(Zone::fileName(0).c_str());
        ResourceManager::music().stop();
    }
    void begin()
    {
        std::srand(1); // every run draws the same random numbers
        table = createStates(window);
        states = table->get();
        current = STATE_GAME;
        testing::internal::CaptureStdout();
        states[current]->enter();
        testing::internal::GetCapturedStdout();
        game = static_cast<StateGame*>(states[STATE_GAME]);
    }
    void end()
    {
        states[current]->leave();
        table.reset();
        script.releaseAll();
    }
    void frame()
    {
        pumpEvents(states, &current, window);
        window->clear();
        stepState(states, &current, window);
    }
    // The input of play frame i: walk toward a robber, punch now and then, spawn a few
    // pedestrians (random walks), kick once.
    void playInput(int i)
    {
        script.setMouse(window->mapCoordsToPixel(worldToScreen(sf::Vector2f(170.f, 160.f)), game->getFrame().getView()));
        (i > 5 && i < 120) ? script.press(sf::Mouse::Left) : script.release(sf::Mouse::Left);
        (i % 40 == 20) ? script.press(sf::Mouse::Right) : script.release(sf::Mouse::Right);
        (i >= 10 && i < 14) ? script.press(sf::Keyboard::R) : script.release(sf::Keyboard::R);
        (i == 130) ? script.press(sf::Keyboard::Z) : script.release(sf::Keyboard::Z);
    }
    // Everything about the world that a frame can change, but the random numbers.
    std::vector<std::tuple<int, int, float, float, float, float, int>> world() const
    {
        std::vector<std::tuple<int, int, float, float, float, float, int>> all;
        for (const auto& entry : game->getZone()->entities) {
            const Entity* e = entry.second.get();
            const int hp = Entity::isUnitType(e->getType()) ? static_cast<const Unit*>(e)->hitPoints : 0;
            all.emplace_back(e->getID(), e->getType(), e->position.x, e->position.y, e->velocity.x, e->velocity.y,
                             hp);
        }
        const Player& player = *game->getPlayer();
        all.emplace_back(player.actionTimer, player.currentAnimation->currentFrame, player.currentAnimation->timer,
                         0.f, 0.f, 0.f, 0);
        return all;
    }

    input::ScriptedSource script;
    sf::RenderWindow* window = nullptr;
    std::unique_ptr<StateTable> table;
    State** states = nullptr;
    int current = STATE_GAME;
    StateGame* game = nullptr;
};

TEST_F(PlayTest, PauseFreezesEverythingAndPlayResumesFrameForFrame)
{
    const int total = 160, pauseAt = 60, pausedFrames = 45;
    begin();
    for (int i = 0; i < total; ++i) {
        playInput(i);
        frame();
    }
    const auto straight = world();
    const int nextRandom = std::rand();
    end();

    begin();
    for (int i = 0; i < pauseAt; ++i) {
        playInput(i);
        frame();
    }
    script.queueEvent(keyEvent(sf::Keyboard::P)); // takes hold once this frame is drawn
    playInput(pauseAt);
    frame();
    ASSERT_TRUE(game->isPaused());
    const float music = ResourceManager::music().getVolume();
    const auto frozen = world();
    for (int i = 0; i < pausedFrames; ++i) {
        playInput(i * 7); // whatever is pressed meanwhile does nothing
        frame();
    }
    EXPECT_EQ(world(), frozen);
    script.queueEvent(keyEvent(sf::Keyboard::P));
    for (int i = pauseAt + 1; i < total; ++i) {
        playInput(i);
        frame();
    }
    EXPECT_FALSE(game->isPaused());
    EXPECT_EQ(world(), straight);
    EXPECT_EQ(std::rand(), nextRandom);
    EXPECT_FLOAT_EQ(music, StateGame::PLAY_VOLUME * StateGame::PAUSED_MUSIC_SHARE);
    EXPECT_FLOAT_EQ(ResourceManager::music().getVolume(), StateGame::PLAY_VOLUME);
    end();
}

TEST_F(PlayTest, PadStickWalksOnScreenButtonsPunchKickAndPauseAndAPulledPadStops)
{
    begin();
    frame();
    Player& player = *game->getPlayer();
    const sf::Vector2f start = player.position;
    script.plugPad(2); // the first pad plugged in plays, whatever its number
    script.setPadAxis(2, sf::Joystick::X, 20.f);
    for (int i = 0; i < 10; ++i)
        frame();
    EXPECT_EQ(player.position, start) << "inside the dead zone";

    script.setPadAxis(2, sf::Joystick::X, 100.f);
    for (int i = 0; i < 10; ++i)
        frame();
    const sf::Vector2f moved = worldToScreen(player.position - start);
    EXPECT_GT(moved.x, 10.f);
    EXPECT_NEAR(moved.y, 0.f, 0.01f) << "right on the stick is right on the screen";

    script.unplugPad(2);
    frame();
    EXPECT_EQ(player.moveDirection, ZERO_VECTOR);

    script.plugPad(0);
    script.setPadAxis(0, sf::Joystick::Y, -100.f);
    script.pressPad(0, Gamepad::A);
    frame();
    EXPECT_GT(player.actionTimer, 0);
    EXPECT_LT(worldToScreen(player.facing).y, 0.f) << "punches toward the stick: up the screen";
    const int punchTimer = player.actionTimer;
    frame();
    EXPECT_LT(player.actionTimer, punchTimer) << "a held A punches once";
    script.releasePad(0, Gamepad::A);
    while (player.actionTimer > 0)
        frame();
    script.pressPad(0, Gamepad::X);
    frame();
    EXPECT_EQ(player.currentAnimation, &player.spinKickAnimation);
    script.releasePad(0, Gamepad::X);

    script.pressPad(0, Gamepad::BACK);
    frame();
    frame();
    EXPECT_TRUE(game->isPaused());
    script.releasePad(0, Gamepad::BACK);
    frame();
    script.pressPad(0, Gamepad::BACK);
    frame();
    EXPECT_FALSE(game->isPaused());
    end();
}

} // namespace
