#pragma once
// Trigger areas and the scripted steps they fire.

#include "world/entity.h"
#include "world/event.h"
#include "world/zonefile.h"

#include <string>
#include <vector>

// An invisible circle that fires its events when a unit of its team walks in (or out).
class Trigger final : public Entity {
public:
    static constexpr std::size_t MAX_TEXT = zonefile::MAX_TEXT;

    // Ids of the matching units now overlapping, in order of entry. Ids, not pointers:
    // a unit that vanishes simply counts as having left.
    std::vector<int> inside;
    bool fireOnEnter;
    int uses;
    int team;
    std::vector<Event> events;

    Trigger(EntityManager* owner, float triggerRadius, int triggerTeam, bool firesOnEnter, int usesLeft);

    void update(Zone& zone) override;
    void onCollide(Entity& other, const sf::Vector2f& push) override;
    void submit(FrameList& frame) const override;
    void save(zonefile::EntityRecord& record) const override;
    void load(const zonefile::EntityRecord& record) override;

    void fire();

    // The editing operations refuse (false, nothing changed) a missing event i or line j.
    void addEvent();
    bool addDialogLine(int i);
    bool setDialogText(int i, int j, const std::string& text);
    bool setPortraitId(int i, int j, int value);
    bool setPortraitPos(int i, int j, int value);
    bool setEventEntity(int i, int value);
    bool setEventDestY(int i, int value);
    bool setEventDestX(int i, int value);

private:
    Event* eventAt(int i);
    DialogLine* lineAt(int i, int j);
    void leave(std::size_t index);
};
