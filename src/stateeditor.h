#pragma once
// The level editor.

#include "camera.h"
#include "state.h"

class StateEditor final : public State {
public:
    StateEditor(sf::RenderWindow* targetWindow, State** stateTable);

    int update() override;
    void draw() override;
    void enter() override;
    void leave() override;
    void handleEvent(const sf::Event& event) override;

private:
    Camera camera;
    bool switchLatch;
};
