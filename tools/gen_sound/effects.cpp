// The nine sound effects, each made from its role: struck modes for knocks and
// clicks, soft tones for the run's start and stop, a brass-like chord for the
// won run, filtered noise for the explosion and the balloon, a bell for the
// target. All mono.
#include "tools/gen_sound/sound_gen.h"

// A struck object: a sum of decaying sine modes (frequency, level, decay in s).
struct Mode {
    double hz, level, decay;
};

static void AddModes(Samples& s, double start, const std::vector<Mode>& modes, double attack = 0.0005) {
    const int first = SecondsToSamples(start);
    for (size_t i = static_cast<size_t>(first); i < s.size(); ++i) {
        const double t = static_cast<double>(i - first) / sampleRate;
        double v = 0.0;
        for (const Mode& m : modes) v += m.level * Strike(t, attack, m.decay) * std::sin(2.0 * pi * m.hz * t);
        s[i] += v;
    }
}

// A short burst of band-passed noise: the contact itself.
static void AddTick(Samples& s, double start, double centreHz, double q, double decay, double level, uint64_t seed) {
    Noise noise(seed);
    BandPass band;
    band.Set(centreHz, q);
    const int first = SecondsToSamples(start);
    for (size_t i = static_cast<size_t>(first); i < s.size(); ++i) {
        const double t = static_cast<double>(i - first) / sampleRate;
        s[i] += level * Strike(t, 0.0003, decay) * band.Step(noise.Next());
    }
}

// A soft tone: a few harmonics under a swell, gliding from `fromHz` to `toHz`.
static void AddTone(Samples& s, double start, double length, double fromHz, double toHz, double level,
                    const std::vector<double>& harmonics, double attack = 0.01, double release = 0.12) {
    const int first = SecondsToSamples(start);
    double phase = 0.0;
    for (size_t i = static_cast<size_t>(first); i < s.size(); ++i) {
        const double t = static_cast<double>(i - first) / sampleRate;
        const double glide = std::min(t / length, 1.0);
        phase += 2.0 * pi * (fromHz * std::pow(toHz / fromHz, glide)) / sampleRate;
        double v = 0.0;
        for (size_t h = 0; h < harmonics.size(); ++h) v += harmonics[h] * std::sin(phase * static_cast<double>(h + 1));
        s[i] += level * Swell(t, attack, length, release) * v;
    }
}

// A bell: frequency modulation whose brightness fades faster than its level.
static void AddBell(Samples& s, double start, double hz, double level, double decay, double ratio, double index) {
    const int first = SecondsToSamples(start);
    for (size_t i = static_cast<size_t>(first); i < s.size(); ++i) {
        const double t = static_cast<double>(i - first) / sampleRate;
        const double mod = index * std::exp(-t / (decay * 0.35)) * std::sin(2.0 * pi * hz * ratio * t);
        s[i] += level * Strike(t, 0.002, decay) * std::sin(2.0 * pi * hz * t + mod);
    }
}

static Samples Silence(double seconds) { return Samples(static_cast<size_t>(SecondsToSamples(seconds)), 0.0); }

// 0: a ball strikes hard - a short, dry knock of wood on wood.
static Samples Knock() {
    Samples s = Silence(0.16);
    AddModes(s, 0.0, {{560, 1.0, 0.030}, {1340, 0.45, 0.018}, {2210, 0.25, 0.010}, {3650, 0.12, 0.006}});
    AddTick(s, 0.0, 2500, 1.2, 0.002, 1.6, 11);
    FadeEnds(s, 0.0003, 0.03);
    Normalise(s, -5.0);
    return s;
}

// 1: a piece set on a cell - a lower, rounder clack.
static Samples CellClick() {
    Samples s = Silence(0.12);
    AddModes(s, 0.0, {{310, 1.0, 0.028}, {790, 0.5, 0.016}, {1720, 0.2, 0.008}});
    AddTick(s, 0.0, 1800, 1.0, 0.0025, 1.2, 12);
    FadeEnds(s, 0.0003, 0.03);
    Normalise(s, -6.0);
    return s;
}

// 2: the run is won - a rising D major arpeggio that lands on a warm chord
// with a sparkle of bells on top.
static Samples Fanfare() {
    Samples s = Silence(2.4);
    const std::vector<double> brass = {1.0, 0.55, 0.35, 0.22, 0.12, 0.07, 0.04};
    const double notes[] = {62, 66, 69, 74};  // D4 F#4 A4 D5
    for (int i = 0; i < 4; ++i) AddTone(s, 0.11 * i, 0.10, NoteHz(notes[i]), NoteHz(notes[i]), 0.22, brass, 0.008, 0.06);
    for (double note : {62.0, 66.0, 69.0, 74.0, 78.0})
        AddTone(s, 0.44, 1.1, NoteHz(note), NoteHz(note), 0.16, brass, 0.02, 0.8);
    AddBell(s, 0.44, NoteHz(86), 0.10, 0.6, 2.0, 1.2);  // D6
    AddBell(s, 0.56, NoteHz(90), 0.07, 0.5, 2.0, 1.0);  // F#6
    // The brass is mellowed: only its low harmonics stay bright.
    LowPass soft;
    for (double& v : s) v = soft.Step(v, 3500);
    FadeEnds(s, 0.001, 0.2);
    Normalise(s, -3.0);
    return s;
}

// 3: an interface button - a light, short tick.
static Samples ButtonClick() {
    Samples s = Silence(0.07);
    AddModes(s, 0.0, {{1550, 1.0, 0.010}, {2900, 0.35, 0.005}});
    AddTick(s, 0.0, 4000, 1.5, 0.0015, 0.8, 13);
    FadeEnds(s, 0.0003, 0.02);
    Normalise(s, -7.0);
    return s;
}

// 4: the run is stopped and the board comes back - two soft notes falling a
// fourth, over a short downward breath.
static Samples Stop() {
    Samples s = Silence(0.55);
    const std::vector<double> soft = {1.0, 0.3, 0.1};
    AddTone(s, 0.0, 0.12, NoteHz(74), NoteHz(74), 0.5, soft, 0.006, 0.08);  // D5
    AddTone(s, 0.15, 0.16, NoteHz(69), NoteHz(67), 0.5, soft, 0.006, 0.2);  // A4 sinking
    Noise noise(14);
    BandPass band;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        band.Set(2400.0 * std::pow(0.25, t / 0.4), 2.0);
        s[i] += 0.12 * Swell(t, 0.05, 0.15, 0.25) * band.Step(noise.Next());
    }
    FadeEnds(s, 0.001, 0.05);
    Normalise(s, -6.0);
    return s;
}

// 5: the run starts - a quick rising triad, plucked, with an upward breath.
static Samples Start() {
    Samples s = Silence(0.6);
    const double notes[] = {62, 69, 74};  // D4 A4 D5
    for (int i = 0; i < 3; ++i) {
        AddBell(s, 0.07 * i, NoteHz(notes[i]), 0.35, 0.25, 1.0, 1.5);
        AddModes(s, 0.07 * i, {{NoteHz(notes[i]) * 2.0, 0.08, 0.05}});
    }
    Noise noise(15);
    BandPass band;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        band.Set(600.0 * std::pow(4.0, std::min(t / 0.25, 1.0)), 2.0);
        s[i] += 0.10 * Swell(t, 0.12, 0.1, 0.12) * band.Step(noise.Next());
    }
    FadeEnds(s, 0.001, 0.08);
    Normalise(s, -5.0);
    return s;
}

// 6: a bomb explodes - a deep falling thump under a roar of noise whose
// brightness dies away, with a few crackles.
static Samples Explosion() {
    Samples s = Silence(1.8);
    Noise noise(16), crackle(17);
    LowPass roar1, roar2, crackleTone;
    double phase = 0.0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        phase += 2.0 * pi * (35.0 + 60.0 * std::exp(-t / 0.12)) / sampleRate;
        const double thump = 0.9 * Strike(t, 0.004, 0.30) * std::sin(phase);
        const double cutoff = 250.0 + 3800.0 * std::exp(-t / 0.18);
        const double rumble = 1.1 * Strike(t, 0.003, 0.45) * roar2.Step(roar1.Step(noise.Next(), cutoff), cutoff);
        // Sparse sharp grains, thinning out.
        const double c = crackle.Next();
        const double grain = std::abs(c) > 0.9994 - 0.002 * std::exp(-t / 0.3) ? c : 0.0;
        const double bits = 0.9 * Strike(t, 0.01, 0.35) * crackleTone.Step(grain * 6.0, 5000);
        s[i] = thump + rumble + bits;
    }
    FadeEnds(s, 0.0005, 0.3);
    Normalise(s, -2.0);
    return s;
}

// 7: a balloon bursts on a spike - a sharp bright pop and a rubbery flap.
static Samples BalloonBurst() {
    Samples s = Silence(0.25);
    Noise noise(18);
    double previous = 0.0;
    BandPass flap;
    flap.Set(420, 3.0);
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double n = noise.Next();
        const double bright = n - previous;  // first difference: a high-pass
        previous = n;
        s[i] = 0.8 * Strike(t, 0.0004, 0.018) * bright + 0.5 * Strike(t, 0.004, 0.05) * flap.Step(n) * 3.0 +
               0.4 * Strike(t, 0.001, 0.03) * std::sin(2.0 * pi * 140.0 * t);
    }
    FadeEnds(s, 0.0002, 0.05);
    Normalise(s, -3.0);
    return s;
}

// 8: a ball is taken in by the target - two glassy bells rising a fourth.
static Samples TargetTaken() {
    Samples s = Silence(1.0);
    AddBell(s, 0.0, NoteHz(81), 0.45, 0.35, 2.0, 1.1);   // A5
    AddBell(s, 0.09, NoteHz(86), 0.45, 0.45, 2.0, 1.1);  // D6
    AddBell(s, 0.09, NoteHz(74), 0.15, 0.4, 1.0, 0.5);   // D5 beneath
    FadeEnds(s, 0.0005, 0.15);
    Normalise(s, -5.0);
    return s;
}

std::vector<NamedSound> MakeEffects() {
    return {
        {"koppanas.wav", Knock()},       {"kattintas.wav", CellClick()}, {"gyozelem.wav", Fanfare()},
        {"gomb.wav", ButtonClick()},     {"megallas.wav", Stop()},       {"inditas.wav", Start()},
        {"robbanas.wav", Explosion()},   {"durranas.wav", BalloonBurst()}, {"celba_ert.wav", TargetTaken()},
    };
}
