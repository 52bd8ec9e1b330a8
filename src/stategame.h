#pragma once
// The play state.

#include "camera.h"
#include "state.h"

class StateGame final : public State {
public:
    StateGame(sf::RenderWindow* targetWindow, State** stateTable);

    int update() override;
    void draw() override;
    void enter() override;
    void leave() override;
    void handleEvent(const sf::Event& event) override;

private:
    Camera camera;
    bool switchLatch;
};
