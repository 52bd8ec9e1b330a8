// Props: their image, their record and their place.

#include "charscene.h"
#include "characters/doodad.h"
#include "characters/robber.h"
#include "world/resourcemanager.h"
#include "world/zonefile.h"
#include "core/globals.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace charscene;

TEST_F(CharacterTest, DoodadLoadsItsPropAndRefusesUnknownOnes)
{
    Doodad lamp(&zone.entities, 0);
    Doodad counter(&zone.entities, 7);
    zonefile::EntityRecord record;
    counter.save(record);
    EXPECT_EQ(record.image, 7);
    lamp.load(record);
    EXPECT_EQ(lamp.imageIndex, 7);
    EXPECT_EQ(lamp.sprite.getOrigin(), sf::Vector2f(64.0f, 128.0f));
    const sf::Vector2u size = ResourceManager::getDoodadTexture(7).texture.getSize();
    EXPECT_EQ(lamp.sprite.getTextureRect(), sf::IntRect(0, 0, int(size.x), int(size.y)));
    EXPECT_EQ(lamp.sprite.getTexture(), &ResourceManager::getDoodadTexture(7).texture);

    record.image = 99; // a prop number off the list
    lamp.load(record);
    EXPECT_EQ(lamp.imageIndex, 7);
    EXPECT_EQ(Doodad(&zone.entities, 12).imageIndex, 0);
    EXPECT_FALSE(Doodad::isValidProp(-1));
    EXPECT_EQ(Doodad::getImagePath(12), "");
}

TEST_F(CharacterTest, DoodadIsKeptOutOfWallsButDrawnAtItsOwnPosition)
{
    paint(zone, {"...", "..#"});
    Doodad* bin = place(zone, std::make_unique<Doodad>(&zone.entities, 2), {60.0f, 48.0f});
    frame(zone);
    EXPECT_EQ(bin->position, sf::Vector2f(48.0f, 48.0f));
    Robber* robber = place(zone, std::make_unique<Robber>(&zone.entities), centre);
    Doodad* hat = place(zone, std::make_unique<Doodad>(&zone.entities, 5), {40.0f, 40.0f});
    hat->setParent(robber);
    zone.animate();
    EXPECT_EQ(hat->sprite.getPosition(), worldToScreen({40.0f, 40.0f}));
}

