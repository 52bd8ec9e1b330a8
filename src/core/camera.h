#pragma once
// A view that follows a point, with a switch to plain screen pixels for overlays.

#include <SFML/Graphics/View.hpp>

namespace sf { class RenderWindow; }

class Camera {
public:
    explicit Camera(sf::RenderWindow* targetWindow);

    sf::View& getView();
    const sf::View& getView() const { return view; }
    void apply();
    void setScreenSpace(bool screenSpace);

private:
    sf::RenderWindow* window;
    sf::View view;
    bool screenSpace;
};
