// Faults from outside the game: disks that refuse writes, saves killed part way, focus
// coming and going, windows closed behind the game's back, resource files gone missing.

#include "editortesting.h"

#include "app/mainloop.h"
#include "core/letterbox.h"
#include "characters/player.h"
#include "world/resourcemanager.h"
#include "play/stategame.h"
#include "play/trigger.h"
#include "world/zone.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

using testsupport::readFile;

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// --- saving ---

class SaveFaultTest : public EditorFixture {
protected:
    std::vector<std::string> quiet(const std::string& line)
    {
        testing::internal::CaptureStdout();
        auto lines = run(line);
        testing::internal::GetCapturedStdout();
        return lines;
    }
};

using Lines = std::vector<std::string>;

// Whatever a killed or failed save of file left beside it.
std::vector<std::string> leftovers(const std::string& file)
{
    std::vector<std::string> found;
    const fs::path path(file);
    for (const auto& entry : fs::directory_iterator(path.parent_path()))
        if (entry.path().filename().string().rfind(path.filename().string() + ".tmp", 0) == 0)
            found.push_back(entry.path().string());
    return found;
}

TEST_F(SaveFaultTest, UnwritableLevelDirectoryFailsAndKeepsTheOldFile)
{
    ASSERT_EQ(quiet("id 41"), Lines{"Zone id set to 41!"});
    ASSERT_EQ(quiet("save"), Lines{"Saved!"});
    const std::string file = Zone::fileName(41);
    const std::string old = readFile(file);
    quiet("resize 3 4");

    // The level's own name taken by a directory: nothing is put in its place.
    fs::rename(file, file + ".kept");
    fs::create_directory(file);
    EXPECT_EQ(quiet("save"), Lines{"Failed to save!"});
    EXPECT_TRUE(fs::is_directory(file));
    fs::remove(file);
    fs::rename(file + ".kept", file);

    // A plain file where the level directory should be.
    fs::rename("resources/lvl", "resources/lvl.moved");
    writeBytes("resources/lvl", "not a directory");
    EXPECT_EQ(quiet("save"), Lines{"Failed to save!"});
    fs::remove("resources/lvl");
    fs::rename("resources/lvl.moved", "resources/lvl");
    EXPECT_EQ(readFile(file), old);

    // Once the disk behaves again, saving works and leaves nothing behind.
    EXPECT_EQ(quiet("save"), Lines{"Saved!"});
    EXPECT_NE(readFile(file), old);
    EXPECT_EQ(leftovers(file), std::vector<std::string>{});
    fs::remove(file);
}

// Each is refused at once, saying what it is, where before a FIFO blocked for ever.
TEST_F(SaveFaultTest, HostileZoneFilesAreRefusedAtOnceSayingWhatTheyAre)
{
    const std::string file = Zone::fileName(77);
    for (const testsupport::HostileCase& c : testsupport::HOSTILE_CASES) {
        SCOPED_TRACE(c.reason);
        testsupport::placeHostile(file, c.kind);
        testsupport::FifoRescue rescue(file, 5.0);
        testing::internal::CaptureStdout();
        const auto start = Clock::now();
        const Lines console = run("load 77");
        const std::chrono::duration<double> took = Clock::now() - start;
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(console, Lines{"Failed to load zone 77! (" + file + ": " + c.reason + ")"});
        EXPECT_EQ(out, "Error loading level: " + file + "! (" + c.reason + ")\n");
        EXPECT_LT(took.count(), 1.0);
        EXPECT_FALSE(rescue.rescued()) << "the load blocked on the FIFO";
    }
    fs::remove_all(file);
}

// A zone whose file is megabytes long, so a kill lands inside the write.
std::unique_ptr<Zone> bulkyZone(char fill, std::size_t textBytes)
{
    auto zone = std::make_unique<Zone>(42, 40, 40, nullptr);
    auto* trigger = zone->entities.add(std::make_unique<Trigger>(&zone->entities, 30.0f, 1, true, 1));
    trigger->id = 1;
    trigger->addEvent();
    trigger->events[0].dialogLines.push_back(DialogLine{std::string(textBytes, fill), 0, 0});
    return zone;
}

TEST_F(SaveFaultTest, SaveKilledPartWayLeavesTheOldFileOrTheNewOneNeverAMix)
{
    const std::string file = Zone::fileName(42);
    auto oldZone = bulkyZone('o', 3 << 20);
    auto newZone = bulkyZone('n', 5 << 20);
    testing::internal::CaptureStdout();
    const auto saveStart = Clock::now();
    ASSERT_TRUE(newZone->save());
    const auto saveTime = Clock::now() - saveStart;
    const std::string newBytes = readFile(file);
    ASSERT_TRUE(oldZone->save());
    testing::internal::GetCapturedStdout();
    const std::string oldBytes = readFile(file);

    int keptOld = 0, gotNew = 0;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const bool saved = newZone->save();
            _exit(saved ? 0 : 1);
        }
        // From at once to well past the time a whole save takes, in even steps.
        std::this_thread::sleep_for(saveTime * attempt / 5);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        const std::string now = readFile(file);
        ASSERT_TRUE(now == oldBytes || now == newBytes)
            << "attempt " << attempt << ": " << now.size() << " bytes, neither old nor new";
        if (now == oldBytes) {
            ++keptOld;
        } else {
            ++gotNew;
            writeBytes(file, oldBytes);
        }
    }
    EXPECT_GT(keptOld, 0);
    // A stale temporary file from a killed save does not stop the next one.
    testing::internal::CaptureStdout();
    EXPECT_TRUE(newZone->save());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(readFile(file), newBytes);
    EXPECT_EQ(leftovers(file), std::vector<std::string>{});
    fs::remove(file);
    std::printf("killed saves: %d kept the old file, %d had finished\n", keptOld, gotNew);
}

// --- focus, in process ---

class FocusFaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::loadTestResources();
        ResourceManager::music().stop();
        input::setSource(&script);
        window = &testsupport::window();
        writeDialogZone();
    }
    void TearDown() override
    {
        input::setSource(nullptr);
        table.reset();
        ResourceManager::music().stop();
        fs::remove(Zone::fileName(0));
    }

    // Zone 0: the player and a trigger whose dialog has three lines.
    static void writeDialogZone()
    {
        Zone zone(0, 6, 6, nullptr);
        Player* player = zone.entities.add(std::make_unique<Player>(&zone.entities));
        player->position = editortesting::tileCentre(0, 0);
        auto* trigger = zone.entities.add(std::make_unique<Trigger>(&zone.entities, 40.0f, 1, true, 1));
        trigger->id = 1;
        trigger->position = editortesting::tileCentre(4, 4);
        trigger->addEvent();
        for (const char* text : {"First line.", "A second, longer line.", "Third."})
            trigger->events[0].dialogLines.push_back(DialogLine{text, 1, 3});
        testing::internal::CaptureStdout();
        ASSERT_TRUE(zone.save());
        testing::internal::GetCapturedStdout();
    }

    sf::Event event(sf::Event::EventType type)
    {
        sf::Event e{};
        e.type = type;
        if (type == sf::Event::KeyPressed)
            e.key.code = sf::Keyboard::Return;
        return e;
    }

    // Plays the dialog through, Return held every other 40 frames; focus blips queued
    // before the frames in blipFrames. Returns what the dialog showed, frame by frame.
    std::string play(const std::vector<int>& blipFrames)
    {
        table.reset();
        table = createStates(window);
        states = table->get();
        current = STATE_GAME;
        testing::internal::CaptureStdout();
        states[current]->enter();
        auto* game = static_cast<StateGame*>(states[STATE_GAME]);
        std::ostringstream trace;
        for (int f = 0; f < 700; ++f) {
            for (int blip : blipFrames) {
                if (blip == f) {
                    script.queueEvent(event(sf::Event::LostFocus));
                    script.queueEvent(event(sf::Event::KeyPressed));
                    script.queueEvent(event(sf::Event::MouseButtonPressed));
                    script.queueEvent(event(sf::Event::GainedFocus));
                }
            }
            if (f == 2) // step into the trigger
                game->getPlayer()->position = editortesting::tileCentre(4, 4) + sf::Vector2f(3.0f, 0.0f);
            if ((f / 40) % 2)
                script.press(sf::Keyboard::Return);
            else
                script.release(sf::Keyboard::Return);
            pumpEvents(states, &current, window);
            window->clear();
            stepState(states, &current, window);
            const ScriptHandler& handler = game->getScriptHandler();
            trace << handler.isRunning() << ':' << handler.getLineIndex() << ':' << handler.getCharsShown() << ':'
                  << handler.getOpenness() << ';';
        }
        testing::internal::GetCapturedStdout();
        script.releaseAll();
        return trace.str();
    }

    input::ScriptedSource script;
    sf::RenderWindow* window = nullptr;
    std::unique_ptr<StateTable> table;
    State** states = nullptr;
    int current = STATE_GAME;
};

TEST_F(FocusFaultTest, FocusLostAndRegainedMidDialogChangesNothingTheDialogShows)
{
    const std::string steady = play({});
    ASSERT_NE(steady.find("1:0:"), std::string::npos) << "the dialog never ran";
    ASSERT_NE(steady.find("1:2:"), std::string::npos) << "the dialog never reached its last line";
    // Blips while opening, typing, waiting, scrolling and closing.
    EXPECT_EQ(play({5, 70, 75, 130, 200, 260, 333, 480, 600}), steady);
}

// --- the real binary on a display of its own ---

// A private Xvfb server, so no other test's window can be taken for the game's.
class PrivateDisplay {
public:
    static PrivateDisplay& get()
    {
        static PrivateDisplay instance(true);
        return instance;
    }
    // A server without the extension through which the game shares the picture's memory.
    static PrivateDisplay& withoutSharedMemory()
    {
        static PrivateDisplay instance(false);
        return instance;
    }
    bool ok() const { return display != nullptr; }
    Display* x() const { return display; }
    const std::string& name() const { return displayName; }

    ~PrivateDisplay()
    {
        if (display)
            XCloseDisplay(display);
        if (server > 0) {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
        }
    }

private:
    explicit PrivateDisplay(bool sharedMemory)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        server = fork();
        if (server == 0) {
            // A test process killed by a timeout must not leave its server behind.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            close(fds[0]);
            const int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, STDOUT_FILENO);
            dup2(devnull, STDERR_FILENO);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   "-noreset", sharedMemory ? "+extension" : "-extension", "MIT-SHM", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Read up to the newline: closing the pipe before the server has written it
        // would kill the server with SIGPIPE.
        std::string number;
        char c = 0;
        while (true) {
            const ssize_t got = read(fds[0], &c, 1);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0 || c == '\n')
                break;
            number += c;
        }
        close(fds[0]);
        if (number.empty())
            return;
        displayName = ":" + number;
        // The server names its display a moment before it takes connections.
        for (int attempt = 0; attempt < 50 && !display; ++attempt) {
            display = XOpenDisplay(displayName.c_str());
            if (!display)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    pid_t server = -1;
    std::string displayName;
    Display* display = nullptr;
};

struct GameRun {
    pid_t pid = -1;
    std::string log;

    ~GameRun()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    // present, unless empty, is what MORVANE_PRESENT asks for.
    void start(const std::string& dir, const PrivateDisplay& server = PrivateDisplay::get(),
               const std::string& present = "")
    {
        log = dir + "/game.log";
        const std::string display = server.name();
        pid = fork();
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0)
                _exit(126);
            const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            setenv("DISPLAY", display.c_str(), 1);
            setenv("ALSOFT_DRIVERS", "null", 1);
            if (!present.empty())
                setenv("MORVANE_PRESENT", present.c_str(), 1);
            else
                unsetenv("MORVANE_PRESENT");
            execl(MORVANE_BINARY, MORVANE_BINARY, "--no-settings", static_cast<char*>(nullptr));
            _exit(127);
        }
    }

    // The exit status, or -1 if the game is still running after the timeout.
    int wait(double seconds)
    {
        const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    std::string output() const { return readFile(log); }

    // CPU seconds the game has used so far.
    double cpuSeconds() const
    {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        long ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i)
            if (i == 14 || i == 15)
                ticks += std::atol(field.c_str());
        return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
};

// The game's mapped window on the private display, or 0.
Window findGameWindow(Display* x)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(x, children[i], &name) && name && std::string(name) == "MORVANE"
            && XGetWindowAttributes(x, children[i], &attributes) && attributes.map_state == IsViewable)
            found = children[i];
        if (name)
            XFree(name);
    }
    if (children)
        XFree(children);
    return found;
}

Window waitForGameWindow(GameRun& game, double seconds, const PrivateDisplay& server = PrivateDisplay::get())
{
    Display* x = server.x();
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < deadline) {
        if (Window w = findGameWindow(x))
            return w;
        int status = 0;
        if (waitpid(game.pid, &status, WNOHANG) == game.pid) {
            game.pid = -1;
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    return 0;
}

// What the close button of a window manager sends.
void requestClose(Display* x, Window w)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(x, w, False, NoEventMask, &event);
    XFlush(x);
}

// Sanitizer builds of the game start and stop slowly.
const double START_SECONDS = 60.0;

class GameBinaryFaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!PrivateDisplay::get().ok())
            GTEST_SKIP() << "Xvfb is not available";
    }

    std::string tree(const std::string& missing = "")
    {
        const std::string dir = testsupport::makeTempDir();
        testsupport::TreeOptions options;
        if (!missing.empty())
            options.omit = {missing};
        testsupport::writeResourceTree(dir, options);
        dirs.push_back(dir);
        return dir;
    }
    void TearDown() override
    {
        for (const std::string& dir : dirs)
            fs::remove_all(dir);
    }

    // A game that must stop by itself with 1, or else start and be closed; its exit status,
    // or -1 if it hung.
    static int runToEnd(GameRun& game, bool fatal)
    {
        if (fatal) {
            const int status = game.wait(START_SECONDS);
            EXPECT_EQ(status, 1);
            return status;
        }
        const Window w = waitForGameWindow(game, START_SECONDS);
        EXPECT_NE(w, 0u) << game.output();
        if (w == 0)
            return -1;
        requestClose(PrivateDisplay::get().x(), w);
        const int status = game.wait(START_SECONDS);
        EXPECT_EQ(status, 0);
        return status;
    }

    // Gives the window the focus, or takes it from every window with None.
    static void focus(Display* x, Window w)
    {
        XSetInputFocus(x, w, RevertToNone, CurrentTime);
        XSync(x, False);
    }

    std::vector<std::string> dirs;
};

TEST_F(GameBinaryFaultTest, CloseWhileUnfocusedEndsTheGameWhichIdlesMeanwhile)
{
    Display* x = PrivateDisplay::get().x();
    GameRun game;
    game.start(tree());
    const Window w = waitForGameWindow(game, START_SECONDS);
    ASSERT_NE(w, 0u) << game.output();

    focus(x, w);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double focusedStart = game.cpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double focused = game.cpuSeconds() - focusedStart;

    focus(x, None);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double idleStart = game.cpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double idle = game.cpuSeconds() - idleStart;
    // Without focus the game waits for events instead of running frames.
    EXPECT_LT(idle, 0.05 + focused / 2) << "focused " << focused << " s, unfocused " << idle << " s";

    requestClose(x, w);
    EXPECT_EQ(game.wait(START_SECONDS), 0) << game.output();
    EXPECT_EQ(game.output().find("Assertion"), std::string::npos) << game.output();
}

// The game window's pixels as the server holds them.
std::string windowPixels(Display* x, Window w)
{
    XWindowAttributes attributes;
    int left = 0, top = 0;
    Window child = 0;
    if (!XGetWindowAttributes(x, w, &attributes)
        || !XTranslateCoordinates(x, w, DefaultRootWindow(x), 0, 0, &left, &top, &child))
        return std::string();
    // Read from the screen, clipped to it: a window partly off screen cannot be read itself.
    const int width = std::min(attributes.width, DisplayWidth(x, DefaultScreen(x)) - left);
    const int height = std::min(attributes.height, DisplayHeight(x, DefaultScreen(x)) - top);
    if (left < 0 || top < 0 || width <= 0 || height <= 0)
        return std::string();
    XImage* image = XGetImage(x, DefaultRootWindow(x), left, top, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return std::string();
    std::string pixels;
    for (int y = 0; y < height; ++y)
        for (int px = 0; px < width; ++px) {
            const unsigned long value = XGetPixel(image, px, y);
            pixels.append(reinterpret_cast<const char*>(&value), 3);
        }
    XDestroyImage(image);
    return pixels;
}

TEST_F(GameBinaryFaultTest, UncoveredWhileUnfocusedShowsItsPictureAgain)
{
    Display* x = PrivateDisplay::get().x();
    GameRun game;
    game.start(tree());
    const Window w = waitForGameWindow(game, START_SECONDS);
    ASSERT_NE(w, 0u) << game.output();
    focus(x, w);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    focus(x, None);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::string before = windowPixels(x, w);

    // Another window over the whole screen, then gone again.
    const int screen = DefaultScreen(x);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = WhitePixel(x, screen);
    const Window cover = XCreateWindow(x, DefaultRootWindow(x), 0, 0, 1024, 768, 0, CopyFromParent, InputOutput,
                                       CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(x, cover);
    XSync(x, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    XDestroyWindow(x, cover);
    XSync(x, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(700));

    EXPECT_FALSE(before.empty());
    EXPECT_TRUE(windowPixels(x, w) == before) << "the window shows something else once uncovered";
    requestClose(x, w);
    EXPECT_EQ(game.wait(START_SECONDS), 0) << game.output();
}

// Where the X server shares no memory, the processor's way (asked for, or chosen for the
// software renderer) cannot put the picture on the window itself: a resized window then
// shows it as one scaled quad. The game runs on; the bars are black and between them is
// the picture it showed at 800 x 600, scaled (a pixel may take a neighbour at a seam, and
// the player's idle animation may have moved on).
TEST_F(GameBinaryFaultTest, WithoutSharedMemoryAResizedWindowShowsThePictureScaled)
{
    const PrivateDisplay& server = PrivateDisplay::withoutSharedMemory();
    ASSERT_TRUE(server.ok());
    Display* x = server.x();
    int opcode = 0, event = 0, error = 0;
    ASSERT_FALSE(XQueryExtension(x, "MIT-SHM", &opcode, &event, &error)) << "the server shares memory";
    const sf::Vector2u size(1024, 700);
    const Letterbox box(size);
    for (const char* present : {"processor", ""}) {
        SCOPED_TRACE(*present ? "asked for" : "chosen");
        GameRun game;
        game.start(tree(), server, present);
        const Window w = waitForGameWindow(game, START_SECONDS, server);
        ASSERT_NE(w, 0u) << game.output();
        focus(x, w);
        XMoveWindow(x, w, 0, 0); // wholly on the screen, at either size
        XSync(x, False);
        // A slow build on a busy machine can take seconds over its first pictures: wait for
        // something to show, each time, rather than a fixed while.
        auto showsSomething = [&](std::size_t bytes) {
            std::string pixels;
            for (int tries = 0; tries < START_SECONDS * 4; ++tries) {
                pixels = windowPixels(x, w);
                if (pixels.size() == bytes && bytes - std::count(pixels.begin(), pixels.end(), '\0') > 30000)
                    break;
                std::this_thread::sleep_for(std::chrono::milliseconds(250));
            }
        };
        showsSomething(800u * 600u * 3u);
        std::this_thread::sleep_for(std::chrono::seconds(3)); // the zone's name gone
        const std::string picture = windowPixels(x, w);
        ASSERT_EQ(picture.size(), 800u * 600u * 3u);
        XResizeWindow(x, w, size.x, size.y);
        XSync(x, False);
        showsSomething(std::size_t(size.x) * size.y * 3u);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const std::string shown = windowPixels(x, w);
        ASSERT_EQ(shown.size(), std::size_t(size.x) * size.y * 3u) << "not resized";
        auto at = [](const std::string& pixels, unsigned width, int px, int py) {
            return pixels.substr((static_cast<std::size_t>(py) * width + static_cast<std::size_t>(px)) * 3u, 3);
        };
        const std::string black(3, '\0');
        // Judged where the picture shows something: the test's zone leaves much of it black.
        int barsLit = 0, lit = 0, matching = 0;
        for (int py = 0; py < static_cast<int>(size.y); ++py)
            for (int px = 0; px < static_cast<int>(size.x); ++px) {
                const std::string got = at(shown, size.x, px, py);
                if (!box.area().contains(px, py)) {
                    barsLit += got != black;
                    continue;
                }
                const sf::Vector2i p = box.toPicture(sf::Vector2i(px, py));
                if (at(picture, 800, p.x, p.y) == black)
                    continue;
                ++lit;
                bool match = false;
                for (int dy = -1; dy <= 1 && !match; ++dy)
                    for (int dx = -1; dx <= 1 && !match; ++dx)
                        match = got == at(picture, 800, std::clamp(p.x + dx, 0, 799), std::clamp(p.y + dy, 0, 599));
                matching += match;
            }
        EXPECT_EQ(barsLit, 0);
        EXPECT_GT(lit, 10000) << "nothing to compare";
        // Not all: on a busy machine people may have moved on between the two pictures.
        EXPECT_GT(matching, lit * 80 / 100) << "not the picture, scaled";
        requestClose(x, w);
        EXPECT_EQ(game.wait(START_SECONDS), 0) << game.output();
        EXPECT_EQ(game.output().find("Assertion"), std::string::npos) << game.output();
    }
}

// Every file the game loads at start, and how its absence must be handled.
struct MissingCase {
    std::string path;
    bool fatal;
    std::string report; // a line the game (or the media library) must print
    std::string absent = {}; // what must not be printed
};

std::vector<MissingCase> missingCases()
{
    std::vector<MissingCase> cases;
    for (const char* path : {"resources/sfx/untitled9.ogg", "resources/font/ArcadeClassic.ttf",
                             "resources/font/Blockstepped.ttf", "resources/font/ADDLG.ttf"})
        cases.push_back({path, true, std::string("\"") + path + "\"", "Cannot start"}); // the media library's text
    cases.push_back({"resources/gfx/tiles/0.png", true, "Cannot start: resources/gfx/tiles/0.png could not be loaded"});
    cases.push_back({"resources/gfx/tiles/2.png", false, "^ Dont worry about this error message ;)"});
    for (const std::string& path : ResourceManager::texturePaths())
        cases.push_back({path, false, path});
    for (const char* prop : {"street_lamp_downright.png", "street_lamp_upright.png", "trashcan.png",
                             "car_downright.png", "car_upright.png", "chair_downright.png", "chair_upright.png",
                             "counter.png", "fridge_downright.png", "fridge_upright.png",
                             "monitor_downright.png", "monitor_upright.png"}) {
        const std::string path = std::string("resources/gfx/doodads/") + prop;
        cases.push_back({path, true, "Cannot start: " + path + " could not be loaded!"});
    }
    for (const char* path : {"resources/sfx/confirm.wav", "resources/sfx/death.wav", "resources/sfx/hit.wav",
                             "resources/sfx/power_hit.wav"})
        cases.push_back({path, false, std::string("Error loading: ") + path + "!"});
    return cases;
}

TEST_F(GameBinaryFaultTest, EachResourceMissingInTurnIsFatalWithALineOrReportedAndTolerated)
{
    for (const MissingCase& c : missingCases()) {
        SCOPED_TRACE(c.path);
        GameRun game;
        game.start(tree(c.path));
        const int status = runToEnd(game, c.fatal);
        const std::string output = game.output();
        EXPECT_NE(output.find(c.report), std::string::npos) << output;
        if (!c.absent.empty()) {
            EXPECT_EQ(output.find(c.absent), std::string::npos) << output;
        }
        EXPECT_EQ(output.find("Assertion"), std::string::npos) << output;
        fs::remove_all(dirs.back());
        dirs.pop_back();
        if (status < 0)
            break; // one hung game is enough to report
    }
}

// Where a file belongs, something the media library would spin or block on for ever.
TEST_F(GameBinaryFaultTest, AResourceThatIsNoFileIsReportedAndNeverHandedToTheMediaLibrary)
{
    using testsupport::Hostile;
    struct Case {
        std::string path;
        Hostile kind;
        bool fatal;
    };
    const Case cases[] = {
        {"resources/sfx/untitled9.ogg", Hostile::DIRECTORY, true},
        {"resources/font/ADDLG.ttf", Hostile::FIFO, true},
        {"resources/sfx/confirm.wav", Hostile::DIRECTORY, false},
        {"resources/gfx/robber/gangster_walk_upright.png", Hostile::FIFO, false},
        {"resources/gfx/icon.png", Hostile::FIFO, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string dir = tree();
        testsupport::placeHostile(dir + "/" + c.path, c.kind);
        GameRun game;
        game.start(dir);
        const int status = runToEnd(game, c.fatal);
        const std::string output = game.output();
        const char* reason = c.kind == Hostile::FIFO ? "a FIFO, not a file" : "a directory, not a file";
        EXPECT_NE(output.find("Error loading: " + c.path + "! (" + reason + ")\n"), std::string::npos) << output;
        EXPECT_EQ(output.find("Error loading: " + c.path + "!\n"), std::string::npos) << output;
        if (status < 0)
            break;
    }
}

// At start-up the zone is refused and the game goes on; what killed saves left is cleared.
TEST_F(GameBinaryFaultTest, AStartZoneThatIsNoFileIsRefusedSayingWhatAndTheGameRuns)
{
    for (const testsupport::HostileCase& c : testsupport::HOSTILE_CASES) {
        if (c.kind != testsupport::Hostile::FIFO && c.kind != testsupport::Hostile::DIRECTORY
            && c.kind != testsupport::Hostile::OVERSIZED)
            continue;
        SCOPED_TRACE(c.reason);
        const std::string dir = tree();
        testsupport::placeHostile(dir + "/resources/lvl/0.zn", c.kind);
        const std::string leftover = dir + "/resources/lvl/3.zn.tmp.Zz9Yy8";
        writeBytes(leftover, "left by a killed save");
        GameRun game;
        game.start(dir);
        const int status = runToEnd(game, false);
        const std::string output = game.output();
        EXPECT_NE(output.find(std::string("Error loading level: resources/lvl/0.zn! (") + c.reason + ")\n"),
                  std::string::npos)
            << output;
        EXPECT_FALSE(fs::exists(leftover));
        if (status < 0)
            break;
    }
}

} // namespace
