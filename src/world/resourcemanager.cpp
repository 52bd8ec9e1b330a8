#include "world/resourcemanager.h"

#include "render/animation.h"
#include "core/globals.h"
#include "core/safefile.h"
#include "render/visiblepixels.h"
#include "world/kinds.h"
#include "render/tilecover.h"

#include <al.h>
#include <cstdio>

namespace {
const char* SOURCE = "src/resourcemanager";

const char* MUSIC_PATH = "resources/sfx/untitled9.ogg";
const char* ARCADE_FONT_PATH = "resources/font/ArcadeClassic.ttf";
const char* DIALOG_FONT_PATH = "resources/font/Blockstepped.ttf";
const char* DEBUG_FONT_PATH = "resources/font/ADDLG.ttf";
const char* TILE_DIR = "resources/gfx/tiles/";

const char* MSG_SOUND_FAILED = "Error loading: %s!\n";
const char* MSG_REFUSED = "Error loading: %s! (%s)\n";
const char* MSG_TILE_LIST_END = "^ Dont worry about this error message ;)\n";
const char* MSG_FATAL = "Cannot start: %s could not be loaded!\n";
const char* MSG_NO_TILES = "Cannot start: %s0.png could not be loaded, so no zone can be built!\n";

const char* SOUNDS[] = {
    "resources/sfx/confirm.wav",
    "resources/sfx/death.wav",
    "resources/sfx/hit.wav",
    "resources/sfx/power_hit.wav",
};

const char* PORTRAIT_DEFAULT = "resources/gfx/portraits/default_portrait.png";
const char* PORTRAIT_DEFAULT2 = "resources/gfx/portraits/default_portrait2.png";
const char* PORTRAIT_PLAYER = "resources/gfx/portraits/otaku.png";
const char* PORTRAIT_CLERK = "resources/gfx/portraits/clerk_portrait.png";
const char* PORTRAIT_ROBBER = "resources/gfx/portraits/robber_portrait.png";
const char* PORTRAIT_ELDER = "resources/gfx/portraits/pell_garrow.png";

std::vector<std::string> buildTexturePaths()
{
    std::vector<std::string> paths = {PORTRAIT_DEFAULT, PORTRAIT_DEFAULT2, PORTRAIT_PLAYER,
                                      PORTRAIT_CLERK, PORTRAIT_ROBBER, PORTRAIT_ELDER};
    for (const std::string& sheet : kinds::sheetPaths())
        paths.push_back(sheet);
    paths.push_back(ResourceManager::HEALTH_BAR);
    return paths;
}

// Every voice holds one source of the audio device, and the device has only so many.
// Asked by taking one and giving it back: a voice made without one would be broken.
bool sourceLeft()
{
    ALuint probe = 0;
    alGenSources(1, &probe);
    if (probe == 0 || alIsSource(probe) != AL_TRUE) {
        alGetError(); // the refusal is expected; leave no error behind for others
        return false;
    }
    alDeleteSources(1, &probe);
    return true;
}

// Every resource is opened here. The path is looked at first: a directory or a FIFO handed
// to the media library made its decoder spin, or its open block, for ever. A file that is
// simply missing is left to the library, which names it as it always has. A refused path
// gets a line naming it and why; refused, when given, says whether it was.
template <typename Asset>
bool openResource(Asset& asset, const std::string& path, bool (Asset::*load)(const std::string&),
                  bool* refused = nullptr)
{
    std::string why;
    const safefile::Found found = safefile::check(path, why);
    const bool refuse = found != safefile::Found::FILE && found != safefile::Found::MISSING;
    if (refused != nullptr)
        *refused = refuse;
    if (refuse) {
        std::printf(MSG_REFUSED, path.c_str(), why.c_str());
        std::fflush(stdout);
        return false;
    }
    return (asset.*load)(path);
}

bool fatal(const char* path)
{
    std::printf(MSG_FATAL, path);
    std::fflush(stdout);
    return false;
}
} // namespace

std::map<std::string, sf::Texture*> ResourceManager::textures;
std::vector<sf::Texture> ResourceManager::tileTextures;
std::vector<DoodadTexture> ResourceManager::doodadTextures;
std::map<std::string, sf::SoundBuffer*> ResourceManager::soundBuffers;
std::list<sf::Sound> ResourceManager::sounds;
sf::Font ResourceManager::arcadeFont;
sf::Font ResourceManager::dialogFont;
sf::Font ResourceManager::debugFont;
const std::string ResourceManager::HEALTH_BAR = "resources/gfx/hud/health.png";

sf::Music& ResourceManager::music()
{
    static sf::Music tune;
    return tune;
}

const std::vector<std::string>& ResourceManager::texturePaths()
{
    static const std::vector<std::string> paths = buildTexturePaths();
    return paths;
}

bool ResourceManager::loadResources()
{
    // Each failure has been reported, by openResource or by the media library; nothing to add.
    if (!openResource(music(), MUSIC_PATH, &sf::Music::openFromFile)
        || !openResource(arcadeFont, ARCADE_FONT_PATH, &sf::Font::loadFromFile)
        || !openResource(dialogFont, DIALOG_FONT_PATH, &sf::Font::loadFromFile)
        || !openResource(debugFont, DEBUG_FONT_PATH, &sf::Font::loadFromFile))
        return false;

    if (!loadTileTextures()) {
        std::printf(MSG_NO_TILES, TILE_DIR);
        std::fflush(stdout);
        return false;
    }

    for (const std::string& path : texturePaths())
        loadTexture(path);

    doodadTextures.reserve(PROP_COUNT);
    for (const PropImage& prop : PROP_IMAGES)
        if (!loadDoodadTexture(prop.path, prop.originX, prop.originY))
            return fatal(prop.path);

    for (const char* path : SOUNDS)
        loadSound(path);
    return true;
}

bool ResourceManager::loadTileTextures()
{
    // Every image is read before any texture is made: with the count known the textures
    // are made in place, and a texture handed out must never move.
    std::list<sf::Image> images;
    for (int n = 0;; ++n) {
        images.emplace_back();
        const std::string path = std::string(TILE_DIR) + std::to_string(n) + ".png";
        if (!openResource(images.back(), path, &sf::Image::loadFromFile)) {
            images.pop_back();
            break;
        }
    }
    std::printf("%s", MSG_TILE_LIST_END);
    std::fflush(stdout);
    tileTextures.reserve(images.size());
    for (const sf::Image& image : images) {
        tileTextures.emplace_back();
        if (!tileTextures.back().loadFromImage(image)) {
            tileTextures.pop_back();
            break;
        }
        VisiblePixels::remember(tileTextures.back(), image);
    }
    // Which images hide which is worked out now, not in the first frame drawn.
    TileCover::refresh(tileTextures);
    return !tileTextures.empty();
}

void ResourceManager::unloadResources()
{
    sounds.clear();
    music().stop();
    Animation::releaseFrames();
    VisiblePixels::forgetAll();
    TileCover::forget();
    for (auto& entry : textures)
        delete entry.second;
    textures.clear();
    for (auto& entry : soundBuffers)
        delete entry.second;
    soundBuffers.clear();
    tileTextures.clear();
    tileTextures.shrink_to_fit();
    doodadTextures.clear();
    doodadTextures.shrink_to_fit();
}

void ResourceManager::loadTexture(const std::string& path)
{
    MORVANE_ASSERT(textures.find(path) == textures.end(), SOURCE);
    sf::Texture* texture = new sf::Texture();
    // A missing sheet stays empty and draws nothing.
    sf::Image image;
    if (openResource(image, path, &sf::Image::loadFromFile) && texture->loadFromImage(image))
        VisiblePixels::remember(*texture, image);
    textures[path] = texture;
}

bool ResourceManager::loadImage(sf::Image& image, const std::string& path)
{
    return openResource(image, path, &sf::Image::loadFromFile);
}

sf::Texture& ResourceManager::getTexture(const std::string& path)
{
    MORVANE_ASSERT(textures.find(path) != textures.end(), SOURCE);
    return *textures[path];
}

bool ResourceManager::loadDoodadTexture(const std::string& path, int originX, int originY)
{
    doodadTextures.emplace_back();
    DoodadTexture& record = doodadTextures.back();
    sf::Image image;
    if (!openResource(image, path, &sf::Image::loadFromFile) || !record.texture.loadFromImage(image))
        return false;
    VisiblePixels::remember(record.texture, image);
    record.visible = VisiblePixels::bounds(image, sf::IntRect(0, 0, static_cast<int>(image.getSize().x),
                                                                  static_cast<int>(image.getSize().y)));
    record.path = path;
    record.originX = originX;
    record.originY = originY;
    return true;
}

DoodadTexture& ResourceManager::getDoodadTexture(int index)
{
    MORVANE_ASSERT(index >= 0 && static_cast<std::size_t>(index) < doodadTextures.size(), SOURCE);
    return doodadTextures[static_cast<std::size_t>(index)];
}

void ResourceManager::loadSound(const std::string& path)
{
    sf::SoundBuffer* buffer = new sf::SoundBuffer();
    bool refused = false;
    if (!openResource(*buffer, path, &sf::SoundBuffer::loadFromFile, &refused)) {
        if (!refused) {
            std::printf(MSG_SOUND_FAILED, path.c_str());
            std::fflush(stdout);
        }
        delete buffer;
        return;
    }
    soundBuffers[path] = buffer;
}

void ResourceManager::playSound(const std::string& path)
{
    for (auto it = sounds.begin(); it != sounds.end();) {
        if (it->getStatus() == sf::Sound::Stopped)
            it = sounds.erase(it);
        else
            ++it;
    }
    auto buffer = soundBuffers.find(path);
    if (buffer == soundBuffers.end() || !sourceLeft())
        return;
    sounds.emplace_back();
    sounds.back().setBuffer(*buffer->second);
    sounds.back().play();
}

sf::Texture& ResourceManager::getPortrait(int number)
{
    switch (number) {
    case 0: return getTexture(PORTRAIT_PLAYER);
    case 1: return getTexture(PORTRAIT_CLERK);
    case 2: return getTexture(PORTRAIT_ROBBER);
    case 3: return getTexture(PORTRAIT_ELDER);
    case 5: return getTexture(PORTRAIT_DEFAULT2);
    default: return getTexture(PORTRAIT_DEFAULT);
    }
}
