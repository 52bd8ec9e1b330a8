#include "render/windowimage.h"

#include "core/letterbox.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <cstdio>
#include <algorithm>
#include <cstdlib>

namespace {
const char* MSG_OFF = "The picture is scaled by the renderer from now on: %s\n";

// X reports errors through one handler for the whole process, and its default one ends
// the program. This connection's answers are read only here, always with this one in
// place, so a refusal is only remembered.
bool refused = false;
int remember(Display*, XErrorEvent*)
{
    refused = true;
    return 0;
}

} // namespace

class WindowImage::Trap final {
public:
    explicit Trap(Display* d) : display(d), kept(XSetErrorHandler(remember)) { refused = false; }
    ~Trap() { XSetErrorHandler(kept); }
    // Waits for the server to answer everything asked so far; true if nothing was refused
    // since the last time.
    bool settled()
    {
        XSync(display, False);
        const bool clean = !refused;
        refused = false;
        return clean;
    }

private:
    Display* display;
    int (*kept)(Display*, XErrorEvent*);
};

// The window-sized image in a segment of memory the server shares with us.
struct WindowImage::Buffer {
    Display* display = nullptr;
    XImage* image = nullptr;
    XShmSegmentInfo segment{};
    bool shared = false;

    ~Buffer()
    {
        if (image == nullptr)
            return;
        if (shared) {
            XShmDetach(display, &segment);
            XSync(display, False);
        }
        if (segment.shmaddr != nullptr)
            shmdt(segment.shmaddr);
        image->data = nullptr;
        XDestroyImage(image);
    }
};

WindowImage::WindowImage(bool share)
    : display(nullptr), target(0), visual(nullptr), depth(0), gc(nullptr), barsPainted(false), barsPut(false),
      pending(false), completionEvent(-1)
{
    if (!share)
        return;
    display = XOpenDisplay(nullptr);
    // Without the server's shared memory the image would travel through the socket, 8 MB
    // a frame at 1920 x 1080: the renderer's quad is the better way then.
    if (display != nullptr && XShmQueryExtension(display) == True) {
        completionEvent = XShmGetEventBase(display) + ShmCompletion;
    } else if (display != nullptr) {
        XCloseDisplay(display);
        display = nullptr;
    }
}

WindowImage::~WindowImage()
{
    if (display != nullptr) {
        // The window may be gone already: what it refuses now is of no account.
        Trap trap(display);
        XSync(display, False);
        buffer.reset();
    }
    if (gc != nullptr)
        XFreeGC(display, static_cast<GC>(gc));
    if (display != nullptr)
        XCloseDisplay(display);
}

void WindowImage::turnOff(const char* why)
{
    if (target != 0) {
        std::printf(MSG_OFF, why);
        std::fflush(stdout);
    }
    buffer.reset();
    target = 0;
}

bool WindowImage::follow(sf::WindowHandle window)
{
    target = 0;
    if (display == nullptr)
        return false;
    Trap trap(display);
    trap.settled();
    pending = false;
    buffer.reset();
    if (window == 0)
        return false;
    XWindowAttributes attributes{};
    const bool known = XGetWindowAttributes(display, window, &attributes) != 0;
    if (!trap.settled() || !known)
        return false;
    const Visual* kind = attributes.visual;
    // The scaler writes opaque 0xAARRGGBB into 32-bit pixels: anything else is the renderer's.
    if (kind == nullptr || kind->c_class != TrueColor || (attributes.depth != 24 && attributes.depth != 32) ||
        kind->red_mask != 0xff0000 || kind->green_mask != 0xff00 || kind->blue_mask != 0xff)
        return false;
    // A GC serves drawables of one depth: the new window's may differ.
    if (gc != nullptr)
        XFreeGC(display, static_cast<GC>(gc));
    gc = XCreateGC(display, window, 0, nullptr);
    XSetWindowBackground(display, window, BlackPixel(display, DefaultScreen(display)));
    if (!trap.settled())
        return false;
    visual = attributes.visual;
    depth = static_cast<unsigned>(attributes.depth);
    target = window;
    return true;
}

bool WindowImage::makeBuffer(sf::Vector2u size)
{
    if (buffer && buffer->image->width == static_cast<int>(size.x) && buffer->image->height == static_cast<int>(size.y))
        return true;
    buffer.reset();
    auto made = std::make_unique<Buffer>();
    made->display = display;
    made->image = XShmCreateImage(display, static_cast<Visual*>(visual), depth, ZPixmap, nullptr, &made->segment, size.x,
                                  size.y);
    if (made->image == nullptr)
        return false;
    const std::size_t bytes = static_cast<std::size_t>(made->image->bytes_per_line) * size.y;
    made->segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    void* at = made->segment.shmid < 0 ? reinterpret_cast<void*>(-1) : shmat(made->segment.shmid, nullptr, 0);
    // Marked for removal now, so the segment goes with the last process using it.
    if (made->segment.shmid >= 0)
        shmctl(made->segment.shmid, IPC_RMID, nullptr);
    if (at == reinterpret_cast<void*>(-1))
        return false;
    made->segment.shmaddr = made->image->data = static_cast<char*>(at);
    made->segment.readOnly = False;
    Trap trap(display);
    const bool attached = XShmAttach(display, &made->segment) != 0;
    // A server elsewhere cannot share memory with us.
    made->shared = trap.settled() && attached;
    if (!made->shared || made->image->bits_per_pixel != 32 || made->image->byte_order != LSBFirst)
        return false;
    buffer = std::move(made);
    barsPainted = false;
    barsPut = false;
    return true;
}

bool WindowImage::settle(Trap& trap)
{
    if (!pending)
        return true;
    pending = false;
    XEvent done;
    // Mostly the server said it was done long ago: no round trip then. Reading its answers
    // also brings any refusal to the trap.
    bool clean = true;
    if (!(buffer && XCheckTypedEvent(display, completionEvent, &done) == True)) {
        clean = trap.settled();
        // Whatever else came is old news: the next completion is the next picture's.
        while (XCheckTypedEvent(display, completionEvent, &done) == True) {
        }
    }
    if (clean && !refused)
        return true;
    turnOff("the window refused the picture");
    return false;
}

bool WindowImage::show(const std::uint32_t* picture, sf::Vector2u windowSize)
{
    if (!isOn())
        return false;
    Trap trap(display);
    // The last picture's memory is written again only once the server is done with it.
    if (!settle(trap))
        return false;
    if (windowSize.x == 0 || windowSize.y == 0)
        return true;
    if (!makeBuffer(windowSize)) {
        turnOff("no shared image of the window's size can be made");
        return false;
    }
    XImage* image = buffer->image;
    scaler.scale(picture, windowSize, reinterpret_cast<std::uint32_t*>(image->data),
                 static_cast<std::size_t>(image->bytes_per_line) / 4, !barsPainted);
    barsPainted = true;
    // The bars go once with a new image; after that the picture's area alone, and the
    // window's black background fills any bar the server has to repaint.
    sf::IntRect part(0, 0, static_cast<int>(windowSize.x), static_cast<int>(windowSize.y));
    if (barsPut)
        part = Letterbox(windowSize).area();
    barsPut = true;
    XShmPutImage(display, target, static_cast<GC>(gc), image, part.left, part.top, part.left, part.top,
                 static_cast<unsigned>(part.width), static_cast<unsigned>(part.height), True);
    // Not waited for: the server copies the picture while the game goes on to the next
    // frame (or sleeps until it is due).
    XFlush(display);
    pending = true;
    return true;
}

bool WindowImage::finish()
{
    if (!isOn())
        return false;
    Trap trap(display);
    return settle(trap);
}

void WindowImage::prepare(sf::Vector2u windowSize)
{
    if (!isOn() || windowSize.x == 0 || windowSize.y == 0)
        return;
    Trap trap(display);
    if (!settle(trap))
        return;
    if (!makeBuffer(windowSize)) {
        turnOff("no shared image of the window's size can be made");
        return;
    }
    if (barsPainted)
        return;
    XImage* image = buffer->image;
    std::fill_n(reinterpret_cast<std::uint32_t*>(image->data),
                static_cast<std::size_t>(image->bytes_per_line) / 4 * windowSize.y, 0xff000000u);
    barsPainted = true;
    // The server's first copy of an image this size is its slowest (13 ms at 1920 x 1080
    // here): made now, black, and waited for, rather than in the first frame of play.
    XShmPutImage(display, target, static_cast<GC>(gc), image, 0, 0, 0, 0, windowSize.x, windowSize.y, True);
    barsPut = true;
    pending = true;
    settle(trap);
}
