#pragma once
// Where the events a trigger fires go to be played: the play state's script handler. The
// world knows only this, so it names nothing of the play state.

#include "world/event.h"

class EventQueue {
public:
    virtual ~EventQueue() = default;
    virtual void addEvent(const Event& event) = 0;
};
