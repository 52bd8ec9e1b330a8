#pragma once
// A render target that draws nothing. Entities off the view are still "drawn" into it,
// because their draw also advances their animations and throws their blows.

#include <SFML/Graphics/RenderTarget.hpp>

class NullTarget final : public sf::RenderTarget {
public:
    explicit NullTarget(sf::Vector2u sizeIn);

    sf::Vector2u getSize() const override;
    // Never active, so every draw call returns before touching OpenGL.
    bool setActive(bool active = true) override;

private:
    sf::Vector2u size;
};
