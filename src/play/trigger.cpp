#include "play/trigger.h"

#include "world/entitymanager.h"
#include "core/globals.h"
#include "world/eventqueue.h"
#include "characters/unit.h"

namespace {
const KindMaker MAKER(Entity::TYPE_TRIGGER, [](EntityManager* manager) -> std::unique_ptr<Entity> { return std::make_unique<Trigger>(manager, 1.0f, 1, true, 1); });
} // namespace


Trigger::Trigger(EntityManager* owner, float triggerRadius, int triggerTeam, bool firesOnEnter, int usesLeft)
    : Entity(TYPE_TRIGGER, owner), fireOnEnter(firesOnEnter), uses(usesLeft), team(triggerTeam)
{
    radius = triggerRadius;
}

void Trigger::update(Zone&)
{
    for (std::size_t k = 0; k < inside.size();) {
        const Entity* e = manager->get(inside[k]);
        // Gone, or the id now names something else: either way the unit has left.
        const bool stillThere = e != nullptr && Entity::isUnitType(e->getType()) &&
                                static_cast<const Unit*>(e)->team == team && pushOut(*e) != ZERO_VECTOR;
        if (stillThere)
            ++k;
        else
            leave(k);
    }
}

void Trigger::leave(std::size_t index)
{
    inside.erase(inside.begin() + static_cast<std::ptrdiff_t>(index));
    if (!fireOnEnter)
        fire();
}

void Trigger::onCollide(Entity& other, const sf::Vector2f&)
{
    if (!Entity::isUnitType(other.getType()))
        return;
    if (static_cast<const Unit&>(other).team != team)
        return;
    for (int unitId : inside)
        if (unitId == other.getID())
            return;
    inside.push_back(other.getID());
    if (fireOnEnter)
        fire();
}

void Trigger::submit(FrameList&) const {}

void Trigger::fire()
{
    if (uses <= 0)
        return;
    // The editor's zones play no events; they never run collisions anyway.
    EventQueue* queue = manager != nullptr ? manager->events : nullptr;
    if (queue != nullptr)
        for (const Event& event : events)
            queue->addEvent(event);
    --uses;
}

void Trigger::save(zonefile::EntityRecord& record) const
{
    Entity::save(record);
    record.fireOnEnter = fireOnEnter;
    record.uses = uses;
    record.team = team;
    record.events = events;
}

void Trigger::load(const zonefile::EntityRecord& record)
{
    Entity::load(record);
    fireOnEnter = record.fireOnEnter;
    uses = record.uses;
    team = record.team;
    events.insert(events.end(), record.events.begin(), record.events.end());
}

void Trigger::addEvent()
{
    events.emplace_back();
}

Event* Trigger::eventAt(int i)
{
    if (i < 0 || static_cast<std::size_t>(i) >= events.size())
        return nullptr;
    return &events[static_cast<std::size_t>(i)];
}

DialogLine* Trigger::lineAt(int i, int j)
{
    Event* event = eventAt(i);
    if (event == nullptr || j < 0 || static_cast<std::size_t>(j) >= event->dialogLines.size())
        return nullptr;
    return &event->dialogLines[static_cast<std::size_t>(j)];
}

bool Trigger::addDialogLine(int i)
{
    Event* event = eventAt(i);
    if (event == nullptr)
        return false;
    event->dialogLines.emplace_back();
    return true;
}

bool Trigger::setDialogText(int i, int j, const std::string& text)
{
    DialogLine* line = lineAt(i, j);
    if (line == nullptr)
        return false;
    std::string converted = text;
    // Typed dialogs spell their line breaks as backslash-n.
    for (std::size_t pos = converted.find("\\n"); pos != std::string::npos; pos = converted.find("\\n", pos))
        converted.replace(pos, 2, "\n");
    line->text = converted;
    return true;
}

bool Trigger::setPortraitId(int i, int j, int value)
{
    DialogLine* line = lineAt(i, j);
    if (line == nullptr)
        return false;
    line->portraitId = value;
    return true;
}

bool Trigger::setPortraitPos(int i, int j, int value)
{
    DialogLine* line = lineAt(i, j);
    if (line == nullptr)
        return false;
    line->portraitPos = value;
    return true;
}

bool Trigger::setEventEntity(int i, int value)
{
    Event* event = eventAt(i);
    if (event == nullptr)
        return false;
    event->entityId = value;
    return true;
}

bool Trigger::setEventDestY(int i, int value)
{
    Event* event = eventAt(i);
    if (event == nullptr)
        return false;
    event->destY = value;
    return true;
}

bool Trigger::setEventDestX(int i, int value)
{
    Event* event = eventAt(i);
    if (event == nullptr)
        return false;
    event->destX = value;
    return true;
}
