#include "sound_synthesis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "seeded_random.h"

namespace {

// A bell-like note: a few partials, the higher ones dying away faster.
double BellNote(double frequency, double t)
{
    if (t < 0)
        return 0;
    struct Partial {
        double ratio;
        double level;
        double decay; // seconds until the partial has fallen to 1/e
    };
    constexpr std::array<Partial, 4> kPartials
        = {{{1.0, 1.0, 0.9}, {2.0, 0.35, 0.5}, {3.01, 0.12, 0.3}, {4.2, 0.06, 0.2}}};
    const double attack = std::min(1.0, t / 0.006); // no click at the start
    double value = 0;
    for (const Partial& partial : kPartials)
        value += partial.level * std::exp(-t / partial.decay)
            * std::sin(2 * std::numbers::pi * frequency * partial.ratio * t);
    return attack * value;
}

std::vector<std::int16_t> ToSamples(const std::vector<double>& signal, double peak)
{
    double largest = 1e-9;
    for (double value : signal)
        largest = std::max(largest, std::abs(value));
    std::vector<std::int16_t> samples(signal.size());
    for (std::size_t i = 0; i < signal.size(); ++i)
        samples[i] = static_cast<std::int16_t>(std::lround(signal[i] / largest * peak * 32767));
    return samples;
}

} // namespace

PcmSound ChimeMemo()
{
    PcmSound sound;
    sound.channels = 1;
    sound.samplesPerSecond = 22050;
    sound.bitsPerSample = 16;
    // E major: E5, G#5, B5, then E6 over the held chord.
    struct Note {
        double frequency;
        double start;
    };
    constexpr std::array<Note, 4> kNotes = {{{659.26, 0.0}, {830.61, 0.28}, {987.77, 0.56}, {1318.51, 0.84}}};
    const double seconds = 2.6;
    const auto count = static_cast<std::size_t>(seconds * sound.samplesPerSecond);
    std::vector<double> signal(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sound.samplesPerSecond;
        double value = 0;
        for (const Note& note : kNotes)
            value += BellNote(note.frequency, t - note.start);
        const double fadeOut = std::min(1.0, (seconds - t) / 0.3);
        signal[i] = value * fadeOut;
    }
    sound.samples = ToSamples(signal, 0.6);
    return sound;
}

PcmSound SeaWaves(double seconds, std::uint64_t seed)
{
    PcmSound sound;
    sound.channels = 1;
    sound.samplesPerSecond = 11025;
    sound.bitsPerSample = 16;
    SeededRandom random(seed);
    const auto count = static_cast<std::size_t>(seconds * sound.samplesPerSecond);
    std::vector<double> signal(count);
    // Noise through two low-pass filters: a deep rumble and a brighter hiss of foam; the swell
    // of the waves shapes both.
    double rumble = 0;
    double hiss = 0;
    const double swellPeriod = seconds / 1.5;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sound.samplesPerSecond;
        const double noise = random.Uniform(-1.0, 1.0);
        rumble += 0.02 * (noise - rumble);
        hiss += 0.3 * (noise - hiss);
        const double swell = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * t / swellPeriod);
        const double fade = std::min({1.0, t / 0.3, (seconds - t) / 0.3});
        signal[i] = fade * ((0.3 + 0.7 * swell) * rumble * 6.0 + swell * swell * hiss * 0.35);
    }
    sound.samples = ToSamples(signal, 0.5);
    return sound;
}
