#pragma once
// A view that follows a point, with a switch to plain screen pixels for overlays. It sets
// the view of the frame list the picture is drawn into.

#include <SFML/Graphics/View.hpp>

class FrameList;

class Camera {
public:
    Camera();
    // The picture's own pixels, origin top left, whatever size the window has.
    static sf::View pictureView();

    sf::View& getView();
    const sf::View& getView() const { return view; }
    void apply(FrameList& frame) const;
    void setScreenSpace(FrameList& frame, bool screenSpace);

private:
    sf::View view;
    bool screenSpace;
};
