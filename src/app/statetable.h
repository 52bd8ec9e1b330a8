#pragma once
// The run's states, owned here: the play state and the editor, looked up through one table
// by the frame loop and by each state for its sibling. The last slot stays empty.

#include "render/state.h"

#include <memory>

namespace sf { class RenderWindow; }

class StateTable final {
public:
    explicit StateTable(sf::RenderWindow* window);
    ~StateTable();
    StateTable(const StateTable&) = delete;
    StateTable& operator=(const StateTable&) = delete;

    State** get() { return table; }

private:
    std::unique_ptr<State> owned[STATE_COUNT];
    State* table[STATE_COUNT] = {};
};
