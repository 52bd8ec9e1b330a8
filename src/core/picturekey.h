#pragma once
// What a picture is painted from, written down as numbers: two pictures with equal keys
// are the same bytes. The helpers write each kind of value one way everywhere.

#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/Transform.hpp>

#include <cstdint>
#include <cstring>
#include <vector>

namespace picturekey {

using Key = std::vector<std::uint64_t>;

inline void addFloat(Key& key, float f)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    key.push_back(bits);
}

inline void addRect(Key& key, const sf::IntRect& r)
{
    key.insert(key.end(), {static_cast<std::uint32_t>(r.left), static_cast<std::uint32_t>(r.top),
                           static_cast<std::uint32_t>(r.width), static_cast<std::uint32_t>(r.height)});
}

// Where it is, its name on the card (reused after a reload) and its size.
inline void addTexture(Key& key, const sf::Texture* texture)
{
    key.push_back(reinterpret_cast<std::uintptr_t>(texture));
    if (texture != nullptr)
        key.insert(key.end(), {texture->getNativeHandle(), texture->getSize().x, texture->getSize().y});
}

// A 2D transform: its other ten entries never change.
inline void addTransform(Key& key, const sf::Transform& transform)
{
    const float* m = transform.getMatrix();
    for (int i : {0, 1, 4, 5, 12, 13})
        addFloat(key, m[i]);
}

} // namespace picturekey
