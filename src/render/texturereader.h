#pragma once
// A texture the renderer can copy from: a frame buffer with the texture attached, bound as
// the read buffer of the context active now. Frame buffers belong to the context they were
// made in, so one is made again in each new context (one made in a context since gone is
// only a name), and again for another texture.

#include <SFML/Config.hpp>

namespace sf { class Texture; }

class TextureReader final {
public:
    TextureReader() = default;
    ~TextureReader();
    TextureReader(const TextureReader&) = delete;
    TextureReader& operator=(const TextureReader&) = delete;

    // Binds texture for reading in the active context; false, with nothing bound, when the
    // renderer cannot read from it.
    bool bind(const sf::Texture& texture);
    // Binds again what was bound for reading before bind.
    void unbind();

private:
    void drop();

    unsigned frameBuffer = 0;
    sf::Uint64 context = 0;
    unsigned attached = 0; // the texture's name on the card
    int before = 0;
};
