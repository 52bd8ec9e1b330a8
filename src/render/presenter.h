#pragma once
// How a frame's picture reaches the window (present): the frame list painted and shown,
// the same way for the whole run, chosen at start for the renderer the player has. On a
// graphics card the 800 x 600 picture is painted into a texture and drawn into the window
// as one scaled quad, with vsync where the driver offers it (QuadPresenter). A software
// rasteriser would paint every pixel of that quad one by one: there the picture is painted
// straight into a window of 800 x 600, and at any other size read back, scaled on the
// processor and put on the window through shared memory (ProcessorPresenter). What is
// X-specific (the shared image, the exposures of a window waiting for focus) lives behind
// this class.

#include <SFML/Config.hpp>
#include <SFML/Graphics/Image.hpp>
#include <SFML/System/Clock.hpp>
#include <SFML/System/Time.hpp>
#include <SFML/Window/VideoMode.hpp>

#include <memory>
#include <string>

namespace sf {
class RenderTarget;
class RenderTexture;
class RenderWindow;
class Texture;
} // namespace sf
class ExposeWatch;
class FrameList;

class Presenter {
public:
    enum class Way { RENDERER, PROCESSOR };
    static const std::string TITLE;

    // Opens the game window in a mode and style (fullscreen, a remembered size), with the
    // icon when one is given.
    static void createWindow(sf::RenderWindow& window, const sf::VideoMode& mode, sf::Uint32 style,
                             const sf::Image* icon = nullptr);
    // The 800 x 600 window.
    static void createWindow(sf::RenderWindow& window);
    // Readies a target for painting: the renderer is told to skip fully transparent pixels
    // (everything is blended, where those change nothing), and warm, when given, is painted
    // and cleared, so a software renderer compiles its programs before play rather than in
    // its first frames.
    static void prepareTarget(sf::RenderTarget& target, const FrameList* warm);
    // The renderer the window's context runs on (GL_RENDERER).
    static std::string rendererName(sf::RenderWindow& window);
    // True for the names of software rasterisers.
    static bool isSoftware(const std::string& renderer);
    // The way for this renderer, unless MORVANE_PRESENT says "processor" or "renderer".
    static Way choose(const std::string& renderer, const char* asked);
    // The back end chosen for the window as it is now.
    static std::unique_ptr<Presenter> forWindow(sf::RenderWindow& window);

    explicit Presenter(sf::RenderWindow& window);
    virtual ~Presenter();
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    // Names the way, for the debug overlay.
    virtual std::string name() const = 0;
    // Paints the frame and puts it on the window, then waits out the rest of the frame when
    // frames are limited.
    void present(const FrameList& frame);
    // Waits until the picture put on the window is there (a server may copy it while the
    // next frame is made).
    virtual void finish() {}
    // Readies what the window's size needs, so the first frame at a new size costs no more
    // than the others.
    virtual void prepare() {}
    // Keeps the picture last shown, for showHeld.
    virtual void hold() = 0;
    // Shows the held picture again, fitted to the window's size now, without painting anew.
    virtual void showHeld() = 0;
    // The last picture went on the window without the renderer.
    virtual bool wasPutDirectly() const { return false; }

    // What is painted before play on every target the picture is painted on.
    void setWarmUp(const FrameList& warm);
    void setIcon(const sf::Image& image);
    // Frames shown per second at most; 0 for as fast as they come.
    void limitFrames(unsigned perSecond);
    // Makes the window anew in another mode (fullscreen and back).
    void recreateWindow(const sf::VideoMode& mode, sf::Uint32 style);
    // Repaints the window whenever it is uncovered while the game waits for focus.
    void watchExposure();
    // Waits up to a tenth of a second for the window to be uncovered, repainting it if it
    // was; false, at once, when nothing watches.
    bool waitForUncovering();

protected:
    virtual void show(const FrameList& frame) = 0;
    // The window was made anew: another X window, another context.
    virtual void windowRecreated() {}
    void prepareTarget(sf::RenderTarget& target) const;
    // Makes picture the 800 x 600 texture the frame is painted on, readied; false, said
    // once, where the renderer cannot make one (the picture then goes in the window's corner).
    bool makePicture(sf::RenderTexture& picture) const;
    // Draws picture over the whole window as one quad scaled between black bars (see
    // Letterbox), and shows the window.
    void showScaled(const sf::Texture& picture);
    // What setWarmUp was given; null before.
    const FrameList* warmUpList() const { return warmUp.get(); }

    sf::RenderWindow& window;

private:
    std::unique_ptr<FrameList> warmUp;
    sf::Image icon;
    bool hasIcon = false;
    sf::Time frameTime;
    sf::Clock frameClock;
    std::unique_ptr<ExposeWatch> exposure;
};
