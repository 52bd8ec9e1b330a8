// Writes the game's sounds and its background loop.
//   audiogen [output dir] [name filter]
// The output dir defaults to resources/sfx; with a filter only the files whose names
// contain it are made. Same build, same bytes, every run.

#include "sounds.h"

#include <SFML/Audio/OutputSoundFile.hpp>
#include <SFML/Audio/SoundBuffer.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<sf::Int16> toPcm(const std::vector<float>& samples)
{
    std::vector<sf::Int16> pcm(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const float s = std::max(-1.0f, std::min(1.0f, samples[i]));
        pcm[i] = static_cast<sf::Int16>(std::lround(s * 32767.0f));
    }
    return pcm;
}

float decibels(float level)
{
    return level > 0.0f ? 20.0f * std::log10(level) : -999.0f;
}

void report(const std::string& path, const std::vector<float>& samples, unsigned channels, unsigned rate)
{
    const synth::Levels levels = synth::measure(samples);
    std::printf("%s: %.3f s, peak %.1f dBFS, rms %.1f dBFS\n", path.c_str(),
                static_cast<double>(samples.size()) / channels / rate, static_cast<double>(decibels(levels.peak)),
                static_cast<double>(decibels(levels.rms)));
}

bool writeWav(const std::string& path, const std::vector<float>& samples)
{
    const std::vector<sf::Int16> pcm = toPcm(samples);
    sf::SoundBuffer buffer;
    if (!buffer.loadFromSamples(pcm.data(), pcm.size(), 1, audiogen::EFFECT_RATE) || !buffer.saveToFile(path)) {
        std::printf("audiogen: could not write %s\n", path.c_str());
        return false;
    }
    report(path, samples, 1, audiogen::EFFECT_RATE);
    return true;
}

bool writeTune(const std::string& path)
{
    const synth::LoopBuffer tune = audiogen::makeTune();
    std::vector<float> interleaved(tune.size() * 2);
    for (std::size_t i = 0; i < tune.size(); ++i) {
        interleaved[2 * i] = tune.left[i];
        interleaved[2 * i + 1] = tune.right[i];
    }
    const std::vector<sf::Int16> pcm = toPcm(interleaved);
    // The Ogg writer draws its stream serial number from rand(); pin it.
    std::srand(1);
    sf::OutputSoundFile file;
    if (!file.openFromFile(path, audiogen::TUNE_RATE, 2)) {
        std::printf("audiogen: could not write %s\n", path.c_str());
        return false;
    }
    file.write(pcm.data(), pcm.size());
    report(path, interleaved, 2, audiogen::TUNE_RATE);
    return true;
}

struct Product {
    const char* name;
    std::vector<float> (*make)();
};

const Product EFFECTS[] = {
    {"confirm.wav", audiogen::makeConfirm},
    {"hit.wav", audiogen::makeHit},
    {"power_hit.wav", audiogen::makePowerHit},
    {"death.wav", audiogen::makeDeath},
};
const char* TUNE_NAME = "untitled9.ogg";

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : "resources/sfx";
    const std::string filter = argc > 2 ? argv[2] : "";
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::printf("audiogen: cannot create %s: %s\n", dir.c_str(), error.message().c_str());
        return 1;
    }
    bool ok = true;
    for (const Product& product : EFFECTS)
        if (std::string(product.name).find(filter) != std::string::npos)
            ok = writeWav(dir + "/" + product.name, product.make()) && ok;
    if (std::string(TUNE_NAME).find(filter) != std::string::npos)
        ok = writeTune(dir + "/" + TUNE_NAME) && ok;
    return ok ? 0 : 1;
}
