#include "fuzzsupport.h"

#include "core/binaryio.h"
#include "world/entity.h"
#include "world/kinds.h"
#include "world/entitymanager.h"
#include "app/mainloop.h"
#include "render/presenter.h"
#include "world/resourcemanager.h"
#include "world/tile.h"
#include "world/zone.h"
#include "world/zonefile.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/System/Err.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace fuzzsupport {

namespace {
std::vector<std::string> levels;
std::string scratch;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void appendBits(std::string& out, float value)
{
    char bits[sizeof value];
    std::memcpy(bits, &value, sizeof value);
    out.append(bits, sizeof value);
}
} // namespace

void setUp()
{
    const char* root = std::getenv("MORVANE_SOURCE_DIR");
    fs::current_path(root ? root : MORVANE_SOURCE_DIR);
    // Thousands of runs a second: the game's report lines would drown libFuzzer's.
    if (!std::freopen("/dev/null", "w", stdout))
        fail("cannot silence standard output");
    sf::err().rdbuf(nullptr);
    window();
    if (!ResourceManager::loadResources())
        fail("the committed resources do not load; run from the repository under an X display");
    // A character's cut frames live while one of its kind does. Without one of each kept
    // here, every input would cut all the sheets again: most of its time went to that.
    static Zone* keeper = new Zone(-2, 1, 1, nullptr);
    for (const Kind& kind : kinds::all())
        if (!kind.sheets.empty())
            keeper->entities.add(createEntity(kind.type, &keeper->entities));
    for (int id = 0; fs::exists(Zone::fileName(id)); ++id)
        levels.push_back(readFile(Zone::fileName(id)));

    std::string pattern = (fs::temp_directory_path() / "morvane-fuzz-XXXXXX").string();
    if (!mkdtemp(&pattern[0]))
        fail("cannot make a scratch directory");
    scratch = pattern;
    fs::current_path(scratch);
    resetLevels();
    // Runs before the leak check, which counts everything still held at exit.
    std::atexit([] {
        ResourceManager::unloadResources();
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    });
}

sf::RenderWindow& window()
{
    static sf::RenderWindow* instance = nullptr;
    if (!instance) {
        instance = new sf::RenderWindow();
        Presenter::createWindow(*instance);
        instance->setFramerateLimit(0);
        instance->setVisible(false);
    }
    return *instance;
}

const std::string& shippedLevel(int zoneId)
{
    static const std::string none;
    return zoneId >= 0 && static_cast<std::size_t>(zoneId) < levels.size() ? levels[zoneId] : none;
}

void resetLevels()
{
    const fs::path dir = Zone::LEVEL_DIR;
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    fs::create_directories(dir);
    for (std::size_t id = 0; id < levels.size(); ++id)
        writeFile(Zone::fileName(static_cast<int>(id)), levels[id]);
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        fail("cannot write " + path);
}

namespace {
// The zone's own fields, as its file starts.
void writeHeader(std::ostream& out, Zone& zone)
{
    writeInt32(out, zone.id);
    writeString(out, zone.name);
    writeInt32(out, zone.getWidth());
    writeInt32(out, zone.getHeight());
}
} // namespace

std::string fingerprint(Zone& zone)
{
    std::ostringstream out;
    writeHeader(out, zone);
    for (int x = 0; x < zone.getWidth(); ++x) {
        for (int y = 0; y < zone.getHeight(); ++y) {
            const Tile* tile = zone.getTile(x, y);
            writeInt32(out, tile->x);
            writeInt32(out, tile->y);
            writeInt32(out, tile->type);
            writeInt32(out, tile->texture);
            writeInt32(out, tile->link);
            writeBool8(out, tile->walkable);
        }
    }
    std::string result = out.str();
    for (const auto& entry : zone.entities) {
        const Entity* e = entry.second.get();
        const int32_t numbers[] = {entry.first, e->getID(), e->getType()};
        result.append(reinterpret_cast<const char*>(numbers), sizeof numbers);
        appendBits(result, e->position.x);
        appendBits(result, e->position.y);
        appendBits(result, e->radius);
    }
    return result;
}

std::string serialize(Zone& zone)
{
    return zonefile::encode(zone.data());
}

void fail(const std::string& what)
{
    std::fprintf(stderr, "FUZZ FAILURE: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

} // namespace fuzzsupport
