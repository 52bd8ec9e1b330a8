#include "sounds.h"

#include <algorithm>
#include <cmath>

namespace audiogen {

using synth::TWO_PI;

namespace {

constexpr float RATE = static_cast<float>(EFFECT_RATE);

std::vector<float> silence(float seconds)
{
    return std::vector<float>(static_cast<std::size_t>(seconds * RATE), 0.0f);
}

// A sine whose pitch glides down from start to floor, the core of every impact.
void addThud(std::vector<float>& out, float at, float floorHz, float sweepHz, float sweepTime,
             float decay, float gain)
{
    float phase = 0.0f;
    for (std::size_t i = static_cast<std::size_t>(at * RATE); i < out.size(); ++i) {
        const float t = static_cast<float>(i) / RATE - at;
        phase += (floorHz + sweepHz * std::exp(-t / sweepTime)) / RATE;
        phase -= std::floor(phase);
        const float attack = std::min(1.0f, t / 0.0015f);
        out[i] += gain * attack * std::exp(-t / decay) * std::sin(TWO_PI * phase);
    }
}

// Lowpassed noise burst: the slap of a fist or a body on the floor.
void addNoise(std::vector<float>& out, synth::Rng& rng, float at, float cutoffHz, float decay, float gain)
{
    synth::Svf filter;
    for (std::size_t i = static_cast<std::size_t>(at * RATE); i < out.size(); ++i) {
        const float t = static_cast<float>(i) / RATE - at;
        const float x = rng.bipolar() * std::exp(-t / decay);
        out[i] += gain * filter.process(x, cutoffHz, 0.9f, RATE).low;
    }
}

// Soft saturation gives the hits weight without hard clipping.
void saturate(std::vector<float>& out, float drive)
{
    for (float& s : out)
        s = std::tanh(drive * s);
}

// Ends exactly at zero so the voice stops without a click.
void fadeTail(std::vector<float>& out, float seconds)
{
    const std::size_t n = std::min(out.size(), static_cast<std::size_t>(seconds * RATE));
    for (std::size_t k = 0; k < n; ++k)
        out[out.size() - 1 - k] *= static_cast<float>(k) / static_cast<float>(n);
}

} // namespace

std::vector<float> makeConfirm()
{
    // Played for every revealed dialog character, so it stays short, round and quiet.
    std::vector<float> out = silence(0.045f);
    synth::Rng rng(17);
    synth::Svf click;
    synth::OnePole soften;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = static_cast<float>(i) / RATE;
        const float env = std::min(1.0f, t / 0.0015f) * std::exp(-t / 0.009f);
        float s = env * (std::sin(TWO_PI * 1320.0f * t) + 0.3f * std::sin(TWO_PI * 1980.0f * t));
        s += 0.25f * std::exp(-t / 0.002f) * click.process(rng.bipolar(), 3000.0f, 1.5f, RATE).band;
        out[i] = soften.lowpass(s, 4500.0f, RATE);
    }
    fadeTail(out, 0.008f);
    synth::normalize(out, 0.32f);
    return out;
}

std::vector<float> makeHit()
{
    std::vector<float> out = silence(0.22f);
    synth::Rng rng(23);
    addThud(out, 0.0f, 58.0f, 140.0f, 0.022f, 0.065f, 1.0f);
    addNoise(out, rng, 0.0f, 2600.0f, 0.012f, 0.9f);
    addNoise(out, rng, 0.0f, 700.0f, 0.035f, 0.8f);
    saturate(out, 1.6f);
    fadeTail(out, 0.04f);
    synth::normalize(out, 0.89f);
    return out;
}

std::vector<float> makePowerHit()
{
    std::vector<float> out = silence(0.55f);
    synth::Rng rng(29);
    addThud(out, 0.0f, 42.0f, 160.0f, 0.04f, 0.16f, 1.0f);
    addThud(out, 0.0f, 44.0f, 0.0f, 1.0f, 0.26f, 0.35f);
    addNoise(out, rng, 0.0f, 1900.0f, 0.03f, 1.1f);
    addNoise(out, rng, 0.0f, 420.0f, 0.09f, 1.0f);
    // A second, smaller crack: the blow lands through the guard.
    addNoise(out, rng, 0.055f, 3200.0f, 0.015f, 0.45f);
    saturate(out, 2.0f);
    fadeTail(out, 0.08f);
    synth::normalize(out, 0.93f);
    return out;
}

std::vector<float> makeDeath()
{
    std::vector<float> out = silence(1.25f);
    synth::Rng rng(31);
    // A falling groan: a buzzy voice through two moving formants, then the fall.
    const float groanEnd = 0.85f;
    synth::Svf formant1;
    synth::Svf formant2;
    synth::OnePole breath;
    float phase = 0.0f;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = static_cast<float>(i) / RATE;
        if (t > groanEnd + 0.1f)
            break;
        const float u = std::min(t / groanEnd, 1.0f);
        const float vibrato = 1.0f + 0.02f * std::sin(TWO_PI * 5.5f * t) * u;
        const float hz = 190.0f * std::pow(2.0f, -1.3f * u) * vibrato;
        const float dphase = hz / RATE;
        phase += dphase;
        phase -= std::floor(phase);
        const float voice = synth::sawBlep(phase, dphase) + 0.15f * breath.lowpass(rng.bipolar(), 2000.0f, RATE);
        const float f1 = 750.0f - 300.0f * u;
        const float f2 = 1150.0f - 350.0f * u;
        const float shaped = formant1.process(voice, f1, 5.0f, RATE).band
                           + 0.6f * formant2.process(voice, f2, 6.0f, RATE).band;
        float env = std::min(1.0f, t / 0.04f);
        if (t > groanEnd - 0.25f)
            env *= std::max(0.0f, 1.0f - (t - (groanEnd - 0.25f)) / 0.35f);
        out[i] += 0.5f * env * shaped;
    }
    addThud(out, 0.82f, 36.0f, 90.0f, 0.03f, 0.12f, 1.0f);
    addNoise(out, rng, 0.82f, 800.0f, 0.025f, 1.2f);
    addNoise(out, rng, 0.93f, 600.0f, 0.02f, 0.35f); // a small bounce
    saturate(out, 1.3f);
    fadeTail(out, 0.1f);
    synth::normalize(out, 0.85f);
    return out;
}

} // namespace audiogen
