#pragma once
// The renderer's way (a graphics card's): the frame painted into an 800 x 600 texture, then
// drawn into the window as one quad scaled between bars, the buffer swapped with vsync
// where the driver offers it. On a card the quad costs a fraction of a millisecond at any
// window size.

#include "render/presenter.h"

#include <SFML/Graphics/RenderTexture.hpp>

class QuadPresenter final : public Presenter {
public:
    explicit QuadPresenter(sf::RenderWindow& window);

    std::string name() const override;
    void hold() override;
    void showHeld() override;

protected:
    void show(const FrameList& frame) override;
    void windowRecreated() override;

private:
    // The texture made and readied; false when the renderer cannot make one.
    bool ready();

    sf::RenderTexture picture;
    bool made = false;
    bool failed = false;
    bool shown = false;
};
