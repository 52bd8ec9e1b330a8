#pragma once
// What the play state brings into a game from before it: a trip to the editor leaves the
// fades, the ending and the latches of held keys as they were, and the overlay switches
// and assist are the player's. A recording starts from these, so that its replay starts
// where the game did, whatever the settings of whoever plays it. Plain numbers (switches
// as 0 or 1), each written into a replay's header.

struct PlayStart {
    int ending = 0;
    int fadeOutTimer = 0;
    int fadeInTimer = 0;
    int fadeTarget = 0;
    int leftHeld = 0;
    int middleHeld = 0;
    int rightHeld = 0;
    int switchLatch = 1;
    int returnHeld = 1;
    int padPunchHeld = 0;
    int padBackHeld = 0;
    int assistHeld = 1;
    int debugDraw = 0;
    int overlay = 1;
    // Halves the blows the player takes: a setting, and A after a second knock-out.
    int assist = 0;
};
