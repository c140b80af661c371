#include "SoundSynth.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace tessarin::sounds;
using tessarin::testing::ReadBytes;
using tessarin::testing::TempFolder;

namespace {

// The files the build expects, from its list.
const std::vector<std::string> kNames = [] {
    std::vector<std::string> names;
    std::string list = TESSARIN_SOUND_NAMES;
    for (std::size_t at = 0; at <= list.size();) {
        const std::size_t end = std::min(list.find(',', at), list.size());
        names.push_back(list.substr(at, end - at) + ".wav");
        at = end + 1;
    }
    return names;
}();

uint32_t u16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8;
}
uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return u16(b, at) | u16(b, at + 2) << 16;
}
bool tag(const std::vector<uint8_t>& b, size_t at, const char* t) {
    return std::equal(t, t + 4, b.begin() + static_cast<std::ptrdiff_t>(at));
}

// What a reader of the file sees: the format and the samples. Walks the
// chunks the way a player does; `error` says what is wrong with the file.
struct Wave {
    uint32_t format = 0, channels = 0, rate = 0, byteRate = 0, blockAlign = 0, bits = 0;
    std::vector<int16_t> samples;
    std::string error;
};

Wave parseWave(const std::vector<uint8_t>& b) {
    Wave w;
    if (b.size() < 12 || !tag(b, 0, "RIFF") || !tag(b, 8, "WAVE")) {
        w.error = "no RIFF/WAVE header";
        return w;
    }
    if (u32(b, 4) != b.size() - 8) {
        w.error = "RIFF size " + std::to_string(u32(b, 4)) + " for a file of " +
                  std::to_string(b.size()) + " bytes";
        return w;
    }
    bool haveFormat = false, haveData = false;
    size_t at = 12;
    while (at + 8 <= b.size()) {
        const uint32_t size = u32(b, at + 4);
        if (at + 8 + size > b.size()) {
            w.error = "chunk runs past the end of the file";
            return w;
        }
        if (tag(b, at, "fmt ") && size >= 16) {
            w.format = u16(b, at + 8);
            w.channels = u16(b, at + 10);
            w.rate = u32(b, at + 12);
            w.byteRate = u32(b, at + 16);
            w.blockAlign = u16(b, at + 20);
            w.bits = u16(b, at + 22);
            haveFormat = true;
        } else if (tag(b, at, "data")) {
            if (!haveFormat || size % 2 != 0) {
                w.error = "data chunk before the format or of odd size";
                return w;
            }
            for (size_t i = 0; i < size; i += 2)
                w.samples.push_back(static_cast<int16_t>(u16(b, at + 8 + i)));
            haveData = true;
        }
        at += 8 + size + (size & 1);
    }
    if (!haveFormat || !haveData)
        w.error = "format or data chunk missing";
    else if (at != b.size())
        w.error = "trailing bytes after the last chunk";
    return w;
}

int peakOf(const std::vector<int16_t>& s) {
    int peak = 0;
    for (int16_t v : s)
        peak = std::max(peak, std::abs(static_cast<int>(v)));
    return peak;
}

// Sign changes per second: a rough measure of how high a sound sits.
double crossingRate(const std::vector<int16_t>& s, double rate) {
    int crossings = 0;
    int last = 0;
    for (int16_t v : s) {
        if (v == 0)
            continue;
        const int sign = v > 0 ? 1 : -1;
        if (last != 0 && sign != last)
            ++crossings;
        last = sign;
    }
    return crossings * rate / static_cast<double>(s.size());
}

} // namespace

TEST(SoundSet, WritesTenPlayableQuietEdgedWaves) {
    TempFolder folder;
    std::string error;
    ASSERT_TRUE(writeSoundSet(folder.path() / "sounds", &error)) << error;

    std::vector<Wave> waves;
    for (const std::string& name : kNames) {
        SCOPED_TRACE(name);
        const fs::path file = folder.path() / "sounds" / name;
        ASSERT_TRUE(fs::is_regular_file(file));
        const std::string bytes = ReadBytes(file);
        Wave w = parseWave({bytes.begin(), bytes.end()});
        ASSERT_EQ(w.error, "");
        EXPECT_EQ(w.format, 1u);
        EXPECT_EQ(w.channels, 1u);
        EXPECT_EQ(w.bits, 16u);
        EXPECT_TRUE(w.rate == 44100u || w.rate == 22050u) << w.rate;
        EXPECT_EQ(w.blockAlign, 2u);
        EXPECT_EQ(w.byteRate, w.rate * 2);

        ASSERT_FALSE(w.samples.empty());
        const double seconds = static_cast<double>(w.samples.size()) / w.rate;
        EXPECT_LE(seconds, 0.4);

        const double peakDb = 20.0 * std::log10(peakOf(w.samples) / 32768.0);
        EXPECT_GE(peakDb, -12.0);
        EXPECT_LE(peakDb, -1.0);

        // No click at either end: the sound fades in from and out to
        // silence, over the first and last millisecond too.
        EXPECT_LE(std::abs(w.samples.front()), 100);
        EXPECT_LE(std::abs(w.samples.back()), 100);
        const size_t ms = w.rate / 1000;
        const std::vector<int16_t> head(w.samples.begin(), w.samples.begin() + ms);
        const std::vector<int16_t> tail(w.samples.end() - ms, w.samples.end());
        EXPECT_LT(peakOf(head), peakOf(w.samples) / 2);
        EXPECT_LT(peakOf(tail), peakOf(w.samples) / 2);
        waves.push_back(std::move(w));
    }
    ASSERT_EQ(waves.size(), kNames.size());

    // The frequent sounds (a step sideways, a turn, every new piece) are short.
    for (const char* frequent : {"move.wav", "rotate.wav", "appear.wav"}) {
        const auto i = std::find(kNames.begin(), kNames.end(), frequent) - kNames.begin();
        EXPECT_LE(waves[i].samples.size(), waves[i].rate / 8) << frequent;
    }

    // No two effects are alike: each pair differs clearly in length or in
    // pitch (crossing rate).
    for (size_t i = 0; i < waves.size(); ++i)
        for (size_t j = i + 1; j < waves.size(); ++j) {
            const double li = static_cast<double>(waves[i].samples.size());
            const double lj = static_cast<double>(waves[j].samples.size());
            const double ci = crossingRate(waves[i].samples, waves[i].rate);
            const double cj = crossingRate(waves[j].samples, waves[j].rate);
            const bool lengthDiffers = std::abs(li - lj) >= 0.05 * std::max(li, lj);
            const bool pitchDiffers = std::abs(ci - cj) >= 0.15 * std::max(ci, cj);
            EXPECT_TRUE(lengthDiffers || pitchDiffers) << kNames[i] << " and " << kNames[j];
        }
}

TEST(SoundSet, SameBytesEveryRunAndHeaderOfAnEmptyWave) {
    const std::vector<SoundEffect> first = synthesizeSoundSet();
    const std::vector<SoundEffect> second = synthesizeSoundSet();
    ASSERT_EQ(first.size(), kNames.size());
    ASSERT_EQ(second.size(), kNames.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].name, kNames[i]);
        EXPECT_EQ(first[i].samples, second[i].samples) << first[i].name;
    }

    const std::vector<uint8_t> empty = encodeWave({}, 22050);
    ASSERT_EQ(empty.size(), 44u);
    const Wave w = parseWave(empty);
    EXPECT_EQ(w.error, "");
    EXPECT_TRUE(w.samples.empty());
    EXPECT_EQ(w.rate, 22050u);
    EXPECT_EQ(w.byteRate, 44100u);

    const std::vector<uint8_t> two = encodeWave({-2, 32767}, 44100);
    const Wave w2 = parseWave(two);
    ASSERT_EQ(w2.error, "");
    EXPECT_EQ(w2.samples, (std::vector<int16_t>{-2, 32767}));
}

TEST(SoundSet, ReportsAFolderItCannotCreate) {
    TempFolder folder;
    std::ofstream(folder.path() / "plain-file") << "x";
    std::string error;
    EXPECT_FALSE(writeSoundSet(folder.path() / "plain-file" / "sounds", &error));
    EXPECT_NE(error.find("plain-file"), std::string::npos) << error;
}
