#include "characters/doodad.h"

#include "core/globals.h"
#include "render/framelist.h"
#include "world/entitymanager.h"
#include "world/resourcemanager.h"
#include "world/zonefile.h"

#include <SFML/Graphics/CircleShape.hpp>
#include <cstdint>

namespace {
const KindMaker MAKER(Entity::TYPE_DOODAD, [](EntityManager* manager) -> std::unique_ptr<Entity> { return std::make_unique<Doodad>(manager, 0); });
} // namespace

Doodad::Doodad(EntityManager* owner, int prop)
    : Entity(TYPE_DOODAD, owner), imageIndex(isValidProp(prop) ? prop : 0)
{
    tileCollision = true;
    applyImage();
    radius = 16.0f;
}

bool Doodad::isValidProp(int prop) { return prop >= 0 && prop < PROP_COUNT; }

void Doodad::applyImage()
{
    // Also guards a run where the prop images were never loaded.
    if (!isValidProp(imageIndex) ||
        static_cast<std::size_t>(imageIndex) >= ResourceManager::doodadTextures.size())
        return;
    const DoodadTexture& record = ResourceManager::getDoodadTexture(imageIndex);
    // The props differ in size, so each takes its own image's full rectangle.
    sprite.setTexture(record.texture, true);
    sprite.setOrigin(static_cast<float>(record.originX), static_cast<float>(record.originY));
}

std::string Doodad::getImagePath(int prop)
{
    if (!isValidProp(prop) || static_cast<std::size_t>(prop) >= ResourceManager::doodadTextures.size())
        return std::string();
    return ResourceManager::getDoodadTexture(prop).path;
}

void Doodad::update(Zone&) {}

void Doodad::onCollide(Entity&, const sf::Vector2f&) {}

void Doodad::animate() { sprite.setPosition(worldToScreen(position)); }

void Doodad::submit(FrameList& frame) const
{
    if (isValidProp(imageIndex) && static_cast<std::size_t>(imageIndex) < ResourceManager::doodadTextures.size() &&
        sprite.getTexture() == &ResourceManager::getDoodadTexture(imageIndex).texture)
        frame.trimmed(sprite, ResourceManager::getDoodadTexture(imageIndex).visible);
    else
        frame.draw(sprite);
}

void Doodad::save(zonefile::EntityRecord& record) const
{
    Entity::save(record);
    record.image = imageIndex;
}

void Doodad::load(const zonefile::EntityRecord& record)
{
    Entity::load(record);
    if (isValidProp(record.image))
        imageIndex = record.image;
    applyImage();
}

TrashCan::TrashCan(EntityManager* owner) : Entity(TYPE_TRASHCAN, owner) {}

TestEntity::TestEntity(EntityManager* owner) : Entity(TYPE_TEST_ENTITY, owner) {}

void TestEntity::update(Zone&) {}

void TestEntity::onCollide(Entity&, const sf::Vector2f&) {}

void TestEntity::submit(FrameList& frame) const
{
    sf::CircleShape marker(16.0f, 30);
    marker.setOrigin(16.0f, 32.0f);
    marker.setOutlineColor(sf::Color::Green);
    marker.setOutlineThickness(2.0f);
    marker.setFillColor(sf::Color::Black);
    marker.setPosition(worldToScreen(position));
    frame.draw(marker);
}
