// The clerk: standing and walking a given path.

#include "charscene.h"
#include "characters/clerk.h"
#include "core/globals.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace charscene;

TEST_F(CharacterTest, ClerkStandsUntilGivenAPathThenWalksItAndStops)
{
    Clerk* clerk = place(zone, std::make_unique<Clerk>(&zone.entities), tileCentre(2, 2));
    runFrames(zone, 50);
    EXPECT_EQ(clerk->position, tileCentre(2, 2));
    clerk->findPath(zone, 2, 6);
    int walked = 0;
    while (clerk->hasPath() && walked < 1000) {
        frame(zone);
        ++walked;
    }
    EXPECT_GT(walked, 180); // 128 units at about half a unit per frame
    EXPECT_LT(walked, 400);
    runFrames(zone, 60);
    EXPECT_NEAR(clerk->position.x, tileCentre(6, 2).x, 6.0f);
    EXPECT_EQ(clerk->walk.currentFrame, 2); // the standing pose
    EXPECT_GT(clerk->facing.x, 0.9f);       // still facing the way it walked
}

