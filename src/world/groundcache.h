#pragma once
// The picture of a cleared offscreen target with the ground painted on it, kept while
// nothing it depends on changes. With the camera still, the renderer copies the kept
// picture back in a small part of the time painting the ground again takes, and the bytes
// are the same.

#include <SFML/Config.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <cstdint>
#include <vector>

namespace sf {
class Color;
class RenderTarget;
} // namespace sf

class GroundCache final {
public:
    using Key = std::vector<std::uint64_t>;

    GroundCache() = default;
    ~GroundCache();
    GroundCache(const GroundCache&) = delete;
    GroundCache& operator=(const GroundCache&) = delete;

    // Adds what of the target and its view the ground's picture depends on to key (the
    // ground itself adds the rest); false when this target is not kept (a window).
    static bool describe(sf::RenderTarget& target, const sf::Color& cleared, Key& key);
    // Puts the kept picture over the whole target when it was kept for key.
    bool restore(sf::RenderTarget& target, const Key& key);
    // After the ground for key was painted over the cleared target: keeps the picture when
    // the frame before painted the same, so a still camera pays for one copy.
    void offer(sf::RenderTarget& target, const Key& key);

    // Before tile images are destroyed: later ones may have the same names on the card.
    static void forgetAll();

private:
    bool attach();

    Key last;
    bool kept = false;
    bool broken = false; // the renderer refused; painting from now on
    sf::Texture picture;
    unsigned frameBuffer = 0;
    sf::Uint64 frameBufferContext = 0; // frame buffers belong to one context
};
