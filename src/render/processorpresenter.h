#pragma once
// The processor's way, for a software rasteriser, which paints every pixel itself: at
// 800 x 600 the frame is painted straight into the window and the buffer swapped; at any
// other size it is painted into an 800 x 600 texture, read back once, scaled on the
// processor through Letterbox's own mapping (so the mouse and the picture agree to the
// pixel) and put on the window through shared memory (WindowImage); the world's picture
// is kept while it stays the same (KeptPicture). Where the X server
// shares no memory, or the window's pixels are not 32-bit true colour, the picture is
// drawn as one scaled quad instead.

#include "render/keptpicture.h"
#include "render/presenter.h"
#include "render/windowimage.h"

#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Window/WindowHandle.hpp>

#include <cstdint>
#include <vector>

class ProcessorPresenter final : public Presenter {
public:
    // Without shareMemory the picture never goes through the X server's shared memory:
    // scaled frames take the quad.
    explicit ProcessorPresenter(sf::RenderWindow& window, bool shareMemory = true);

    std::string name() const override;
    void finish() override;
    void prepare() override;
    void hold() override;
    void showHeld() override;
    bool wasPutDirectly() const override { return putDirectly; }
    // What the last frame's world took: painted, or copied back.
    KeptPicture::Drawn lastDrawn() const { return drawn; }

protected:
    void show(const FrameList& frame) override;

private:
    // The window at 800 x 600, else the offscreen picture (the window when it cannot be made).
    sf::RenderTarget& target();
    // Reads the offscreen picture into pixels.
    void readBack();
    // The shared image is on for the window as it is now.
    bool direct();

    sf::RenderTexture offscreen;
    bool offscreenReady = false;
    bool offscreenFailed = false;
    bool lastScaled = false;
    KeptPicture kept;
    KeptPicture::Drawn drawn = KeptPicture::Drawn::PAINTED;
    WindowImage windowImage;
    sf::WindowHandle followed = 0;
    // The last picture read back, RGBA bytes, bottom row first.
    std::vector<std::uint32_t> pixels;
    sf::Texture heldCopy;
    const sf::Texture* held = nullptr;
    bool pixelsHeld = false;
    bool putDirectly = false;
};
