#pragma once

// The game's sound set, synthesized from tones, sweeps, small FM bells and
// noise bursts. Everything here is plain arithmetic on a fixed sample rate
// with a fixed-seed noise generator, so the same build writes the same bytes
// on every run.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tessarin::sounds {

constexpr int32_t kSampleRate = 44100;

// One effect: the file name the game plays and its 16-bit mono samples.
struct SoundEffect {
    std::string name;
    std::vector<int16_t> samples;
};

// The ten effects, in a fixed order.
std::vector<SoundEffect> synthesizeSoundSet();

// A complete RIFF/WAVE file: PCM, 16 bits, one channel, little-endian.
std::vector<uint8_t> encodeWave(const std::vector<int16_t>& samples, int32_t sampleRate);

// Writes every effect of the set into dir (created when missing). Returns
// false and says why in *error when a file cannot be written.
bool writeSoundSet(const std::filesystem::path& dir, std::string* error);

} // namespace tessarin::sounds
