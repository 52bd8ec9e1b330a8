#include "render/presenter.h"

#include "core/letterbox.h"
#include "render/exposewatch.h"
#include "render/framelist.h"
#include "render/painter.h"
#include "render/processorpresenter.h"
#include "render/quadpresenter.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/OpenGL.hpp>
#include <SFML/System/Sleep.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>

const std::string Presenter::TITLE = "MORVANE";

namespace {
const char* MSG_NO_PICTURE = "Cannot scale the picture here: it is drawn at 800 x 600 in the window's corner\n";
const char* MSG_UNKNOWN_WAY = "MORVANE_PRESENT=%s is neither processor nor renderer: chosen by the renderer instead\n";
// The names software rasterisers give themselves.
const char* const SOFTWARE[] = {"llvmpipe", "softpipe", "Software Rasterizer", "SwiftShader"};
} // namespace

void Presenter::createWindow(sf::RenderWindow& window, const sf::VideoMode& mode, sf::Uint32 style, const sf::Image* icon)
{
    sf::ContextSettings settings;
    settings.depthBits = 0;
    settings.stencilBits = 0;
    settings.antialiasingLevel = 0;
    settings.majorVersion = 2;
    settings.minorVersion = 0;
    window.create(mode, TITLE, style, settings);
    if (icon != nullptr && icon->getSize().x > 0)
        window.setIcon(icon->getSize().x, icon->getSize().y, icon->getPixelsPtr());
}

void Presenter::createWindow(sf::RenderWindow& window)
{
    createWindow(window, sf::VideoMode(Letterbox::PICTURE.x, Letterbox::PICTURE.y, 32), sf::Style::Default);
}

void Presenter::prepareTarget(sf::RenderTarget& target, const FrameList* warm)
{
    // The media library sets up its own states on a target's first draw, turning the alpha
    // test off: that draw comes first.
    FrameList first(target.getSize());
    sf::RectangleShape shade(sf::Vector2f(8.0f, 8.0f));
    shade.setFillColor(sf::Color(0, 0, 0, 128));
    first.draw(shade);
    Painter::paint(first, target);
    target.clear();
    if (target.setActive(true)) {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.0f);
    }
    if (warm != nullptr) {
        Painter::paint(*warm, target);
        target.clear();
    }
}

std::string Presenter::rendererName(sf::RenderWindow& window)
{
    if (!window.setActive(true))
        return std::string();
    const GLubyte* name = glGetString(GL_RENDERER);
    return name != nullptr ? std::string(reinterpret_cast<const char*>(name)) : std::string();
}

bool Presenter::isSoftware(const std::string& renderer)
{
    for (const char* software : SOFTWARE)
        if (renderer.find(software) != std::string::npos)
            return true;
    return false;
}

Presenter::Way Presenter::choose(const std::string& renderer, const char* asked)
{
    if (asked != nullptr && *asked != '\0') {
        if (std::strcmp(asked, "processor") == 0)
            return Way::PROCESSOR;
        if (std::strcmp(asked, "renderer") == 0)
            return Way::RENDERER;
        std::printf(MSG_UNKNOWN_WAY, asked);
        std::fflush(stdout);
    }
    return isSoftware(renderer) ? Way::PROCESSOR : Way::RENDERER;
}

std::unique_ptr<Presenter> Presenter::forWindow(sf::RenderWindow& window)
{
    if (choose(rendererName(window), std::getenv("MORVANE_PRESENT")) == Way::PROCESSOR)
        return std::make_unique<ProcessorPresenter>(window);
    return std::make_unique<QuadPresenter>(window);
}

Presenter::Presenter(sf::RenderWindow& windowIn) : window(windowIn) {}

Presenter::~Presenter() = default;

void Presenter::present(const FrameList& frame)
{
    if (!window.isOpen())
        return;
    show(frame);
    if (frameTime != sf::Time::Zero) {
        sf::sleep(frameTime - frameClock.getElapsedTime());
        frameClock.restart();
    }
}

void Presenter::setWarmUp(const FrameList& warm)
{
    warmUp = std::make_unique<FrameList>(warm);
    prepareTarget(window);
    // The window's first buffer swap readies the renderer's buffers: done here, on a black
    // window, rather than in the first frame of play.
    window.display();
}

void Presenter::prepareTarget(sf::RenderTarget& target) const { prepareTarget(target, warmUp.get()); }

bool Presenter::makePicture(sf::RenderTexture& picture) const
{
    if (!picture.create(Letterbox::PICTURE.x, Letterbox::PICTURE.y)) {
        std::printf("%s", MSG_NO_PICTURE);
        std::fflush(stdout);
        return false;
    }
    prepareTarget(picture);
    return true;
}

void Presenter::showScaled(const sf::Texture& picture)
{
    const sf::Vector2u size = window.getSize();
    window.setView(sf::View(sf::FloatRect(0.f, 0.f, static_cast<float>(size.x), static_cast<float>(size.y))));
    window.clear(sf::Color(0, 0, 0, 255));
    const sf::IntRect area = Letterbox(size).area();
    sf::Sprite sprite(picture);
    sprite.setPosition(static_cast<float>(area.left), static_cast<float>(area.top));
    sprite.setScale(static_cast<float>(area.width) / static_cast<float>(picture.getSize().x),
                    static_cast<float>(area.height) / static_cast<float>(picture.getSize().y));
    // The picture is opaque: copied, not blended.
    window.draw(sprite, sf::BlendNone);
    window.display();
}

void Presenter::setIcon(const sf::Image& image)
{
    icon = image;
    hasIcon = image.getSize().x > 0;
    if (hasIcon)
        window.setIcon(icon.getSize().x, icon.getSize().y, icon.getPixelsPtr());
}

void Presenter::limitFrames(unsigned perSecond)
{
    frameTime = perSecond == 0 ? sf::Time::Zero : sf::seconds(1.f / static_cast<float>(perSecond));
}

void Presenter::recreateWindow(const sf::VideoMode& mode, sf::Uint32 style)
{
    createWindow(window, mode, style, hasIcon ? &icon : nullptr);
    prepareTarget(window);
    windowRecreated();
    if (exposure)
        exposure->follow(window.getSystemHandle());
}

void Presenter::watchExposure()
{
    exposure = std::make_unique<ExposeWatch>();
    exposure->follow(window.getSystemHandle());
}

bool Presenter::waitForUncovering()
{
    if (!exposure || !exposure->isOn())
        return false;
    if (exposure->wait(100))
        showHeld();
    return true;
}
