#include "render/animation.h"

#include "core/globals.h"
#include "render/framelist.h"
#include "render/visiblepixels.h"

#include <SFML/Graphics/Texture.hpp>
#include <cstdio>
#include <iterator>
#include <map>
#include <tuple>

namespace {
const char* SOURCE = "src/animation";
const char* MSG_FRAME = "[%d]%d, %d\n";
// Sets cut from the loaded game sheets stay until the resources go, so a kind of character
// that dies out (the last pedestrian of a zone) is not cut again when the next one comes.
std::vector<std::shared_ptr<const void>>& keptSets()
{
    static std::vector<std::shared_ptr<const void>> kept;
    return kept;
}
} // namespace

void Animation::releaseFrames() { keptSets().clear(); }

std::shared_ptr<const Animation::FrameSet> Animation::cutFrames(const sf::Texture& upTexture,
                                                                const sf::Texture& downTexture, int frames,
                                                                int columns, const sf::Vector2f& origin)
{
    MORVANE_ASSERT(frames > 0 && columns > 0, SOURCE);
    // Keyed by the textures' identity and contents' size. Sets of textures the game did not
    // load itself die with their last user, so a later texture at the same address never
    // meets a stale set.
    using Key = std::tuple<const sf::Texture*, const sf::Texture*, unsigned, unsigned, unsigned, unsigned, int,
                           int, float, float>;
    static std::map<Key, std::weak_ptr<const FrameSet>> cache;
    const Key key(&upTexture, &downTexture, upTexture.getNativeHandle(), downTexture.getNativeHandle(),
                  upTexture.getSize().x, upTexture.getSize().y, frames, columns, origin.x, origin.y);
    auto found = cache.find(key);
    if (found != cache.end()) {
        if (std::shared_ptr<const FrameSet> set = found->second.lock())
            return set;
    }
    for (auto it = cache.begin(); it != cache.end();)
        it = it->second.expired() ? cache.erase(it) : std::next(it);

    auto set = std::make_shared<FrameSet>();
    // The down sheet shares the up sheet's layout; a missing sheet is 0 x 0 and just gives
    // empty frames that draw nothing.
    const int rows = (frames + columns - 1) / columns;
    set->frameWidth = static_cast<int>(upTexture.getSize().x) / columns;
    set->frameHeight = static_cast<int>(upTexture.getSize().y) / rows;
    for (int i = 0; i < frames; ++i) {
        const int column = i % columns;
        const int row = i / columns;
        const sf::IntRect rect(column * set->frameWidth, row * set->frameHeight, set->frameWidth, set->frameHeight);
        set->up.emplace_back(upTexture, rect);
        set->up.back().setOrigin(origin);
        set->down.emplace_back(downTexture, rect);
        set->down.back().setOrigin(origin);
        set->upVisible.push_back(VisiblePixels::sampled(upTexture, rect));
        set->downVisible.push_back(VisiblePixels::sampled(downTexture, rect));
    }
    cache[key] = set;
    if (VisiblePixels::isRemembered(upTexture) && VisiblePixels::isRemembered(downTexture))
        keptSets().push_back(set);
    return set;
}

Animation::Animation(const sf::Texture& upTexture, const sf::Texture& downTexture, int frames,
                     int columns, int frameDelay, const sf::Vector2f& origin, bool backAndForth)
    : shared(cutFrames(upTexture, downTexture, frames, columns, origin)),
      frameCount(frames), upFrames(shared->up), downFrames(shared->down), delay(frameDelay), timer(frameDelay),
      pingPong(backAndForth)
{
    MORVANE_ASSERT(frameDelay >= 0, SOURCE);
    if (frameCount == 7)
        for (int i = 0; i < frameCount; ++i)
            std::printf(MSG_FRAME, i, i % columns, i / columns);
}

void Animation::update()
{
    timer -= 1;
    if (timer >= 0)
        return;
    timer = delay;
    if (!pingPong) {
        currentFrame += 1;
        if (currentFrame >= frameCount)
            currentFrame = loop ? 0 : frameCount - 1;
    } else if (forward) {
        currentFrame += 1;
        if (currentFrame >= frameCount) {
            // A single frame has nowhere to turn back to.
            currentFrame = frameCount > 1 ? frameCount - 2 : 0;
            forward = false;
        }
    } else {
        currentFrame -= 1;
        if (currentFrame < 0) {
            currentFrame = frameCount > 1 ? 1 : 0;
            forward = true;
        }
    }
}

void Animation::restart()
{
    currentFrame = 0;
    timer = delay;
    forward = true;
}

void Animation::submit(FrameList& frame, bool up, const sf::Color& silhouette, const sf::Color& tint) const
{
    if (shared->frameWidth <= 0 || shared->frameHeight <= 0 || currentFrame < 0 || currentFrame >= frameCount)
        return;
    const std::size_t shown = static_cast<std::size_t>(currentFrame);
    sf::Sprite sprite = (up ? upFrames : downFrames)[shown];
    sprite.setPosition(position);
    sprite.setScale(mirrored ? -scale.x : scale.x, scale.y);
    sprite.setColor(tint);
    frame.trimmed(sprite, (up ? shared->upVisible : shared->downVisible)[shown], silhouette);
}

bool Animation::covers(const sf::Vector2f& point, bool up) const
{
    if (shared->frameWidth <= 0 || shared->frameHeight <= 0 || currentFrame < 0 || currentFrame >= frameCount)
        return false;
    const std::size_t shown = static_cast<std::size_t>(currentFrame);
    sf::Sprite sprite = (up ? upFrames : downFrames)[shown];
    sprite.setPosition(position);
    sprite.setScale(mirrored ? -scale.x : scale.x, scale.y);
    const sf::IntRect frameRect = sprite.getTextureRect();
    sf::IntRect visible = (up ? shared->upVisible : shared->downVisible)[shown];
    if (visible.width <= 0 || visible.height <= 0)
        visible = frameRect;
    const sf::FloatRect local(static_cast<float>(visible.left - frameRect.left),
                              static_cast<float>(visible.top - frameRect.top),
                              static_cast<float>(visible.width), static_cast<float>(visible.height));
    return sprite.getTransform().transformRect(local).contains(point);
}
