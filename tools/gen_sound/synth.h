// Small building blocks for making the game's sounds: oscillators, envelopes,
// filters, a reproducible noise source and a room reverb. Everything works on
// double-precision samples at 44.1 kHz.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

constexpr int sampleRate = 44100;
constexpr double pi = 3.14159265358979323846;

using Samples = std::vector<double>;

// Frequency of a MIDI note number (69 = A4 = 440 Hz).
inline double NoteHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

inline int SecondsToSamples(double seconds) { return static_cast<int>(std::lround(seconds * sampleRate)); }

// Decibels to a linear factor.
inline double Db(double db) { return std::pow(10.0, db / 20.0); }

// The same noise on every build, so the data files come out byte for byte.
struct Noise {
    uint64_t state = 0x9E3779B97F4A7C15ull;
    explicit Noise(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    // Uniform in [-1, 1).
    double Next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<double>(state >> 11) / static_cast<double>(1ull << 52) - 1.0;
    }
};

// A fast attack and an exponential fall: 1 at `attack` seconds, 1/e after
// `decay` more.
inline double Strike(double t, double attack, double decay) {
    if (t < 0.0) return 0.0;
    if (t < attack) return t / attack;
    return std::exp(-(t - attack) / decay);
}

// A smooth rise over `attack`, a hold to `length`, a smooth fall over
// `release` after it (raised-cosine edges, so no corner can click).
inline double Swell(double t, double attack, double length, double release) {
    if (t <= 0.0 || t >= length + release) return 0.0;
    double level = 1.0;
    if (t < attack) level = 0.5 - 0.5 * std::cos(pi * t / attack);
    if (t > length) level *= 0.5 + 0.5 * std::cos(pi * (t - length) / release);
    return level;
}

// One-pole low-pass whose cut-off may change every sample.
struct LowPass {
    double y = 0.0;
    double Step(double x, double cutoffHz) {
        const double a = 1.0 - std::exp(-2.0 * pi * cutoffHz / sampleRate);
        y += a * (x - y);
        return y;
    }
};

// The band-pass of the audio cookbook (constant 0 dB peak gain).
struct BandPass {
    double b0 = 0, b2 = 0, a1 = 0, a2 = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    void Set(double centreHz, double q) {
        const double w = 2.0 * pi * centreHz / sampleRate, alpha = std::sin(w) / (2.0 * q), a0 = 1.0 + alpha;
        b0 = alpha / a0;
        b2 = -alpha / a0;
        a1 = -2.0 * std::cos(w) / a0;
        a2 = (1.0 - alpha) / a0;
    }
    double Step(double x) {
        const double y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// Short fades at both ends of a finished sound, so it starts and stops at rest.
inline void FadeEnds(Samples& s, double inSeconds, double outSeconds) {
    const int in = SecondsToSamples(inSeconds), out = SecondsToSamples(outSeconds);
    const int n = static_cast<int>(s.size());
    for (int i = 0; i < in && i < n; ++i) s[i] *= 0.5 - 0.5 * std::cos(pi * i / in);
    for (int i = 0; i < out && i < n; ++i) s[n - 1 - i] *= 0.5 - 0.5 * std::cos(pi * i / out);
}

// Scales so that the largest sample is `peakDb` below full scale.
inline void Normalise(Samples& s, double peakDb) {
    double peak = 0.0;
    for (double v : s) peak = std::max(peak, std::abs(v));
    if (peak <= 0.0) return;
    const double gain = Db(peakDb) / peak;
    for (double& v : s) v *= gain;
}

inline int16_t ToPcm16(double v) {
    const double scaled = std::round(v * 32767.0);
    return static_cast<int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}
