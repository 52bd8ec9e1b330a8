#include "synth.h"

#include <algorithm>
#include <cmath>

namespace synth {

std::uint32_t Rng::next()
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float Rng::bipolar()
{
    return static_cast<float>(next() >> 8) / 8388608.0f - 1.0f;
}

Svf::Out Svf::process(float x, float cutoffHz, float q, float rate)
{
    // Trapezoidal form: stays stable right up to Nyquist, unlike the textbook loop.
    const float g = std::tan(TWO_PI * 0.5f * std::min(cutoffHz, rate * 0.45f) / rate);
    const float k = 1.0f / std::max(q, 0.5f);
    const float a1 = 1.0f / (1.0f + g * (g + k));
    const float a2 = g * a1;
    const float a3 = g * a2;
    const float v3 = x - ic2;
    const float v1 = a1 * ic1 + a2 * v3;
    const float v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0f * v1 - ic1;
    ic2 = 2.0f * v2 - ic2;
    return {v2, v1, x - k * v1 - v2};
}

float OnePole::lowpass(float x, float cutoffHz, float rate)
{
    const float a = 1.0f - std::exp(-TWO_PI * cutoffHz / rate);
    z += a * (x - z);
    return z;
}

float midiToHz(float note)
{
    return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f);
}

float adsr(float t, float gate, float attack, float decay, float sustain, float release)
{
    auto held = [&](float at) {
        if (at < attack)
            return at / attack;
        return sustain + (1.0f - sustain) * std::exp(-(at - attack) / decay);
    };
    if (t < 0.0f)
        return 0.0f;
    if (t < gate)
        return held(t);
    const float level = held(gate);
    const float r = 1.0f - (t - gate) / release;
    return r > 0.0f ? level * r : 0.0f;
}

namespace {
float blep(float t, float dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}
} // namespace

float sawBlep(float phase, float dphase)
{
    return 2.0f * phase - 1.0f - blep(phase, dphase);
}

float squareBlep(float phase, float dphase, float width)
{
    float value = phase < width ? 1.0f : -1.0f;
    value += blep(phase, dphase);
    float shifted = phase + 1.0f - width;
    shifted -= std::floor(shifted);
    value -= blep(shifted, dphase);
    return value;
}

LoopBuffer::LoopBuffer(std::size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}

void LoopBuffer::add(std::size_t frame, float l, float r)
{
    frame %= left.size();
    left[frame] += l;
    right[frame] += r;
}

Levels measure(const std::vector<float>& samples)
{
    float peak = 0.0f;
    double sum = 0.0;
    for (float s : samples) {
        peak = std::max(peak, std::fabs(s));
        sum += static_cast<double>(s) * s;
    }
    const float rms = samples.empty() ? 0.0f : static_cast<float>(std::sqrt(sum / samples.size()));
    return {peak, rms};
}

float normalize(std::vector<float>& samples, float target)
{
    const float peak = measure(samples).peak;
    const float gain = peak > 0.0f ? target / peak : 1.0f;
    for (float& s : samples)
        s *= gain;
    return gain;
}

float normalize(std::vector<float>& left, std::vector<float>& right, float target)
{
    const float peak = std::max(measure(left).peak, measure(right).peak);
    const float gain = peak > 0.0f ? target / peak : 1.0f;
    for (float& s : left)
        s *= gain;
    for (float& s : right)
        s *= gain;
    return gain;
}

} // namespace synth
