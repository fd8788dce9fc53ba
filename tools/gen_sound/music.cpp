// The background music: a calm piece in D major at 75 beats a minute, 32 bars
// of four beats (102.4 s), played by a soft pad, a round bass, an electric-
// piano arpeggio and a flute-like melody, in a small room.
//
// It is made to loop: every note that rings past the last bar goes on at the
// beginning, and the room's echo is taken from a second time round, so the
// sample after the last one is exactly the first.
#include "tools/gen_sound/sound_gen.h"

// 0.8 s a beat: whole samples per beat, so every note starts on a sample.
constexpr int beatSamples = 35280;
constexpr int beatsPerBar = 4;
constexpr int barCount = 32;
constexpr int barSamples = beatSamples * beatsPerBar;
constexpr int pieceSamples = barSamples * barCount;
constexpr double beatSeconds = static_cast<double>(beatSamples) / sampleRate;
constexpr double barSeconds = beatSeconds * beatsPerBar;

// ---- The score ----

struct Chord {
    int bass;      // MIDI note
    int pad[4];    // the pad's voicing, low to high
};

// The chords, kept close to each other so the pad moves by small steps.
constexpr Chord dMaj7{38, {50, 57, 61, 66}};
constexpr Chord bMin7{35, {50, 57, 62, 66}};
constexpr Chord gMaj7{43, {50, 55, 59, 66}};
constexpr Chord a7Sus4{45, {50, 55, 57, 64}};
constexpr Chord fSharpMin7{42, {49, 54, 57, 64}};
constexpr Chord a6{45, {52, 54, 57, 61}};
constexpr Chord eMin7{40, {50, 55, 59, 64}};
constexpr Chord aSus4{45, {50, 52, 57, 62}};

// Phrase A, heard three times, and phrase B once: A A B A. Each ends on the
// suspended A that leads back to D, the last one into the start of the loop.
constexpr Chord phraseA[8] = {dMaj7, bMin7, gMaj7, a7Sus4, dMaj7, fSharpMin7, gMaj7, aSus4};
constexpr Chord phraseB[8] = {gMaj7, a6, fSharpMin7, bMin7, eMin7, a7Sus4, dMaj7, aSus4};

static const Chord& ChordOfBar(int bar) { return bar / 8 == 2 ? phraseB[bar % 8] : phraseA[bar % 8]; }

struct MelodyNote {
    int bar, startEighth, eighths, midi;
};

// The tune: silent in the first phrase, then the second and fourth phrases
// answer each other, and the third climbs a little higher.
static const std::vector<MelodyNote> melody = {
    // Phrase A, second time
    {8, 0, 3, 78}, {8, 3, 1, 76}, {8, 4, 2, 74}, {8, 6, 2, 69},
    {9, 0, 4, 71}, {9, 4, 2, 74}, {9, 6, 2, 78},
    {10, 0, 6, 76}, {10, 6, 2, 74},
    {11, 0, 4, 76}, {11, 4, 4, 69},
    {12, 0, 3, 78}, {12, 3, 1, 81}, {12, 4, 2, 78}, {12, 6, 2, 76},
    {13, 0, 4, 73}, {13, 4, 2, 76}, {13, 6, 2, 81},
    {14, 0, 4, 78}, {14, 4, 2, 74}, {14, 6, 2, 71},
    {15, 0, 6, 69},
    // Phrase B
    {16, 0, 3, 79}, {16, 3, 1, 78}, {16, 4, 4, 74},
    {17, 0, 3, 76}, {17, 3, 1, 78}, {17, 4, 4, 73},
    {18, 0, 2, 73}, {18, 2, 2, 76}, {18, 4, 4, 81},
    {19, 0, 6, 78}, {19, 6, 2, 74},
    {20, 0, 3, 79}, {20, 3, 1, 78}, {20, 4, 2, 76}, {20, 6, 2, 74},
    {21, 0, 4, 76}, {21, 4, 2, 74}, {21, 6, 2, 76},
    {22, 0, 4, 78}, {22, 4, 4, 81},
    {23, 0, 6, 76},
    // Phrase A, last time, settling
    {24, 0, 3, 78}, {24, 3, 1, 76}, {24, 4, 2, 74}, {24, 6, 2, 69},
    {25, 0, 4, 71}, {25, 4, 2, 74}, {25, 6, 2, 78},
    {26, 0, 6, 76}, {26, 6, 2, 74},
    {27, 0, 4, 76}, {27, 4, 4, 69},
    {28, 0, 3, 78}, {28, 3, 1, 76}, {28, 4, 2, 74}, {28, 6, 2, 73},
    {29, 0, 4, 73}, {29, 4, 2, 69}, {29, 6, 2, 71},
    {30, 0, 4, 74}, {30, 4, 4, 71},
    {31, 0, 8, 69},
};

// ---- Rendering into a loop ----

struct Loop {
    Samples left, right;
    // Adds at a position taken round the loop, panned (-1 left .. 1 right).
    void Add(long long at, double value, double pan) {
        const size_t i = static_cast<size_t>(((at % pieceSamples) + pieceSamples) % pieceSamples);
        left[i] += value * std::sqrt(0.5 * (1.0 - pan));
        right[i] += value * std::sqrt(0.5 * (1.0 + pan));
    }
};

// Pad: two slightly detuned voices per note, one to each side, rising and
// falling slowly so the chords melt into each other.
static void PlayPad(Loop& loop, long long start, int midi, double level) {
    const double hz = NoteHz(midi), detune = std::pow(2.0, 4.0 / 1200.0);
    const double hold = barSeconds - 0.4, attack = 0.9, release = 1.4;
    const int length = SecondsToSamples(hold + release);
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double env = level * Swell(t, attack, hold, release);
        const double p1 = 2.0 * pi * hz * detune * t, p2 = 2.0 * pi * hz / detune * t;
        const double v1 = std::sin(p1) + 0.22 * std::sin(2.0 * p1) + 0.06 * std::sin(3.0 * p1);
        const double v2 = std::sin(p2) + 0.22 * std::sin(2.0 * p2) + 0.06 * std::sin(3.0 * p2);
        loop.Add(start + i, env * v1, -0.5);
        loop.Add(start + i, env * v2, 0.5);
    }
}

// Bass: a round tone with some second harmonic, heard on small speakers too, held most of the bar.
static void PlayBass(Loop& loop, long long start, int midi, double seconds, double level) {
    const double hz = NoteHz(midi);
    const int length = SecondsToSamples(seconds + 0.5);
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double env = level * Swell(t, 0.04, seconds, 0.5) * (0.75 + 0.25 * std::exp(-t / 0.6));
        const double p = 2.0 * pi * hz * t;
        loop.Add(start + i, env * (std::sin(p) + 0.35 * std::sin(2.0 * p)), 0.0);
    }
}

// Electric piano: frequency modulation at the note's own frequency, bright at
// the touch and mellow as it fades.
static void PlayPiano(Loop& loop, long long start, int midi, double level, double pan) {
    const double hz = NoteHz(midi);
    const double decay = 1.1;
    const int length = SecondsToSamples(decay * 4.0);
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double index = 0.9 * std::exp(-t / 0.25);
        const double v = std::sin(2.0 * pi * hz * t + index * std::sin(2.0 * pi * hz * t));
        const double env = level * Strike(t, 0.003, decay) * Swell(t, 0.0, decay * 3.0, decay);
        loop.Add(start + i, env * v, pan);
    }
}

// Melody: a soft flute-like tone with a gentle vibrato that grows in.
static void PlayMelody(Loop& loop, long long start, int midi, double seconds, double level) {
    const double hz = NoteHz(midi);
    const double release = 0.3;
    const int length = SecondsToSamples(seconds + release);
    double phase = 0.0;
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double vibrato = 0.003 * std::min(t / 0.4, 1.0) * std::sin(2.0 * pi * 5.0 * t);
        phase += 2.0 * pi * hz * (1.0 + vibrato) / sampleRate;
        const double env = level * Swell(t, 0.06, seconds, release) * (0.85 + 0.15 * std::exp(-t / 0.3));
        const double v = std::sin(phase) + 0.12 * std::sin(2.0 * phase) + 0.04 * std::sin(3.0 * phase);
        loop.Add(start + i, env * v, 0.05);
    }
}

// The arpeggio of one bar: quarter notes in the first phrase, eighths after.
static void PlayArpeggio(Loop& loop, int bar, const Chord& chord) {
    const long long barStart = static_cast<long long>(bar) * barSamples;
    const bool eighths = bar >= 8;
    static const int quarterPattern[4] = {0, 2, 3, 1};
    static const int eighthPattern[8] = {0, 1, 2, 3, 2, 1, 3, 2};
    const int notes = eighths ? 8 : 4;
    for (int n = 0; n < notes; ++n) {
        const int tone = eighths ? eighthPattern[n] : quarterPattern[n];
        const long long at = barStart + static_cast<long long>(n) * barSamples / notes;
        // A touch softer off the beat, and left and right in turn.
        const double accent = n % 2 == 0 ? 1.0 : 0.8;
        const double level = (eighths ? 0.045 : 0.06) * accent;
        PlayPiano(loop, at, chord.pad[tone] + 12, level, n % 2 == 0 ? -0.35 : 0.35);
    }
}

// ---- The room ----

// A small room: parallel damped combs into two all-passes per side (the
// classic reverberator), fed from the loop twice so that the echo heard at the
// beginning is the one the end leaves behind.
static void AddRoom(Loop& loop, double wet) {
    struct Comb {
        std::vector<double> line;
        size_t at = 0;
        double store = 0.0;
        double Step(double x) {
            const double out = line[at];
            store = out * 0.7 + store * 0.3;  // damping: highs die first
            line[at] = x + store * 0.82;
            at = (at + 1) % line.size();
            return out;
        }
    };
    struct AllPass {
        std::vector<double> line;
        size_t at = 0;
        double Step(double x) {
            const double delayed = line[at];
            line[at] = x + delayed * 0.5;
            at = (at + 1) % line.size();
            return delayed - x;
        }
    };
    const size_t combLengths[4] = {1557, 1617, 1491, 1422};
    Samples* sides[2] = {&loop.left, &loop.right};
    for (int side = 0; side < 2; ++side) {
        const size_t spread = side == 0 ? 0 : 23;
        std::vector<Comb> combs;
        for (size_t length : combLengths) combs.push_back({Samples(length + spread, 0.0)});
        AllPass allPasses[2] = {{Samples(556 + spread, 0.0)}, {Samples(441 + spread, 0.0)}};
        Samples& dry = *sides[side];
        Samples out(dry.size(), 0.0);
        for (size_t i = 0; i < 2 * dry.size(); ++i) {
            const double in = dry[i % dry.size()] * 0.25;
            double v = 0.0;
            for (Comb& comb : combs) v += comb.Step(in);
            for (AllPass& allPass : allPasses) v = allPass.Step(v);
            if (i >= dry.size()) out[i - dry.size()] = v;
        }
        for (size_t i = 0; i < dry.size(); ++i) dry[i] += wet * out[i];
    }
}

Music ComposeMusic() {
    Loop loop{Samples(pieceSamples, 0.0), Samples(pieceSamples, 0.0)};
    for (int bar = 0; bar < barCount; ++bar) {
        const Chord& chord = ChordOfBar(bar);
        const long long barStart = static_cast<long long>(bar) * barSamples;
        for (int note : chord.pad) PlayPad(loop, barStart, note, 0.035);
        PlayBass(loop, barStart, chord.bass, barSeconds * 0.85, 0.16);
        PlayArpeggio(loop, bar, chord);
    }
    const long long eighthSamples = beatSamples / 2;
    for (const MelodyNote& note : melody) {
        const long long at = static_cast<long long>(note.bar) * barSamples + note.startEighth * eighthSamples;
        PlayMelody(loop, at, note.midi, note.eighths * beatSeconds / 2.0 - 0.05, 0.085);
    }
    AddRoom(loop, 0.35);
    return {std::move(loop.left), std::move(loop.right)};
}
