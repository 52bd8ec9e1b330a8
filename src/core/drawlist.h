#pragma once
// The draws of an entity pass held back in order, with the points where the walls due come
// between them. The pass's picture can then be told apart from the last one's before a
// pixel is painted: a still scene is copied back instead of painted again.
//
// Entities draw into it as into any target; their sprites reach it through
// SpriteTrim::draw, their shapes through DrawList::draw. A draw that reaches it any other
// way would be lost, so it is treated as a programming error.

#include "core/picturekey.h"

#include <SFML/Graphics/CircleShape.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Sprite.hpp>

#include <cstdint>
#include <functional>
#include <vector>

class DrawList final : public sf::RenderTarget {
public:
    using Key = picturekey::Key;

    // The size and view of the target the list will be painted on.
    explicit DrawList(const sf::RenderTarget& like);

    sf::Vector2u getSize() const override;
    bool setActive(bool active = true) override;

    // A sprite painted only around visible (SpriteTrim::draw), or whole (visible empty).
    void add(const sf::Sprite& sprite, const sf::IntRect& visible, bool whole);
    void add(const sf::CircleShape& shape);
    // Whatever comes due at depth goes here (the walls).
    void mark(float depth);

    // What the list paints, step by step, and the pixels each step may paint: made once a
    // frame, to key the picture and to compare with a later list.
    struct Outline {
        std::vector<Key> steps;
        std::vector<sf::IntRect> pixels; // top row first; empty for a mark

        // Every step in order, added to key.
        void addTo(Key& key) const;
        // The pixels whose colour can differ between the picture painted from before and
        // this one's, when the two differ only in sprites and shapes, step for step (no
        // step added, none gone, the marks the same); false otherwise.
        bool changedSince(const Outline& before, sf::IntRect& area) const;
    };
    Outline outline() const;
    // Paints the list on target, calling due at each mark.
    void paint(sf::RenderTarget& target, const std::function<void(float)>& due) const;

    // Shapes an entity draws go through here, so that a list keeps them.
    static void draw(sf::RenderTarget& target, const sf::CircleShape& shape);
    // A sprite painted whole, the same.
    static void draw(sf::RenderTarget& target, const sf::Sprite& sprite);

private:
    enum class Kind : std::uint8_t { TRIMMED, WHOLE, SHAPE, MARK };
    struct Step {
        Kind kind;
        std::size_t index; // into sprites or shapes; unused by a mark
        float depth;
        sf::IntRect visible;
    };

    void describe(const Step& step, Key& key) const;
    sf::IntRect pixelsOf(const Step& step) const;

    sf::Vector2u size;
    std::vector<Step> steps;
    std::vector<sf::Sprite> sprites;
    std::vector<sf::CircleShape> shapes;
};
