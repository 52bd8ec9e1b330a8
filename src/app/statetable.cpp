#include "app/statetable.h"

#include "editor/stateeditor.h"
#include "play/stategame.h"

StateTable::StateTable(sf::RenderWindow* window)
{
    // Each state is handed the table while it is still being filled.
    owned[STATE_GAME] = std::make_unique<StateGame>(window, table);
    table[STATE_GAME] = owned[STATE_GAME].get();
    owned[STATE_EDITOR] = std::make_unique<StateEditor>(window, table);
    table[STATE_EDITOR] = owned[STATE_EDITOR].get();
}

StateTable::~StateTable()
{
    // In the table's order, the play state first.
    for (std::unique_ptr<State>& state : owned)
        state.reset();
}
