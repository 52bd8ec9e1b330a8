#include "testsupport.h"

#include "app/mainloop.h"
#include "render/framelist.h"
#include "render/painter.h"
#include "render/presenter.h"
#include "render/state.h"
#include "world/resourcemanager.h"
#include "world/zonefile.h"

#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace testsupport {

std::stringstream& sfErrStream();

namespace {

const char* SYSTEM_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

void writeImage(const fs::path& file, unsigned width, unsigned height, sf::Color color)
{
    fs::create_directories(file.parent_path());
    sf::Image image;
    image.create(width, height, color);
    ASSERT_TRUE(image.saveToFile(file.string())) << file;
}

void writeSound(const fs::path& file, unsigned samples)
{
    fs::create_directories(file.parent_path());
    std::vector<sf::Int16> data(samples);
    for (unsigned i = 0; i < samples; ++i)
        data[i] = static_cast<sf::Int16>(8000 * std::sin(i * 0.05));
    sf::SoundBuffer buffer;
    ASSERT_TRUE(buffer.loadFromSamples(data.data(), data.size(), 1, 22050));
    ASSERT_TRUE(buffer.saveToFile(file.string())) << file;
}

void copyFont(const fs::path& file)
{
    fs::create_directories(file.parent_path());
    fs::copy_file(SYSTEM_FONT, file, fs::copy_options::overwrite_existing);
}

const char* PROP_PATHS[] = {
    "resources/gfx/doodads/street_lamp_downright.png", "resources/gfx/doodads/street_lamp_upright.png",
    "resources/gfx/doodads/trashcan.png",              "resources/gfx/doodads/car_downright.png",
    "resources/gfx/doodads/car_upright.png",           "resources/gfx/doodads/chair_downright.png",
    "resources/gfx/doodads/chair_upright.png",         "resources/gfx/doodads/counter.png",
    "resources/gfx/doodads/fridge_downright.png",      "resources/gfx/doodads/fridge_upright.png",
    "resources/gfx/doodads/monitor_downright.png",     "resources/gfx/doodads/monitor_upright.png",
};

} // namespace

std::string repoDir() { return MORVANE_SOURCE_DIR; }

std::string makeTempDir()
{
    std::string pattern = (fs::temp_directory_path() / "morvane-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    EXPECT_NE(made, nullptr);
    return made ? std::string(made) : std::string();
}

Scratch::~Scratch()
{
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::map<std::string, std::string> snapshot(const std::string& root, const std::string& skip)
{
    std::map<std::string, std::string> all;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string path = it->path().string();
        if (!skip.empty() && path.rfind(skip, 0) == 0) {
            it.disable_recursion_pending();
            continue;
        }
        if (!skip.empty() && skip.rfind(path + "/", 0) == 0)
            continue;
        all[path] = it->is_regular_file() ? readFile(path) : "";
    }
    return all;
}

ScopedEnv::ScopedEnv(std::initializer_list<std::pair<const char*, const char*>> values)
{
    for (const auto& value : values) {
        const char* was = std::getenv(value.first);
        kept.push_back({value.first, {was != nullptr, was ? was : ""}});
        if (value.second)
            setenv(value.first, value.second, 1);
        else
            unsetenv(value.first);
    }
}

ScopedEnv::~ScopedEnv()
{
    for (auto it = kept.rbegin(); it != kept.rend(); ++it)
        if (it->second.first)
            setenv(it->first.c_str(), it->second.second.c_str(), 1);
        else
            unsetenv(it->first.c_str());
}

void writeResourceTree(const std::string& dir, const TreeOptions& options)
{
    const fs::path root(dir);
    auto wanted = [&](const std::string& path) { return options.omit.count(path) == 0; };

    if (wanted("resources/sfx/untitled9.ogg"))
        writeSound(root / "resources/sfx/untitled9.ogg", 22050);
    for (const char* font : {"resources/font/ArcadeClassic.ttf", "resources/font/Blockstepped.ttf",
                             "resources/font/ADDLG.ttf"})
        if (wanted(font))
            copyFont(root / font);
    for (int n = 0; n < options.tileCount; ++n) {
        const std::string path = "resources/gfx/tiles/" + std::to_string(n) + ".png";
        // Even numbers are flat floors, odd ones taller wall blocks.
        if (wanted(path))
            writeImage(root / path, 128, n % 2 ? 96 : 64, sf::Color(40 * n % 255, 120, 80));
    }
    // Character sheets: 4 columns of 40 x 50 frames, 3 rows (enough for 12 frames); the
    // health bar a row of four 32-pixel cells.
    for (const std::string& path : ResourceManager::texturePaths()) {
        const bool portrait = path.find("portraits") != std::string::npos;
        const bool bar = path == ResourceManager::HEALTH_BAR;
        if (wanted(path))
            writeImage(root / path, bar ? 128 : portrait ? 100 : 160, bar ? 32 : portrait ? 100 : 150, sf::Color::Red);
    }
    for (const char* path : PROP_PATHS)
        if (wanted(path))
            writeImage(root / path, 256, 400, sf::Color::Blue);
    for (const char* path : {"resources/sfx/confirm.wav", "resources/sfx/death.wav",
                             "resources/sfx/hit.wav", "resources/sfx/power_hit.wav"})
        if (wanted(path))
            writeSound(root / path, 800);
    for (const std::string& path : options.extra)
        writeImage(root / path, 16, 16, sf::Color::White);
    fs::create_directories(root / "resources/lvl");
}

ScopedCwd::ScopedCwd(const std::string& dir) : previous(fs::current_path().string())
{
    fs::current_path(dir);
}

ScopedCwd::~ScopedCwd() { fs::current_path(previous); }

namespace {
// Loads the tree in dir unless it is already the one loaded (tests may unload in between).
void loadTreeOnce(const std::string& dir)
{
    static std::string loadedDir;
    fs::current_path(dir);
    if (loadedDir == dir && !ResourceManager::textures.empty())
        return;
    ResourceManager::unloadResources();
    window(); // textures want a context; the window gives a stable one
    testing::internal::CaptureStdout();
    const bool ok = ResourceManager::loadResources();
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(ok) << out;
    loadedDir = dir;
}
} // namespace

void loadTestResources()
{
    static std::string dir;
    if (dir.empty()) {
        dir = makeTempDir();
        writeResourceTree(dir);
    }
    loadTreeOnce(dir);
}

void loadRepoResources() { loadTreeOnce(repoDir()); }

sf::RenderWindow& window()
{
    static sf::RenderWindow* instance = nullptr;
    if (!instance) {
        instance = new sf::RenderWindow();
        Presenter::createWindow(*instance);
        instance->setFramerateLimit(0); // tests run frames as fast as they can
        instance->setVisible(false);
    }
    return *instance;
}

void paint(const FrameList& frame, sf::RenderTarget& target, bool plain)
{
    Painter::Options options;
    options.clear = false;
    options.trim = !plain;
    Painter::paint(frame, target, options);
}

void showFrame(const State& state, sf::RenderWindow& target) { Painter::paint(state.getFrame(), target); }

void frame(State** states, int* current, sf::RenderWindow& target)
{
    pumpEvents(states, current, &target);
    const State& drawing = *states[*current];
    stepState(states, current, &target);
    if (target.isOpen())
        showFrame(drawing, target);
}

std::string sfErrors() { return sfErrStream().str(); }

void clearSfErrors() { sfErrStream().str(""); }

void placeHostile(const std::string& path, Hostile kind)
{
    std::error_code ignored;
    fs::remove_all(path, ignored);
    switch (kind) {
    case Hostile::FIFO:
        EXPECT_EQ(mkfifo(path.c_str(), 0644), 0) << path;
        break;
    case Hostile::DIRECTORY:
        EXPECT_TRUE(fs::create_directory(path)) << path;
        break;
    case Hostile::OVERSIZED:
        std::ofstream(path, std::ios::binary).put('x');
        fs::resize_file(path, zonefile::MAX_FILE_BYTES + 1); // sparse: takes no room on disk
        break;
    case Hostile::LINK_LOOP:
        fs::create_symlink(fs::path(path).filename(), path);
        break;
    case Hostile::DANGLING_LINK:
        fs::create_symlink("nowhere.zn", path);
        break;
    case Hostile::DEVICE:
        fs::create_symlink("/dev/zero", path);
        break;
    }
}

FifoRescue::FifoRescue(const std::string& fifo, double seconds)
{
    thread = std::thread([this, fifo, seconds] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (std::chrono::steady_clock::now() < deadline)
                continue;
            // Succeeds only while someone has the FIFO open for reading.
            const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                used = true;
                close(fd);
            }
        }
    });
}

FifoRescue::~FifoRescue()
{
    stop = true;
    thread.join();
}

} // namespace testsupport
