#pragma once
// Small building blocks for the generated sounds: a seeded noise source, filters,
// envelopes and a looping mix buffer. Everything is plain float maths, so the same
// build always gives the same samples.

#include <cstdint>
#include <vector>

namespace synth {

constexpr float TWO_PI = 6.28318530718f;

// xorshift32: our own fixed-seed noise, independent of the C library.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : state(seed ? seed : 0x9e3779b9u) {}
    std::uint32_t next();
    // Uniform in [-1, 1).
    float bipolar();

private:
    std::uint32_t state;
};

// State-variable filter giving low, band and high pass at once.
class Svf {
public:
    struct Out {
        float low;
        float band;
        float high;
    };
    Out process(float x, float cutoffHz, float q, float rate);

private:
    float ic1 = 0.0f;
    float ic2 = 0.0f;
};

class OnePole {
public:
    float lowpass(float x, float cutoffHz, float rate);

private:
    float z = 0.0f;
};

float midiToHz(float note);
// Attack, exponential-ish decay to sustain, linear release after the gate closes.
float adsr(float t, float gate, float attack, float decay, float sustain, float release);
// Band-limited enough for our purposes: a polyBLEP saw and square.
float sawBlep(float phase, float dphase);
float squareBlep(float phase, float dphase, float width);

// A stereo buffer that wraps at its end, so tails of notes near the end of a loop ring on
// at its start and the loop point stays seamless.
class LoopBuffer {
public:
    explicit LoopBuffer(std::size_t frames);
    std::size_t size() const { return left.size(); }
    void add(std::size_t frame, float l, float r);
    std::vector<float> left;
    std::vector<float> right;
};

struct Levels {
    float peak;
    float rms;
};
Levels measure(const std::vector<float>& samples);
// Scales so the loudest sample reaches target; returns the gain used.
float normalize(std::vector<float>& samples, float target);
float normalize(std::vector<float>& left, std::vector<float>& right, float target);

} // namespace synth
