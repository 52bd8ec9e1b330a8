#include "testsupport.h"

#include <gtest/gtest.h>

#include <SFML/Audio/SoundBuffer.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* EFFECTS[] = {"confirm.wav", "hit.wav", "power_hit.wav", "death.wav"};
const char* TUNE = "untitled9.ogg";

std::string committed(const std::string& name)
{
    return testsupport::repoDir() + "/resources/sfx/" + name;
}

struct Decoded {
    explicit Decoded(const std::string& path) : loaded(buffer.loadFromFile(path)) {}
    sf::SoundBuffer buffer;
    bool loaded;
    const sf::Int16* samples() const { return buffer.getSamples(); }
    std::size_t count() const { return buffer.getSampleCount(); }
    float seconds() const { return buffer.getDuration().asSeconds(); }
};

int peakOf(const Decoded& sound)
{
    int peak = 0;
    for (std::size_t i = 0; i < sound.count(); ++i)
        peak = std::max(peak, std::abs(static_cast<int>(sound.samples()[i])));
    return peak;
}

// RMS of one channel over a range of frames, relative to full scale.
double rmsOf(const Decoded& sound, std::size_t firstFrame, std::size_t frames)
{
    const unsigned channels = sound.buffer.getChannelCount();
    double sum = 0.0;
    for (std::size_t f = firstFrame; f < firstFrame + frames; ++f) {
        const double s = sound.samples()[f * channels] / 32768.0;
        sum += s * s;
    }
    return std::sqrt(sum / static_cast<double>(frames));
}

using testsupport::readFile;

TEST(AudioAssets, EverySoundLoadsIsAudibleAndNeverClips)
{
    for (const char* name : EFFECTS) {
        const Decoded sound(committed(name));
        ASSERT_TRUE(sound.loaded) << name;
        const int peak = peakOf(sound);
        EXPECT_LT(peak, 32767) << name;
        // A broken recipe (a filter blowing up, a wrong gain) tends to give silence.
        EXPECT_GT(peak, 3000) << name;
        EXPECT_EQ(sound.buffer.getChannelCount(), 1u) << name;
    }
}

TEST(AudioAssets, EffectLengthsSuitTheirUse)
{
    const Decoded confirm(committed("confirm.wav")), hit(committed("hit.wav")), powerHit(committed("power_hit.wav")),
        death(committed("death.wav"));
    // The blip plays once per revealed dialog character.
    EXPECT_LT(confirm.seconds(), 0.060f);
    EXPECT_GT(confirm.seconds(), 0.010f);
    EXPECT_LT(hit.seconds(), powerHit.seconds());
    EXPECT_LT(hit.seconds(), 0.5f);
    EXPECT_GT(death.seconds(), powerHit.seconds());
    // The blip must be soft next to the hits.
    EXPECT_LT(peakOf(confirm), peakOf(hit) / 2);
}

TEST(AudioAssets, TuneIsALongLevelLoopWithoutAClickAtTheSeam)
{
    const Decoded tune(committed(TUNE));
    ASSERT_TRUE(tune.loaded);
    EXPECT_GE(tune.seconds(), 60.0f);
    const unsigned rate = tune.buffer.getSampleRate();
    EXPECT_GE(rate, 22050u);
    EXPECT_LE(rate, 44100u);
    EXPECT_LT(peakOf(tune), 32767);

    // No fade at either end: the loop must not dip when it wraps.
    const unsigned channels = tune.buffer.getChannelCount();
    const std::size_t frames = tune.count() / channels;
    const std::size_t twoSeconds = rate * 2;
    const double head = rmsOf(tune, 0, twoSeconds);
    const double tail = rmsOf(tune, frames - twoSeconds, twoSeconds);
    EXPECT_GT(head, 0.05);
    EXPECT_GT(tail, head * 0.5);
    EXPECT_LT(tail, head * 2.0);

    // The step from the last frame to the first must be one the music makes anyway
    // (a drum attack at most), not a click of its own.
    for (unsigned c = 0; c < channels; ++c) {
        std::vector<int> steps;
        steps.reserve(frames);
        for (std::size_t f = 1; f < frames; ++f)
            steps.push_back(std::abs(tune.samples()[f * channels + c] - tune.samples()[(f - 1) * channels + c]));
        const std::size_t rank = steps.size() - steps.size() / 1000;
        std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(rank), steps.end());
        const int seam = std::abs(tune.samples()[c] - tune.samples()[(frames - 1) * channels + c]);
        EXPECT_LE(seam, steps[rank]) << "channel " << c;
    }
}

#ifdef MORVANE_AUDIOGEN
int runAudiogen(const std::string& dir, const std::string& filter)
{
    const std::string command = std::string("\"") + MORVANE_AUDIOGEN + "\" \"" + dir + "\" " + filter + " > /dev/null 2>&1";
    return std::system(command.c_str());
}

TEST(AudioAssets, GeneratorGivesTheSameBytesEveryRunAndMatchesTheCommittedFiles)
{
    const std::string first = testsupport::makeTempDir();
    const std::string second = testsupport::makeTempDir();
    ASSERT_EQ(runAudiogen(first, ".wav"), 0);
    ASSERT_EQ(runAudiogen(second, ".wav"), 0);
    EXPECT_FALSE(std::filesystem::exists(first + "/" + TUNE)) << "the filter should skip the tune";
    for (const char* name : EFFECTS) {
        const std::string made = readFile(first + "/" + name);
        ASSERT_FALSE(made.empty()) << name;
        EXPECT_EQ(made, readFile(second + "/" + name)) << name;

        // Stale assets: the recipe changed but nobody ran `make assets`. Allow a rounding
        // step of slack so another compiler's maths does not count as a change.
        const Decoded fresh(first + "/" + name), shipped(committed(name));
        ASSERT_EQ(fresh.count(), shipped.count()) << name;
        int worst = 0;
        for (std::size_t i = 0; i < fresh.count(); ++i)
            worst = std::max(worst, std::abs(fresh.samples()[i] - shipped.samples()[i]));
        EXPECT_LE(worst, 2) << name;
    }
    std::filesystem::remove_all(first);
    std::filesystem::remove_all(second);
}
#endif

} // namespace
