#include "SoundSynth.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>
#include <system_error>

namespace tessarin::sounds {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

int samplesFor(double seconds) {
    return static_cast<int>(std::lround(seconds * kSampleRate));
}

// A loudness curve for one voice: a raised-cosine attack from silence, an
// exponential decay (time constant `decay`, none when 0) and a raised-cosine
// release that reaches silence on the voice's last sample. Starting and
// ending at exactly zero is what keeps the voices free of clicks.
struct Envelope {
    double attack = 0.005;
    double release = 0.020;
    double decay = 0.0;

    double at(double t, double length) const {
        double level = 1.0;
        if (t < attack)
            level *= 0.5 - 0.5 * std::cos(std::numbers::pi * t / attack);
        const double left = length - t;
        if (left < release)
            level *= 0.5 - 0.5 * std::cos(std::numbers::pi * std::max(left, 0.0) / release);
        if (decay > 0.0)
            level *= std::exp(-t / decay);
        return level;
    }
};

// The mix of one effect, in floating point, grown as voices are added.
using Mix = std::vector<double>;

// Adds one voice: signal(t) shaped by env and scaled by amp, from `start`
// for `duration` seconds. signal is called once per sample, in order, so it
// may keep state (a running phase, a filter).
template <class Signal>
void addVoice(Mix& mix, double start, double duration, double amp, const Envelope& env,
              Signal signal) {
    const int first = samplesFor(start);
    const int count = samplesFor(duration);
    if (count < 2)
        return;
    if (mix.size() < static_cast<size_t>(first + count))
        mix.resize(static_cast<size_t>(first + count), 0.0);
    const double length = static_cast<double>(count - 1) / kSampleRate;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        mix[static_cast<size_t>(first + i)] += amp * env.at(t, length) * signal(t);
    }
}

// A sine tone at a fixed frequency.
void addTone(Mix& mix, double start, double duration, double freq, double amp,
             const Envelope& env) {
    addVoice(mix, start, duration, amp, env,
             [freq](double t) { return std::sin(kTwoPi * freq * t); });
}

// A sine whose frequency glides from `from` to `to` on an even musical
// scale (exponentially), the way a pitch bend sounds natural.
void addSweep(Mix& mix, double start, double duration, double from, double to, double amp,
              const Envelope& env) {
    double phase = 0.0;
    addVoice(mix, start, duration, amp, env, [&phase, from, to, duration](double t) {
        const double freq = from * std::pow(to / from, t / duration);
        const double value = std::sin(phase);
        phase = std::fmod(phase + kTwoPi * freq / kSampleRate, kTwoPi);
        return value;
    });
}

// A two-operator FM bell: a carrier at `freq` whose phase is bent by a
// modulator at freq * ratio. The bend (`index`) dies away with time constant
// indexDecay, so the strike is bright and the tail pure.
struct Bell {
    double ratio = 2.0;
    double index = 1.0;
    double indexDecay = 0.05;
};

void addBell(Mix& mix, double start, double duration, double freq, double amp, const Bell& bell,
             const Envelope& env) {
    addVoice(mix, start, duration, amp, env, [freq, bell](double t) {
        const double bend = bell.index * std::exp(-t / bell.indexDecay);
        return std::sin(kTwoPi * freq * t + bend * std::sin(kTwoPi * freq * bell.ratio * t));
    });
}

// White noise from a fixed-seed xorshift generator, softened by three
// one-pole low-pass stages at `cutoff` Hz (18 dB per octave above it), so a
// burst sounds like a soft puff rather than a hiss.
void addNoise(Mix& mix, double start, double duration, double cutoff, double amp,
              const Envelope& env, uint32_t seed) {
    uint32_t state = seed != 0 ? seed : 1u;
    const double smoothing = 1.0 - std::exp(-kTwoPi * cutoff / kSampleRate);
    double stages[3] = {0.0, 0.0, 0.0};
    addVoice(mix, start, duration, amp, env, [&](double) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        double value = static_cast<double>(state) / 2147483648.0 - 1.0;
        for (double& stage : stages) {
            stage += smoothing * (value - stage);
            value = stage;
        }
        return value;
    });
}

// Scales the mix so its loudest sample sits at peakDb dBFS and rounds it to
// 16-bit samples.
std::vector<int16_t> finish(const Mix& mix, double peakDb) {
    double peak = 0.0;
    for (double v : mix)
        peak = std::max(peak, std::abs(v));
    const double gain = peak > 0.0 ? std::pow(10.0, peakDb / 20.0) / peak : 0.0;
    std::vector<int16_t> out;
    out.reserve(mix.size());
    for (double v : mix) {
        const long s = std::lround(v * gain * 32767.0);
        out.push_back(static_cast<int16_t>(std::clamp(s, -32767L, 32767L)));
    }
    return out;
}

// --- The effects -------------------------------------------------------

// A piece steps sideways: a tiny falling blip with a breath of noise. It
// plays on every key repeat, so it is the shortest and quietest-feeling.
std::vector<int16_t> move() {
    Mix mix;
    addSweep(mix, 0.0, 0.040, 760.0, 560.0, 1.0, {0.003, 0.012, 0.020});
    addNoise(mix, 0.0, 0.012, 2500.0, 1.5, {0.001, 0.006, 0.0}, 0x1234567u);
    return finish(mix, -8.0);
}

// A piece turns: a short upward chirp with its octave.
std::vector<int16_t> rotate() {
    Mix mix;
    const Envelope env{0.004, 0.020, 0.050};
    addSweep(mix, 0.0, 0.060, 520.0, 880.0, 1.0, env);
    addSweep(mix, 0.0, 0.060, 1040.0, 1760.0, 0.25, env);
    return finish(mix, -9.0);
}

// A new next piece: a soft, pure little bell, heard with every piece.
std::vector<int16_t> appear() {
    Mix mix;
    addBell(mix, 0.0, 0.090, 1046.5, 1.0, {2.0, 0.8, 0.030}, {0.005, 0.030, 0.040});
    return finish(mix, -10.0);
}

// The add tool drops a square: a falling whistle that lands on a soft thud.
std::vector<int16_t> add() {
    Mix mix;
    addSweep(mix, 0.0, 0.090, 1300.0, 450.0, 0.6, {0.004, 0.020, 0.080});
    const Envelope thud{0.003, 0.030, 0.025};
    addTone(mix, 0.070, 0.070, 170.0, 1.0, thud);
    addTone(mix, 0.070, 0.070, 340.0, 0.3, thud);
    addNoise(mix, 0.070, 0.030, 1200.0, 3.0, {0.002, 0.015, 0.0}, 0xA11u);
    return finish(mix, -6.0);
}

// The take tool removes a square: a small pop, then a rising whistle as the
// square lifts away.
std::vector<int16_t> take() {
    Mix mix;
    addNoise(mix, 0.0, 0.035, 3500.0, 2.5, {0.002, 0.015, 0.0}, 0x7A4Eu);
    addSweep(mix, 0.010, 0.140, 380.0, 1500.0, 0.7, {0.006, 0.040, 0.080});
    return finish(mix, -6.0);
}

// A piece dropped with the down key: a deep falling swoosh.
std::vector<int16_t> speed() {
    Mix mix;
    const Envelope tone{0.004, 0.040, 0.120};
    addSweep(mix, 0.0, 0.180, 720.0, 110.0, 1.0, tone);
    addSweep(mix, 0.0, 0.180, 1440.0, 220.0, 0.25, tone);
    addNoise(mix, 0.0, 0.120, 900.0, 3.0, {0.003, 0.050, 0.060}, 0x5EEDu);
    return finish(mix, -6.0);
}

// A refused key: one clear, slightly metallic bell.
std::vector<int16_t> ding() {
    Mix mix;
    const Envelope env{0.003, 0.060, 0.090};
    addBell(mix, 0.0, 0.250, 1318.5, 1.0, {3.5, 1.6, 0.060}, env);
    addTone(mix, 0.0, 0.250, 659.25, 0.2, env);
    return finish(mix, -6.0);
}

// The name dialog or the records window opens: a two-note chime, G5 to C6.
std::vector<int16_t> message() {
    Mix mix;
    const Bell bell{2.0, 1.2, 0.080};
    addBell(mix, 0.0, 0.160, 784.0, 1.0, bell, {0.004, 0.050, 0.080});
    addBell(mix, 0.100, 0.200, 1046.5, 1.0, bell, {0.004, 0.080, 0.100});
    return finish(mix, -6.0);
}

// A message appears: a warm C major chord, lightly strummed.
std::vector<int16_t> chord() {
    Mix mix;
    const Envelope env{0.015, 0.120, 0.220};
    const double notes[] = {261.63, 329.63, 392.0, 523.25};
    for (int k = 0; k < 4; ++k) {
        const double start = 0.006 * k;
        const double length = 0.350 - start;
        addTone(mix, start, length, notes[k], 0.5, env);
        addTone(mix, start, length, notes[k] * 2.0, 0.15, env);
        addTone(mix, start, length, notes[k] * 3.0, 0.05, env);
    }
    return finish(mix, -6.0);
}

// The About box: a rising arpeggio of bells, C5 E5 G5 C6.
std::vector<int16_t> about() {
    Mix mix;
    const Bell bell{2.0, 1.0, 0.060};
    const Envelope env{0.004, 0.060, 0.090};
    const double notes[] = {523.25, 659.25, 784.0, 1046.5};
    const double levels[] = {1.0, 0.9, 0.85, 0.9};
    for (int k = 0; k < 4; ++k)
        addBell(mix, 0.070 * k, 0.180, notes[k], levels[k], bell, env);
    return finish(mix, -6.0);
}

void putU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    putU16(out, v & 0xFFFF);
    putU16(out, v >> 16);
}

void putTag(std::vector<uint8_t>& out, const char (&tag)[5]) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(tag[i]));
}

} // namespace

std::vector<SoundEffect> synthesizeSoundSet() {
    return {
        {"about.wav", about()},   {"appear.wav", appear()}, {"add.wav", add()},
        {"take.wav", take()},     {"speed.wav", speed()},   {"move.wav", move()},
        {"rotate.wav", rotate()}, {"chord.wav", chord()},   {"message.wav", message()},
        {"Ding.wav", ding()},
    };
}

std::vector<uint8_t> encodeWave(const std::vector<int16_t>& samples, int32_t sampleRate) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    putTag(out, "RIFF");
    putU32(out, 36 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    putU32(out, 16);                                    // size of the format chunk
    putU16(out, 1);                                     // PCM
    putU16(out, 1);                                     // one channel
    putU32(out, static_cast<uint32_t>(sampleRate));     // samples per second
    putU32(out, static_cast<uint32_t>(sampleRate) * 2); // bytes per second
    putU16(out, 2);                                     // bytes per sample frame
    putU16(out, 16);                                    // bits per sample
    putTag(out, "data");
    putU32(out, dataBytes);
    for (int16_t s : samples)
        putU16(out, static_cast<uint16_t>(s));
    return out;
}

bool writeSoundSet(const std::filesystem::path& dir, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        if (error)
            *error = "cannot create " + dir.string() + ": " + ec.message();
        return false;
    }
    for (const SoundEffect& effect : synthesizeSoundSet()) {
        const std::vector<uint8_t> bytes = encodeWave(effect.samples, kSampleRate);
        const std::filesystem::path file = dir / effect.name;
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            if (error)
                *error = "cannot write " + file.string();
            return false;
        }
    }
    return true;
}

} // namespace tessarin::sounds
