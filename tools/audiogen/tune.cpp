#include "sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

namespace audiogen {

using synth::TWO_PI;

namespace {

constexpr float RATE = static_cast<float>(TUNE_RATE);
constexpr float BPM = 120.0f;
constexpr int STEPS_PER_BAR = 16;
constexpr int BARS_PER_SECTION = 8;
// 16 steps of 4000 frames: every sixteenth starts on a whole frame.
constexpr std::size_t STEP_FRAMES = static_cast<std::size_t>(RATE * 60.0f / BPM / 4.0f);

struct Note {
    int step;   // sixteenths from the start of the section
    int length; // in sixteenths
    int midi;
};

int pitchClass(char letter)
{
    static const int CLASSES[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    return CLASSES[letter - 'A'];
}

// "A4:2 C5:2 r:4": note name with octave, then length in sixteenths.
std::vector<Note> parseMelody(const std::string& text)
{
    std::vector<Note> notes;
    std::istringstream in(text);
    std::string token;
    int step = 0;
    while (in >> token) {
        const std::size_t colon = token.find(':');
        const int length = std::atoi(token.c_str() + colon + 1);
        if (token[0] != 'r') {
            std::size_t pos = 1;
            int pc = pitchClass(token[0]);
            if (token[pos] == '#')
                ++pc, ++pos;
            const int octave = std::atoi(token.c_str() + pos);
            notes.push_back({step, length, 12 * (octave + 1) + pc});
        }
        step += length;
    }
    return notes;
}

struct Chord {
    int root; // pitch class
    bool minor;
};

std::vector<Chord> parseChords(const std::string& text)
{
    std::vector<Chord> chords;
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        int pc = pitchClass(token[0]);
        std::size_t pos = 1;
        if (pos < token.size() && token[pos] == '#')
            ++pc, ++pos;
        chords.push_back({pc % 12, pos < token.size() && token[pos] == 'm'});
    }
    return chords;
}

// The lowest pitch of a class at or above a floor.
int above(int pc, int floorMidi)
{
    int midi = floorMidi - ((floorMidi - pc) % 12 + 12) % 12;
    return midi < floorMidi ? midi + 12 : midi;
}

std::vector<int> chordTones(const Chord& chord, int floorMidi)
{
    std::vector<int> tones = {above(chord.root, floorMidi), above(chord.root + (chord.minor ? 3 : 4), floorMidi),
                              above(chord.root + 7, floorMidi)};
    std::sort(tones.begin(), tones.end());
    return tones;
}

enum class Beat { Plain, Busy, HalfTime, Fill };

struct Section {
    const char* chords;
    const char* melody;
    bool arpeggio;
    bool leadDouble;
    Beat firstHalf;
    Beat secondHalf;
};

const char* MELODY_A =
    "A4:2 C5:2 E5:4 D5:2 C5:2 B4:2 C5:2 "
    "A4:6 F4:2 A4:2 C5:2 A4:4 "
    "G4:2 C5:2 E5:4 G5:4 E5:2 C5:2 "
    "D5:8 B4:4 G4:4 "
    "A4:2 C5:2 E5:4 D5:2 C5:2 E5:2 A5:2 "
    "A5:4 G5:2 F5:2 E5:4 C5:4 "
    "D5:2 F5:2 A5:4 G5:2 F5:2 E5:2 D5:2 "
    "E5:8 G#4:4 B4:4";

// The last time round the line walks down into the loop's first note instead.
const char* MELODY_A_END =
    "A4:2 C5:2 E5:4 D5:2 C5:2 B4:2 C5:2 "
    "A4:6 F4:2 A4:2 C5:2 A4:4 "
    "G4:2 C5:2 E5:4 G5:4 E5:2 C5:2 "
    "D5:8 B4:4 G4:4 "
    "A4:2 C5:2 E5:4 D5:2 C5:2 E5:2 A5:2 "
    "C6:4 B5:2 A5:2 G5:4 E5:4 "
    "F5:2 E5:2 D5:4 F5:2 E5:2 D5:2 C5:2 "
    "B4:4 D5:2 C5:2 B4:4 G#4:4";

const char* MELODY_B =
    "C6:4 A5:4 F5:4 A5:4 "
    "B5:4 G5:4 D5:4 G5:4 "
    "E5:2 G5:2 B5:4 A5:2 G5:2 E5:4 "
    "A5:12 r:4 "
    "F5:2 G5:2 A5:4 C6:4 A5:4 "
    "G5:2 A5:2 B5:4 D6:4 B5:4 "
    "G#5:4 B5:4 E6:4 D6:4 "
    "B5:8 r:4 E5:2 G#5:2";

const Section SECTIONS[] = {
    {"Am F C G Am F Dm E", MELODY_A, false, false, Beat::Plain, Beat::Plain},
    {"Am F C G Am F Dm E", MELODY_A, true, true, Beat::Busy, Beat::Busy},
    {"F G Em Am F G E E", MELODY_B, true, false, Beat::HalfTime, Beat::Busy},
    {"Am F C G Am F Dm E", MELODY_A_END, true, true, Beat::Busy, Beat::Busy},
};
constexpr int SECTION_COUNT = sizeof(SECTIONS) / sizeof(SECTIONS[0]);

void pan(float value, float position, float& l, float& r)
{
    const float angle = (position + 1.0f) * TWO_PI / 8.0f;
    l = value * std::cos(angle);
    r = value * std::sin(angle);
}

class Song {
public:
    Song() : mix(STEP_FRAMES * STEPS_PER_BAR * BARS_PER_SECTION * SECTION_COUNT), leadSend(mix.size()), rng(1234) {}

    void render();
    synth::LoopBuffer mix;

private:
    static std::size_t frameOf(int step) { return static_cast<std::size_t>(step) * STEP_FRAMES; }
    static float seconds(int steps) { return static_cast<float>(frameOf(steps)) / RATE; }

    void bass(int step, int length, int midi, float velocity);
    void lead(int step, int length, int midi, float velocity, float position);
    void pad(int step, int length, const std::vector<int>& tones);
    void pluck(int step, int midi, float velocity, float position);
    void kick(int step, float velocity);
    void snare(int step, float velocity);
    void hat(int step, float velocity, bool open);
    void crash(int step);
    void drums(int barStep, Beat beat, int barIndex);
    void addEcho();

    std::vector<float> leadSend;
    synth::Rng rng;
};

void Song::bass(int step, int length, int midi, float velocity)
{
    const float hz = synth::midiToHz(static_cast<float>(midi));
    const float gate = seconds(length) * 0.85f;
    const std::size_t frames = static_cast<std::size_t>((gate + 0.05f) * RATE);
    synth::Svf filter;
    float phase = 0.0f;
    for (std::size_t i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) / RATE;
        const float dphase = hz / RATE;
        phase += dphase;
        phase -= std::floor(phase);
        const float raw = 0.6f * synth::sawBlep(phase, dphase) + 0.4f * synth::squareBlep(phase, dphase, 0.5f);
        const float cutoff = 180.0f + 1300.0f * velocity * std::exp(-t / 0.07f);
        const float env = synth::adsr(t, gate, 0.003f, 0.15f, 0.65f, 0.04f);
        const float s = 0.6f * velocity * env * filter.process(raw, cutoff, 1.3f, RATE).low;
        mix.add(frameOf(step) + i, s * 0.7071f, s * 0.7071f);
    }
}

void Song::lead(int step, int length, int midi, float velocity, float position)
{
    const float hz = synth::midiToHz(static_cast<float>(midi));
    const float gate = seconds(length) * 0.9f;
    const std::size_t frames = static_cast<std::size_t>((gate + 0.12f) * RATE);
    synth::Svf filter;
    float phaseA = 0.0f;
    float phaseB = 0.37f;
    for (std::size_t i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) / RATE;
        // Vibrato only on held notes, easing in.
        const float depth = std::min(1.0f, std::max(0.0f, (t - 0.18f) / 0.25f)) * 0.006f;
        const float bend = 1.0f + depth * std::sin(TWO_PI * 5.2f * t);
        const float dA = hz * bend / RATE;
        const float dB = hz * bend * 1.004f / RATE;
        phaseA += dA;
        phaseA -= std::floor(phaseA);
        phaseB += dB;
        phaseB -= std::floor(phaseB);
        const float raw = synth::squareBlep(phaseA, dA, 0.32f) + 0.7f * synth::sawBlep(phaseB, dB);
        const float cutoff = 1600.0f + 2400.0f * std::exp(-t / 0.12f);
        const float env = synth::adsr(t, gate, 0.008f, 0.25f, 0.7f, 0.1f);
        const float s = 0.085f * velocity * env * filter.process(raw, cutoff, 1.0f, RATE).low;
        float l;
        float r;
        pan(s, position, l, r);
        mix.add(frameOf(step) + i, l, r);
        leadSend[(frameOf(step) + i) % leadSend.size()] += s;
    }
}

void Song::pad(int step, int length, const std::vector<int>& tones)
{
    const float gate = seconds(length);
    const std::size_t frames = static_cast<std::size_t>((gate + 0.4f) * RATE);
    for (std::size_t v = 0; v < tones.size(); ++v) {
        const float hz = synth::midiToHz(static_cast<float>(tones[v]));
        const float position = (static_cast<float>(v) - 1.0f) * 0.6f;
        synth::Svf filter;
        float phaseA = 0.0f;
        float phaseB = 0.5f;
        for (std::size_t i = 0; i < frames; ++i) {
            const float t = static_cast<float>(i) / RATE;
            const float dA = hz * 0.997f / RATE;
            const float dB = hz * 1.003f / RATE;
            phaseA += dA;
            phaseA -= std::floor(phaseA);
            phaseB += dB;
            phaseB -= std::floor(phaseB);
            const float raw = synth::sawBlep(phaseA, dA) + synth::sawBlep(phaseB, dB);
            const float env = synth::adsr(t, gate, 0.25f, 1.0f, 0.8f, 0.4f);
            const float s = 0.022f * env * filter.process(raw, 900.0f, 0.8f, RATE).low;
            float l;
            float r;
            pan(s, position, l, r);
            mix.add(frameOf(step) + i, l, r);
        }
    }
}

void Song::pluck(int step, int midi, float velocity, float position)
{
    const float hz = synth::midiToHz(static_cast<float>(midi));
    const std::size_t frames = static_cast<std::size_t>(0.3f * RATE);
    synth::Svf filter;
    float phase = 0.0f;
    for (std::size_t i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) / RATE;
        const float dphase = hz / RATE;
        phase += dphase;
        phase -= std::floor(phase);
        const float raw = synth::squareBlep(phase, dphase, 0.25f);
        const float cutoff = 700.0f + 3000.0f * std::exp(-t / 0.04f);
        const float env = std::min(1.0f, t / 0.002f) * std::exp(-t / 0.09f);
        const float s = 0.05f * velocity * env * filter.process(raw, cutoff, 1.2f, RATE).low;
        float l;
        float r;
        pan(s, position, l, r);
        mix.add(frameOf(step) + i, l, r);
    }
}

void Song::kick(int step, float velocity)
{
    const std::size_t frames = static_cast<std::size_t>(0.35f * RATE);
    float phase = 0.0f;
    for (std::size_t i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) / RATE;
        phase += (46.0f + 120.0f * std::exp(-t / 0.028f)) / RATE;
        phase -= std::floor(phase);
        const float body = std::sin(TWO_PI * phase) * std::exp(-t / 0.16f);
        const float click = 0.25f * rng.bipolar() * std::exp(-t / 0.003f);
        const float fade = std::min(1.0f, (0.35f - t) / 0.03f);
        const float s = 0.45f * velocity * fade * std::tanh(1.5f * (body + click));
        mix.add(frameOf(step) + i, s * 0.7071f, s * 0.7071f);
    }
}

void Song::snare(int step, float velocity)
{
    const std::size_t frames = static_cast<std::size_t>(0.3f * RATE);
    synth::Svf filter;
    for (std::size_t i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) / RATE;
        const float tone = (std::sin(TWO_PI * 185.0f * t) + 0.5f * std::sin(TWO_PI * 330.0f * t)) * std::exp(-t / 0.045f);
        const float noise = filter.process(rng.bipolar(), 1800.0f, 0.7f, RATE).high * std::exp(-t / 0.085f);
        const float fade = std::min(1.0f, (0.3f - t) / 0.03f);
        const float s = 0.22f * velocity * fade * (0.6f * tone + noise);
        float l;
        float r;
        pan(s, -0.1f, l, r);
        mix.add(frameOf(step) + i, l, r);
    }
}

void Song::hat(int step, float velocity, bool open)
{
    const float decay = open ? 0.16f : 0.022f;
    const std::size_t frames = static_cast<std::size_t>((open ? 0.45f : 0.09f) * RATE);
    synth::Svf filter;
    for (std::size_t i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) / RATE;
        const float fade = std::min(1.0f, (static_cast<float>(frames - i) / RATE) / 0.01f);
        const float s = (open ? 0.12f : 0.19f) * velocity * fade * std::exp(-t / decay)
                      * filter.process(rng.bipolar(), 5500.0f, 0.8f, RATE).high;
        float l;
        float r;
        pan(s, 0.35f, l, r);
        mix.add(frameOf(step) + i, l, r);
    }
}

void Song::crash(int step)
{
    const std::size_t frames = static_cast<std::size_t>(2.2f * RATE);
    synth::Svf filterL;
    synth::Svf filterR;
    for (std::size_t i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) / RATE;
        const float fade = std::min(1.0f, (static_cast<float>(frames - i) / RATE) / 0.2f);
        const float env = 0.05f * fade * std::min(1.0f, t / 0.002f) * std::exp(-t / 0.6f);
        mix.add(frameOf(step) + i, env * filterL.process(rng.bipolar(), 5000.0f, 0.7f, RATE).high,
                env * filterR.process(rng.bipolar(), 5000.0f, 0.7f, RATE).high);
    }
}

void Song::drums(int barStep, Beat beat, int barIndex)
{
    struct Pattern {
        const char* kick;
        const char* snare;
        const char* hats; // x closed, o soft closed, O open
    };
    static const Pattern PLAIN = {"x.......x.x.....", "....x.......x...", "x.o.x.o.x.o.x.o."};
    static const Pattern BUSY = {"x.....x.x.x.....", "....x.......x..o", "xoxoxoxOxoxoxoxo"};
    static const Pattern BUSY_ALT = {"x.......x.x...x.", "....x.......x...", "xoxoxoxoxoxoxOxo"};
    static const Pattern HALF = {"x.....x...x.....", "........x.......", "x.O.x.o.x.O.x.o."};
    static const Pattern FILL = {"x.......x.......", "....x...x.xxoxxx", "x.o.x.o........."};
    const Pattern* p = &PLAIN;
    switch (beat) {
    case Beat::Plain: p = &PLAIN; break;
    case Beat::Busy: p = barIndex % 2 ? &BUSY_ALT : &BUSY; break;
    case Beat::HalfTime: p = &HALF; break;
    case Beat::Fill: p = &FILL; break;
    }
    for (int s = 0; s < STEPS_PER_BAR; ++s) {
        // Tiny velocity wobble keeps the loop from sounding stamped out.
        const float wobble = 0.92f + 0.08f * rng.bipolar();
        if (p->kick[s] == 'x')
            kick(barStep + s, 1.0f);
        if (p->snare[s] != '.') {
            float v = p->snare[s] == 'x' ? 1.0f : 0.5f;
            if (beat == Beat::Fill && s >= 8)
                v *= 0.6f + 0.4f * static_cast<float>(s - 8) / 7.0f;
            snare(barStep + s, v * wobble);
        }
        if (p->hats[s] != '.')
            hat(barStep + s, (p->hats[s] == 'o' ? 0.55f : 1.0f) * wobble, p->hats[s] == 'O');
    }
}

// Ping-pong echo on the lead. The buffer is circular, so two passes give the
// start of the loop the echoes of its end.
void Song::addEcho()
{
    const std::size_t n = leadSend.size();
    const std::size_t delay = STEP_FRAMES * 3;
    const float feedback = 0.38f;
    std::vector<float> wetL(n, 0.0f);
    std::vector<float> wetR(n, 0.0f);
    synth::OnePole tone;
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t j = (i + n - delay) % n;
            wetL[i] = tone.lowpass(leadSend[j] + feedback * wetR[j], 3000.0f, RATE);
            wetR[i] = feedback * wetL[j];
        }
    }
    for (std::size_t i = 0; i < n; ++i)
        mix.add(i, 0.3f * wetL[i], 0.3f * wetR[i]);
}

void Song::render()
{
    for (int index = 0; index < SECTION_COUNT; ++index) {
        const Section& section = SECTIONS[index];
        const int base = index * BARS_PER_SECTION * STEPS_PER_BAR;
        const std::vector<Chord> chords = parseChords(section.chords);
        crash(base);
        for (int bar = 0; bar < BARS_PER_SECTION; ++bar) {
            const int barStep = base + bar * STEPS_PER_BAR;
            const Chord& chord = chords[static_cast<std::size_t>(bar)];
            const bool lastBar = bar == BARS_PER_SECTION - 1;
            const Beat beat = lastBar ? Beat::Fill : (bar < BARS_PER_SECTION / 2 ? section.firstHalf : section.secondHalf);
            drums(barStep, beat, bar);

            const int root = above(chord.root, 40);
            if (beat == Beat::HalfTime) {
                static const int LENGTHS[] = {3, 3, 2, 3, 3, 2};
                static const int OFFSETS[] = {0, 0, 12, 0, 7, 0};
                int s = 0;
                for (int k = 0; k < 6; ++k) {
                    bass(barStep + s, LENGTHS[k], root + OFFSETS[k], k % 3 == 0 ? 1.0f : 0.75f);
                    s += LENGTHS[k];
                }
            } else {
                static const int OFFSETS[] = {0, 0, 12, 0, 7, 0, 12, 7};
                for (int k = 0; k < 8; ++k)
                    bass(barStep + 2 * k, 2, root + OFFSETS[k], k % 2 == 0 ? 1.0f : 0.7f);
            }

            pad(barStep, STEPS_PER_BAR, chordTones(chord, 57));

            if (section.arpeggio) {
                std::vector<int> tones = chordTones(chord, 69);
                tones.push_back(tones[0] + 12);
                static const int ORDER[] = {0, 1, 2, 3, 2, 1, 2, 1};
                for (int s = 0; s < STEPS_PER_BAR; ++s)
                    pluck(barStep + s, tones[static_cast<std::size_t>(ORDER[s % 8])], s % 4 == 0 ? 1.0f : 0.6f,
                          s % 2 ? 0.5f : -0.5f);
            }
        }
        for (const Note& note : parseMelody(section.melody)) {
            lead(base + note.step, note.length, note.midi, 1.0f, -0.15f);
            if (section.leadDouble)
                lead(base + note.step, note.length, note.midi + 12, 0.35f, 0.3f);
        }
    }
    addEcho();
}

} // namespace

synth::LoopBuffer makeTune()
{
    Song song;
    song.render();
    synth::normalize(song.mix.left, song.mix.right, 0.89f);
    return song.mix;
}

} // namespace audiogen
