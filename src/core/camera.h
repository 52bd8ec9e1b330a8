#pragma once
// A view that follows a point, with a switch to plain screen pixels for overlays. It sets
// the view of whatever target the picture is drawn into this frame.

#include <SFML/Graphics/View.hpp>

namespace sf { class RenderTarget; }

class Camera {
public:
    Camera();
    // The picture's own pixels, origin top left, whatever size the window has.
    static sf::View pictureView();

    sf::View& getView();
    void apply(sf::RenderTarget& target) const;
    void setScreenSpace(sf::RenderTarget& target, bool screenSpace);

private:
    sf::View view;
    bool screenSpace;
};
