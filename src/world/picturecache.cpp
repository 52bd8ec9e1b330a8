#include "world/picturecache.h"

#define GL_GLEXT_PROTOTYPES
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/OpenGL.hpp>
#include <SFML/Window/Context.hpp>
#include <GL/glext.h>

#include <cstdio>

namespace {

std::uint64_t generation = 0;

// True when inner is empty or lies within outer.
bool within(const sf::IntRect& inner, const sf::IntRect& outer)
{
    if (inner.width <= 0 || inner.height <= 0)
        return true;
    return outer.left <= inner.left && outer.top <= inner.top && inner.left + inner.width <= outer.left + outer.width
        && inner.top + inner.height <= outer.top + outer.height;
}

} // namespace

PictureCache::~PictureCache()
{
    // A frame buffer can only be deleted in its own context; one that is gone took it along.
    if (frameBuffer != 0 && sf::Context::getActiveContextId() == frameBufferContext)
        glDeleteFramebuffers(1, &frameBuffer);
}

bool PictureCache::describe(sf::RenderTarget& target, const sf::Color& cleared, Key& key)
{
    // A window's own pixels are kept in another order of channels: the renderer copies
    // them both ways pixel by pixel, which costs more than painting the ground.
    if (dynamic_cast<sf::RenderTexture*>(&target) == nullptr || !target.setActive(true))
        return false;
    // A scissor box would hold the copy to part of the target.
    if (glIsEnabled(GL_SCISSOR_TEST))
        return false;
    const sf::View& view = target.getView();
    key.insert(key.end(), {generation, reinterpret_cast<std::uintptr_t>(&target), sf::Context::getActiveContextId(),
                           target.getSize().x, target.getSize().y, cleared.toInteger()});
    picturekey::addRect(key, target.getViewport(view));
    picturekey::addTransform(key, view.getTransform());
    return true;
}

void PictureCache::forgetAll() { ++generation; }

bool PictureCache::attach()
{
    const sf::Uint64 context = sf::Context::getActiveContextId();
    if (frameBuffer != 0 && frameBufferContext == context)
        return true;
    // One made in a context since gone is only a name now.
    frameBuffer = 0;
    GLint read = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    glGenFramebuffers(1, &frameBuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, frameBuffer);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, picture.getNativeHandle(), 0);
    const bool complete = glCheckFramebufferStatus(GL_READ_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
    frameBufferContext = context;
    if (!complete) {
        static bool said = false;
        if (!said)
            std::printf("Every frame is painted afresh from now on: the renderer cannot copy a kept picture back\n");
        said = true;
        broken = true;
    }
    return complete;
}

bool PictureCache::restore(sf::RenderTarget& target, const Key& key, const sf::IntRect& hole)
{
    return key == last && within(lastHole, hole) && restoreKept(target);
}

bool PictureCache::restoreKept(sf::RenderTarget& target, const sf::IntRect& area)
{
    if (!kept || broken || !target.setActive(true) || !attach())
        return false;
    const GLint h = static_cast<GLint>(picture.getSize().y);
    GLint x0 = 0, y0 = 0, x1 = static_cast<GLint>(picture.getSize().x), y1 = h;
    if (area.width > 0 && area.height > 0) {
        // Rows from the bottom, as the renderer counts them.
        x0 = area.left;
        x1 = area.left + area.width;
        y0 = h - area.top - area.height;
        y1 = h - area.top;
    }
    GLint read = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, frameBuffer);
    glBlitFramebuffer(x0, y0, x1, y1, x0, y0, x1, y1, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
    return true;
}

bool PictureCache::fit(sf::RenderTarget& target)
{
    const sf::Vector2u size = target.getSize();
    if (picture.getSize() == size)
        return true;
    // A new texture is another attachment.
    if (frameBuffer != 0 && sf::Context::getActiveContextId() == frameBufferContext)
        glDeleteFramebuffers(1, &frameBuffer);
    frameBuffer = 0;
    if (!picture.create(size.x, size.y)) {
        broken = true;
        return false;
    }
    return target.setActive(true);
}

void PictureCache::reserve(sf::RenderTarget& target)
{
    if (!broken && target.setActive(true))
        fit(target);
}

bool PictureCache::follows(const Key& key) const { return !offered || key == last; }

bool PictureCache::offer(sf::RenderTarget& target, const Key& key, const sf::IntRect& hole, bool now)
{
    if (broken)
        return false;
    offered = true;
    if (key != last || hole != lastHole) {
        last = key;
        lastHole = hole;
        kept = false;
        if (!now)
            return false;
    }
    if (kept || !target.setActive(true) || !fit(target))
        return kept;
    const sf::Vector2u size = target.getSize();
    kept = copy(sf::IntRect(0, 0, static_cast<int>(size.x), static_cast<int>(size.y)), size.y);
    return kept;
}

void PictureCache::refresh(sf::RenderTarget& target, const Key& key, const sf::IntRect& hole, const sf::IntRect& area)
{
    if (!kept || broken || !target.setActive(true))
        return;
    last = key;
    lastHole = hole;
    kept = area.width <= 0 || area.height <= 0 || copy(area, target.getSize().y);
}

bool PictureCache::copy(const sf::IntRect& area, unsigned height)
{
    // Errors left by others would read as this copy's.
    for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
    }
    // Rows from the bottom, as the renderer counts them.
    const GLint y = static_cast<GLint>(height) - area.top - area.height;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, picture.getNativeHandle());
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, area.left, y, area.left, y, area.width, area.height);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    return glGetError() == GL_NO_ERROR;
}
