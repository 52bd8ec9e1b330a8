#pragma once
// The process-wide store of every image, sound, tune and font, filled once at start-up.

#include <SFML/Audio/Music.hpp>
#include <SFML/Audio/Sound.hpp>
#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <list>
#include <map>
#include <string>
#include <vector>

struct DoodadTexture {
    std::string path; // doubles as the prop's name in the editor
    int originX = 0;
    int originY = 0;
    sf::IntRect visible; // the part of the image with anything in it
    sf::Texture texture;
};

class ResourceManager {
public:
    static std::map<std::string, sf::Texture*> textures;
    static std::vector<sf::Texture> tileTextures;
    static std::vector<DoodadTexture> doodadTextures;
    static std::map<std::string, sf::SoundBuffer*> soundBuffers;
    // A list, not a vector: sounds must not be copied while they play.
    static std::list<sf::Sound> sounds;
    // Made on first use: making one opens the audio device, which --help must not do.
    static sf::Music& music();
    static sf::Font arcadeFont;
    static sf::Font dialogFont;
    static sf::Font debugFont;
    // The play screen's health bar: a row of square cells.
    static const std::string HEALTH_BAR;

    // False when start-up cannot go on; the reason has been printed (by the media library
    // for the music and the fonts).
    static bool loadResources();
    // Releases everything loadResources made, so a test can load another tree.
    static void unloadResources();

    static void loadTexture(const std::string& path);
    // An image outside the store (the window's icon), checked like every resource.
    static bool loadImage(sf::Image& image, const std::string& path);
    static sf::Texture& getTexture(const std::string& path);
    static bool loadDoodadTexture(const std::string& path, int originX, int originY);
    static DoodadTexture& getDoodadTexture(int index);
    static void loadSound(const std::string& path);
    // On a voice of its own while the audio device has a source free; else not at all.
    static void playSound(const std::string& path);
    static sf::Texture& getPortrait(int number);

    // Every texture path in load order: the portraits, then the character sheets.
    static const std::vector<std::string>& texturePaths();

private:
    static bool loadTileTextures();
};
