// What the game keeps between runs and where it finds its files: the settings file and
// its bad cases, the resource search order in an install tree, and user zones beside a
// resources folder that cannot be written.

#include "app/resourceroot.h"
#include "app/settingsfile.h"
#include "core/userdirs.h"
#include "editor/stateeditor.h"
#include "testsupport.h"
#include "world/levelfolder.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

void writeText(const std::string& path, const std::string& text)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

using testsupport::readFile;

// Loads path; what it printed goes to output.
Settings loadFrom(const std::string& path, std::string& output)
{
    SettingsFile file(path);
    testing::internal::CaptureStdout();
    const Settings settings = file.load();
    output = testing::internal::GetCapturedStdout();
    return settings;
}

TEST(SettingsFile, BadFilesGiveDefaultsForWhatIsBadAndOneLineAndKeepWhatIsValid)
{
    const std::string dir = testsupport::makeTempDir();
    const std::string path = dir + "/morvane/settings.ini";
    Settings tuned;
    tuned.volume = 70;
    tuned.muted = true;
    tuned.width = 1280;
    tuned.height = 720;
    tuned.overlay = false; // not the default
    struct Case {
        const char* what;
        std::string text;
        Settings expected;
        const char* line; // what the one line says, empty for none
    };
    Settings loudIgnored = tuned;
    loudIgnored.volume = 100;
    Settings sizeIgnored = tuned;
    sizeIgnored.width = 800;
    sizeIgnored.height = 600;
    Settings assisted = tuned;
    assisted.assist = true;
    const std::string tunedText = "volume=70\nmute=1\nwidth=1280\nheight=720\noverlay=0\n";
    Settings finished = tuned;
    finished.finished = {"The errand", "Two Streets", std::string(64, 'n')};
    const Case cases[] = {
        {"with finished packs", finished.toText(), finished, ""},
        {"a finished name too long", tunedText + "finished=" + std::string(65, 'n') + "\n", tuned, "bad line 6"},
        {"a finished name empty", tunedText + "finished=\n", tuned, "bad line 6"},
        {"a finished name of control bytes", tunedText + "finished=a\x1b[2J\n", tuned, "bad line 6"},
        {"written by the game", tuned.toText(), tuned, ""},
        {"with assist", assisted.toText(), assisted, ""},
        {"assist 7", tunedText + "assist=7\n", tuned, "bad line 6 (assist=7)"},
        {"assist garbage", tunedText + "assist=\x1b[2J\n", tuned, "bad line 6"},
        {"volume loud", "volume=loud\r\nmute=yes\nwidth=1280\nheight=720\noverlay=off\n", loudIgnored, "bad line 1"},
        {"negative size", "[morvane]\nvolume=70\nmute=1\nwidth=-1280\nheight=720\noverlay=0\n", sizeIgnored,
         "bad window size -1280 x 720"},
        {"size too small", "volume=70\nmute=1\nwidth=1\nheight=1\noverlay=0\n", sizeIgnored, "bad window size 1 x 1"},
        {"garbage", std::string("\x01\xff no equals sign\n") + "volume=70\nmute=1\nwidth=1280\nheight=720\noverlay=0",
         tuned, "bad line 1"},
        {"10 MB", std::string(10 * 1024 * 1024, 'x'), Settings(), "larger than 64 KB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeText(path, c.text);
        std::string output;
        EXPECT_EQ(loadFrom(path, output), c.expected);
        if (*c.line == '\0') {
            EXPECT_EQ(output, "");
        } else {
            EXPECT_NE(output.find(c.line), std::string::npos) << output;
            EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
        }
    }
    std::string output;
    // As many finished packs as are kept, and one more, which is dropped.
    std::string many = tunedText;
    for (std::size_t n = 0; n <= Settings::MAX_FINISHED; ++n)
        many += "finished=pack " + std::to_string(1000 + n) + "\n";
    writeText(path, many);
    const Settings kept = loadFrom(path, output);
    EXPECT_EQ(kept.finished.size(), Settings::MAX_FINISHED);
    EXPECT_EQ(*kept.finished.rbegin(), "pack " + std::to_string(1000 + Settings::MAX_FINISHED - 1));
    EXPECT_EQ(output, "");
    fs::remove(path);
    EXPECT_EQ(loadFrom(path, output), Settings());
    EXPECT_EQ(output, "") << "the first start is the usual case, nothing to say";
    fs::create_directory(path); // not a file at all
    EXPECT_EQ(loadFrom(path, output), Settings());
    EXPECT_NE(output.find("is not a settings file (a directory, not a file)"), std::string::npos) << output;
    testsupport::placeHostile(path, testsupport::Hostile::FIFO); // once blocked start-up for ever
    testsupport::FifoRescue rescue(path, 5.0);
    EXPECT_EQ(loadFrom(path, output), Settings());
    EXPECT_NE(output.find("(a FIFO, not a file)"), std::string::npos) << output;
    EXPECT_FALSE(rescue.rescued()) << "the load blocked on the FIFO";
    fs::remove_all(dir);
}

TEST(SettingsFile, WritesWholeFilesOnlyAfterAChangeHasSettledAndSurvivesAFolderItCannotWrite)
{
    const std::string dir = testsupport::makeTempDir();
    const std::string path = dir + "/config/morvane/settings.ini";
    SettingsFile file(path);
    std::string output;
    testing::internal::CaptureStdout();
    Settings now = file.load();
    for (int i = 0; i < 100; ++i)
        file.offer(now);
    EXPECT_FALSE(fs::exists(path)) << "nothing changed, nothing written";
    for (int i = 0; i < 20; ++i) { // a window dragged bigger: a new size every frame
        now.width = 900 + i;
        file.offer(now);
    }
    EXPECT_FALSE(fs::exists(path));
    for (int i = 0; i < SettingsFile::QUIET_FRAMES; ++i)
        file.offer(now);
    EXPECT_EQ(readFile(path), now.toText());
    EXPECT_FALSE(fs::exists(path + ".tmp"));
    now.muted = true;
    file.offer(now);
    file.flush(); // at exit
    EXPECT_EQ(readFile(path), now.toText());
    // Fullscreen for a moment (the window manager's, left with F11), then quit: the exit
    // writes what is, not the moment.
    Settings brief = now;
    brief.fullscreen = true;
    for (int i = 0; i < SettingsFile::QUIET_FRAMES - 1; ++i)
        file.offer(brief);
    file.offer(now);
    file.flush();
    EXPECT_EQ(readFile(path), now.toText());

    // A config "folder" that is a file: saving fails with one line, and play goes on.
    writeText(dir + "/blocked", "");
    SettingsFile blocked(dir + "/blocked/morvane/settings.ini");
    Settings other = blocked.load();
    testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    for (int volume : {90, 80}) {
        other.volume = volume;
        blocked.offer(other);
        blocked.flush();
    }
    output = testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("cannot save"), std::string::npos);
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;

    SettingsFile none(""); // --no-settings
    testing::internal::CaptureStdout();
    EXPECT_EQ(none.load(), Settings());
    other.volume = 10;
    none.offer(other);
    none.flush();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    fs::remove_all(dir);
}

// A settings file may be a link (a dotfile manager's) and is then followed; anything else at
// its path, at the start or put there later, keeps every byte and is said once.
TEST(SettingsFile, WritesOverASettingsFileOnlyFollowingLinksToOneAndLeavesAnythingElseByteForByte)
{
    const std::string dir = testsupport::makeTempDir();
    const std::string path = dir + "/settings.ini";
    const std::string zone = readFile(testsupport::repoDir() + "/resources/lvl/0.zn");
    writeText(dir + "/0.zn", zone);
    Settings valid;
    valid.volume = 40;
    writeText(dir + "/dotfiles/settings.ini", valid.toText());
    const std::string saying = "Settings: " + path + " is not a settings file (";
    const struct {
        const char* what;
        const char* linkAtStart; // "" for none
        const char* linkLater;   // put in place after the load
        const char* written;     // the file that takes the change, "" for none
        std::string said;        // what the run printed, start to end
    } cases[] = {
        {"a link to a zone", "0.zn", "", "", saying + "bad line 1 ("},
        {"a link to a settings file", "dotfiles/settings.ini", "", "dotfiles/settings.ini", ""},
        {"a link to a zone put there later", "dotfiles/settings.ini", "0.zn", "", saying + "bad line 1"},
        {"nothing, then a link to a zone", "", "0.zn", "", saying + "bad line 1"},
        {"nothing", "", "", "settings.ini", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(path);
        writeText(dir + "/dotfiles/settings.ini", valid.toText());
        if (*c.linkAtStart)
            fs::create_symlink(c.linkAtStart, path);
        SettingsFile file(path);
        testing::internal::CaptureStdout();
        Settings now = file.load();
        if (*c.linkLater) {
            fs::remove(path);
            fs::create_symlink(c.linkLater, path);
        }
        for (int change = 0; change < 3; ++change) { // M, then M twice more
            now.muted = !now.muted;
            for (int f = 0; f < SettingsFile::QUIET_FRAMES; ++f)
                file.offer(now);
        }
        file.flush();
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), c.said.empty() ? 0 : 1) << output;
        EXPECT_EQ(output.rfind(c.said, 0), 0u) << output;
        EXPECT_TRUE(std::none_of(output.begin(), output.end(), [](char b) { return b != '\n' && b >= 0 && b < ' '; }));
        EXPECT_EQ(readFile(dir + "/0.zn"), zone);
        EXPECT_EQ(fs::is_symlink(path), *c.linkAtStart || *c.linkLater);
        const bool dotfile = std::string(c.written) == "dotfiles/settings.ini";
        EXPECT_EQ(readFile(dir + "/dotfiles/settings.ini"), dotfile ? now.toText() : valid.toText());
        if (*c.written) {
            EXPECT_EQ(readFile(dir + "/" + c.written), now.toText());
        }
    }
    fs::remove_all(dir);
}

TEST(Settings, BytesOfABadLineAreQuotedEscapedAndWhole)
{
    const struct {
        std::string text;
        std::string problem;
        bool settings;
    } cases[] = {
        {"volume=\x1b[2J\x1b]0;owned\x07", "line 1 (volume=\\x1b[2J\\x1b]0;owned\\x07)", false},
        {std::string("mute=\0yes\nwidth=900", 19), "line 1 (mute=\\0yes)", false},
        {"volume=\xc2\x9b" "31m caf\xc3\xa9", "line 1 (volume=\\xc2\\x9b31m caf\xc3\xa9)", true},
        {"volume=loud\r\n# note\n; note\n[morvane]\nlater_key-2.x = anything", "line 1 (volume=loud)", true},
        {"[core]\nvolume=10", "", false},
        {"export PATH=/bin", "", false},
        {"volume = 10\n\tmute=1", "", true},
        {std::string(39, 'x') + "\x1b", "line 1 (" + std::string(39, 'x') + "\\x1b)", false},
        {std::string(40, 'x') + "\x1b", "line 1 (" + std::string(40, 'x') + ")", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string problem;
        Settings::fromText(c.text, problem);
        EXPECT_EQ(problem, c.problem);
        EXPECT_EQ(Settings::isSettingsText(c.text), c.settings);
    }
}

TEST(UserDirs, FollowTheXdgVariablesElseHomeAndIgnoreRelativeOnes)
{
    const std::string config = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", "/home/player", 1);
    setenv("XDG_CONFIG_HOME", "/tmp/conf", 1);
    EXPECT_EQ(SettingsFile::defaultPath(), "/tmp/conf/morvane/settings.ini");
    setenv("XDG_CONFIG_HOME", "relative/conf", 1);
    EXPECT_EQ(userdirs::configDir(), "/home/player/.config/morvane/");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(userdirs::dataDir(), "/home/player/.local/share/morvane/");
    config.empty() ? unsetenv("XDG_CONFIG_HOME") : setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("HOME", home.c_str(), 1);
}

TEST(ResourceRoot, WorkingDirectoryThenTheProgramsFolderThenItsInstallation)
{
    const fs::path root = testsupport::makeTempDir();
    const std::string work = (root / "work").string();
    const std::string bin = (root / "prefix/games").string();
    const std::string share = (root / "prefix/share/games/morvane").string();
    auto giveResources = [](const std::string& dir) {
        for (const char* folder : {"gfx", "sfx", "font", "lvl"})
            fs::create_directories(fs::path(dir) / "resources" / folder);
    };
    fs::create_directories(work);
    fs::create_directories(bin);
    const std::vector<std::string> folders = resourceroot::candidates(work, bin);
    EXPECT_EQ(folders, (std::vector<std::string>{work, bin, share}));
    EXPECT_EQ(resourceroot::find(folders), "");
    fs::create_directories(fs::path(work) / "resources/gfx"); // an unrelated resources/ folder
    giveResources(share);
    EXPECT_EQ(resourceroot::find(folders), share);
    giveResources(bin);
    EXPECT_EQ(resourceroot::find(folders), bin);
    giveResources(work);
    EXPECT_EQ(resourceroot::find(folders), work);
    EXPECT_EQ(resourceroot::candidates(work, ""), std::vector<std::string>{work});
    fs::remove_all(root);
}

TEST(LevelFolder, ReadOnlyResourcesSendSavesToTheUsersFolderReadFirstAndTheEditorSaysSoOnce)
{
    testsupport::loadTestResources();
    const std::string user = testsupport::makeTempDir() + "/morvane/lvl/";
    LevelFolder::choose(false, user);
    Zone shipped(7, 3, 3, nullptr);
    LevelFolder::choose(true, user); // writable: the shipped file goes beside the resources
    testing::internal::CaptureStdout();
    ASSERT_TRUE(shipped.save());
    LevelFolder::choose(false, user);
    EXPECT_EQ(LevelFolder::readPath(7), Zone::fileName(7)) << "no user copy yet";
    {
        StateEditor editor(&testsupport::window(), nullptr);
        EXPECT_NE(editor.console.log.front().find(user), std::string::npos);
        editor.enter();
        editor.runCommand("load 7");
        editor.runCommand("resize 5 4");
        editor.runCommand("save");
        editor.leave();
    }
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("Successfully created file: " + user + "7.zn"), std::string::npos) << output;
    EXPECT_EQ(LevelFolder::readPath(7), user + "7.zn");
    Zone reread(0, 1, 1, nullptr);
    testing::internal::CaptureStdout();
    reread.load(7);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(reread.width, 5) << "the game reads the user's zone first";
    EXPECT_EQ(Zone(7, 3, 3, nullptr).width, 3);
    // Start-up clears what killed saves left where saves go; a broken copy of the player's
    // is named by the load rather than quietly passed over for the shipped one.
    const std::string leftover = user + "7.zn.tmp.Ab3x9Q";
    std::ofstream(leftover) << "left by a killed save";
    LevelFolder::removeLeftoverSaves();
    EXPECT_FALSE(fs::exists(leftover));
    fs::remove(user + "7.zn");
    fs::create_symlink("gone.zn", user + "7.zn");
    EXPECT_EQ(LevelFolder::readPath(7), user + "7.zn");
    LevelFolder::choose(true, "");
    fs::remove(Zone::fileName(7));
    fs::remove_all(fs::path(user).parent_path().parent_path());
}

} // namespace
