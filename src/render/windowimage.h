#pragma once
// Puts the game's picture, scaled between bars, straight onto the window through the X
// server's shared memory, without the renderer. A software renderer paints a window-sized
// textured quad pixel by pixel; scaling on the processor and handing the server one image
// costs a fraction of that. Without a server, without its shared memory, or with a window
// whose pixels are not 32-bit true colour, it stays off and the renderer scales instead.

#include "render/picturescaler.h"

#include <SFML/System/Vector2.hpp>
#include <SFML/Window/WindowHandle.hpp>
#include <cstdint>
#include <memory>

struct _XDisplay;

class WindowImage final {
public:
    // Without share it stays off, as where the server shares no memory.
    explicit WindowImage(bool share = true);
    ~WindowImage();
    WindowImage(const WindowImage&) = delete;
    WindowImage& operator=(const WindowImage&) = delete;

    // Puts pictures on this window from now on; false, and off, if it cannot.
    bool follow(sf::WindowHandle window);
    bool isOn() const { return display != nullptr && target != 0; }
    // Puts the picture (RGBA bytes, bottom row first) on the window of the given size. The
    // server finishes the copy on its own time; a refusal is found by the next call, and
    // then the way is off and the call false.
    bool show(const std::uint32_t* picture, sf::Vector2u windowSize);
    // Waits until the server has put the last picture on the window.
    bool finish();
    // Makes the image for a window of this size now, black, so the first picture put at
    // this size costs no more than any other.
    void prepare(sf::Vector2u windowSize);

private:
    struct Buffer;
    class Trap;

    bool makeBuffer(sf::Vector2u size);
    void turnOff(const char* why);
    // Waits for the last picture; false, and off, if the server refused it.
    bool settle(Trap& trap);

    _XDisplay* display;
    sf::WindowHandle target;
    void* visual; // the window's, for images made to its size
    unsigned depth;
    void* gc;
    std::unique_ptr<Buffer> buffer;
    bool barsPainted; // in the image
    bool barsPut;     // on the window
    bool pending; // a picture put and not yet known to be on the window
    int completionEvent; // the server's word that a shared picture is on the window
    PictureScaler scaler;
};
