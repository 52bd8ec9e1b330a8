#include "render/texturereader.h"

#define GL_GLEXT_PROTOTYPES
#include <SFML/Graphics/Texture.hpp>
#include <SFML/OpenGL.hpp>
#include <SFML/Window/Context.hpp>
#include <GL/glext.h>

TextureReader::~TextureReader() { drop(); }

void TextureReader::drop()
{
    if (frameBuffer != 0 && sf::Context::getActiveContextId() == context)
        glDeleteFramebuffers(1, &frameBuffer);
    frameBuffer = 0;
}

bool TextureReader::bind(const sf::Texture& texture)
{
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &before);
    if (frameBuffer != 0 && context == sf::Context::getActiveContextId() && attached == texture.getNativeHandle()) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, frameBuffer);
        return true;
    }
    drop();
    context = sf::Context::getActiveContextId();
    attached = texture.getNativeHandle();
    glGenFramebuffers(1, &frameBuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, frameBuffer);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, attached, 0);
    if (glCheckFramebufferStatus(GL_READ_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE)
        return true;
    unbind();
    return false;
}

void TextureReader::unbind() { glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(before)); }
