#pragma once
// A picture painted on a cleared offscreen target (the ground, or the whole scene), kept
// while nothing it depends on changes. With the camera still, the renderer copies the kept
// picture back in a small part of the time painting it again takes, and the bytes are the
// same.

#include "core/picturekey.h"

#include <SFML/Config.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sf {
class Color;
class RenderTarget;
} // namespace sf

class PictureCache final {
public:
    using Key = picturekey::Key;

    PictureCache() = default;
    ~PictureCache();
    PictureCache(const PictureCache&) = delete;
    PictureCache& operator=(const PictureCache&) = delete;

    // Adds what of the target and its view a picture depends on to key (what is painted
    // adds the rest); false when this target is not kept (a window).
    static bool describe(sf::RenderTarget& target, const sf::Color& cleared, Key& key);
    // Puts the kept picture over the whole target when it was kept for key. A picture
    // painted with a hole (pixels left out because something opaque covers them before the
    // picture is shown) serves only a frame whose own hole holds that one.
    bool restore(sf::RenderTarget& target, const Key& key, const sf::IntRect& hole = sf::IntRect());
    // After what key describes was painted over the cleared target, less hole: keeps the
    // picture when the frame before painted the same, so a still scene pays for one copy,
    // or at once when now.
    // True when the picture is kept for key afterwards.
    bool offer(sf::RenderTarget& target, const Key& key, const sf::IntRect& hole = sf::IntRect(), bool now = false);
    // Puts back the kept picture, whatever it was kept for, over area (top row first) or,
    // when area is empty, the whole target; false when none is kept. A plain copy of a
    // rectangle: under a scissor box the renderer would first build a program for it.
    bool restoreKept(sf::RenderTarget& target, const sf::IntRect& area = sf::IntRect());
    // The target now holds the kept picture but within area, painted anew for key: the
    // kept picture takes that area and becomes key's.
    void refresh(sf::RenderTarget& target, const Key& key, const sf::IntRect& hole, const sf::IntRect& area);
    // True when key is what was offered last, or nothing was.
    bool follows(const Key& key) const;
    // True when the picture kept is key's.
    bool holds(const Key& key) const { return kept && !broken && key == last; }
    // True when a picture is kept that was painted with hole and from the same first
    // length numbers of key.
    bool holdsStart(const Key& key, std::size_t length, const sf::IntRect& hole) const
    {
        return kept && !broken && hole == lastHole && last.size() >= length && key.size() >= length
            && std::equal(key.begin(), key.begin() + static_cast<std::ptrdiff_t>(length), last.begin());
    }
    // Makes room for target's picture now, so the first copy costs no more than the others.
    void reserve(sf::RenderTarget& target);

    // Before tile images are destroyed: later ones may have the same names on the card.
    static void forgetAll();

private:
    bool attach();
    // The kept texture at target's size, with target active again; false when it cannot be.
    bool fit(sf::RenderTarget& target);
    // Copies area (top row first) of the active target, height rows tall, into the kept texture.
    bool copy(const sf::IntRect& area, unsigned height);

    Key last;
    sf::IntRect lastHole;
    bool offered = false;
    bool kept = false;
    bool broken = false; // the renderer refused; painting from now on
    sf::Texture picture;
    unsigned frameBuffer = 0;
    sf::Uint64 frameBufferContext = 0; // frame buffers belong to one context
};
