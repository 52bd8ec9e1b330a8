#pragma once
// The game's sounds, each made from scratch by a fixed recipe.

#include "synth.h"

#include <vector>

namespace audiogen {

constexpr unsigned EFFECT_RATE = 44100;
constexpr unsigned TUNE_RATE = 32000;

// Mono sample streams at EFFECT_RATE, scaled to their final level.
std::vector<float> makeConfirm();
std::vector<float> makeHit();
std::vector<float> makePowerHit();
std::vector<float> makeDeath();

// The background loop at TUNE_RATE, stereo, scaled to its final level.
synth::LoopBuffer makeTune();

} // namespace audiogen
