// The game's sounds, synthesised here and encoded as Ogg Vorbis for the pack.
//
// Everything is deterministic: noise comes from fixed seeds and each stream has a fixed serial,
// so the pack is the same bytes on every build. Loops are rendered circularly (tails wrap to
// the start, effects run until their state repeats) so they join without a click.
#include "tools/pack_assets.h"
#include "tools/ogg_encode.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

// ---------------------------------------------------------------------------
// Building blocks

// xorshift32: a tiny, fixed noise source (std::rand differs between C libraries).
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed ? seed : 1u) {}
    float next()  // -1 .. 1
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state) / 2147483648.0f - 1.0f;
    }
};

double midiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

int samplesOf(double seconds) { return static_cast<int>(std::lround(seconds * kRate)); }

// Adds `v` at sample index i; in a loop the index wraps, otherwise samples past the end are lost.
inline void put(std::vector<float>& buf, long i, float v, bool wrap)
{
    const long n = static_cast<long>(buf.size());
    if (wrap) {
        i %= n;
        if (i < 0)
            i += n;
    } else if (i < 0 || i >= n) {
        return;
    }
    buf[static_cast<size_t>(i)] += v;
}

// A band-limited sawtooth table (harmonics rolled off), read with linear interpolation.
const std::vector<float>& sawTable()
{
    static std::vector<float> table = [] {
        const int size = 4096;
        std::vector<float> t(size + 1, 0.0f);
        for (int h = 1; h <= 28; ++h) {
            const double amp = (1.0 / h) * std::exp(-h / 14.0);
            for (int i = 0; i <= size; ++i)
                t[static_cast<size_t>(i)] += static_cast<float>(amp * std::sin(kTwoPi * h * i / size));
        }
        return t;
    }();
    return table;
}

inline float readTable(const std::vector<float>& t, double phase)  // phase in cycles
{
    const double size = static_cast<double>(t.size() - 1);
    double p = (phase - std::floor(phase)) * size;
    const size_t i = static_cast<size_t>(p);
    const float f = static_cast<float>(p - static_cast<double>(i));
    return t[i] + (t[i + 1] - t[i]) * f;
}

// Attack-decay-release envelope: linear attack, exponential decay toward `sustain`,
// then an exponential release of time constant `release` after `hold` seconds.
float envelope(double t, double attack, double decay, double sustain, double hold, double release)
{
    if (t < 0.0)
        return 0.0f;
    double level;
    if (t < attack)
        return static_cast<float>(t / attack);
    const double td = t - attack;
    level = sustain + (1.0 - sustain) * std::exp(-td / decay);
    if (t > hold) {
        const double heldTd = std::max(0.0, hold - attack);
        const double atHold = sustain + (1.0 - sustain) * std::exp(-heldTd / decay);
        level = atHold * std::exp(-(t - hold) / release);
    }
    return static_cast<float>(level);
}

// Topology-preserving state-variable filter: low, band and high outputs from one state.
struct SvFilter {
    double ic1 = 0.0, ic2 = 0.0;
    double low = 0.0, band = 0.0, high = 0.0;
    void run(double x, double cutoffHz, double q)
    {
        cutoffHz = std::clamp(cutoffHz, 10.0, kRate * 0.45);
        const double g = std::tan(kPi * cutoffHz / kRate);
        const double k = 1.0 / q;
        const double a1 = 1.0 / (1.0 + g * (g + k));
        const double a2 = g * a1;
        const double a3 = g * a2;
        const double v3 = x - ic2;
        const double v1 = a1 * ic1 + a2 * v3;
        const double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2.0 * v1 - ic1;
        ic2 = 2.0 * v2 - ic2;
        low = v2;
        band = v1;
        high = x - k * v1 - v2;
    }
};

// A small Schroeder-style room: parallel damped combs into two allpasses.
struct Reverb {
    struct Comb {
        std::vector<float> line;
        size_t pos = 0;
        float store = 0.0f;
    };
    struct Allpass {
        std::vector<float> line;
        size_t pos = 0;
    };
    Comb combs[4];
    Allpass allpasses[2];
    float feedback, damp;

    Reverb(int spread, float roomSize, float damping) : feedback(roomSize), damp(damping)
    {
        const int combLengths[4] = {1116, 1188, 1277, 1356};
        const int allpassLengths[2] = {556, 441};
        for (int i = 0; i < 4; ++i)
            combs[i].line.assign(static_cast<size_t>(combLengths[i] + spread), 0.0f);
        for (int i = 0; i < 2; ++i)
            allpasses[i].line.assign(static_cast<size_t>(allpassLengths[i] + spread), 0.0f);
    }

    float run(float x)
    {
        float out = 0.0f;
        for (Comb& c : combs) {
            const float y = c.line[c.pos];
            c.store = y * (1.0f - damp) + c.store * damp;
            c.line[c.pos] = x + c.store * feedback;
            c.pos = (c.pos + 1) % c.line.size();
            out += y;
        }
        for (Allpass& a : allpasses) {
            const float b = a.line[a.pos];
            a.line[a.pos] = out + b * 0.5f;
            a.pos = (a.pos + 1) % a.line.size();
            out = b - out;
        }
        return out * 0.25f;
    }
};

// Runs a stateful per-sample process over a loop until its state has settled, so the output
// is one period of the steady state and joins itself without a seam.
template <typename Process>
std::vector<float> processLoop(const std::vector<float>& in, int passes, Process process)
{
    const size_t n = in.size();
    std::vector<float> out(n, 0.0f);
    for (int p = 0; p < passes; ++p)
        for (size_t i = 0; i < n; ++i) {
            const float y = process(in[i], i);
            if (p == passes - 1)
                out[i] = y;
        }
    return out;
}

// Applies a one-shot process (no wrap) to a buffer.
template <typename Process>
void processOnce(std::vector<float>& buf, Process process)
{
    for (size_t i = 0; i < buf.size(); ++i)
        buf[i] = process(buf[i], i);
}

void normalize(std::vector<float>& buf, float peak)
{
    float m = 0.0f;
    for (float v : buf)
        m = std::max(m, std::fabs(v));
    if (m <= 0.0f)
        return;
    const float s = peak / m;
    for (float& v : buf)
        v *= s;
}

void normalizeStereo(std::vector<float>& left, std::vector<float>& right, float peak)
{
    float m = 0.0f;
    for (float v : left)
        m = std::max(m, std::fabs(v));
    for (float v : right)
        m = std::max(m, std::fabs(v));
    if (m <= 0.0f)
        return;
    const float s = peak / m;
    for (float& v : left)
        v *= s;
    for (float& v : right)
        v *= s;
}

// Short fades at both ends of a one-shot so it starts and stops without a click.
void fadeEnds(std::vector<float>& buf, double inSeconds, double outSeconds)
{
    const size_t in = static_cast<size_t>(samplesOf(inSeconds));
    const size_t out = static_cast<size_t>(samplesOf(outSeconds));
    for (size_t i = 0; i < in && i < buf.size(); ++i)
        buf[i] *= static_cast<float>(i) / static_cast<float>(in);
    for (size_t i = 0; i < out && i < buf.size(); ++i)
        buf[buf.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(out);
}

std::vector<float> interleave(const std::vector<float>& left, const std::vector<float>& right)
{
    std::vector<float> out(left.size() * 2);
    for (size_t i = 0; i < left.size(); ++i) {
        out[2 * i] = left[i];
        out[2 * i + 1] = right[i];
    }
    return out;
}

// Electric-piano-like bell: a sine phase-modulated by itself, the brightness fading fast.
void addBell(std::vector<float>& buf, long start, double seconds, double freq, float amp, bool wrap,
             double brightness = 1.6, double ring = 0.9)
{
    const long len = samplesOf(seconds + 1.2);
    const double hold = seconds;
    for (long i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double index = brightness * std::exp(-t / 0.25) + 0.15;
        const double mod = std::sin(kTwoPi * freq * t);
        const double tine = 0.12 * std::exp(-t / 0.03) * std::sin(kTwoPi * freq * 7.0 * t);
        const double s = std::sin(kTwoPi * freq * t + index * mod) + tine;
        const float env = envelope(t, 0.004, ring, 0.0, hold, 0.12);
        put(buf, start + i, static_cast<float>(s) * env * amp, wrap);
    }
}

// Plain sine blip with a soft attack and exponential decay.
void addSine(std::vector<float>& buf, long start, double seconds, double freq, float amp, double attack,
             double decay, bool wrap)
{
    const long len = samplesOf(seconds);
    for (long i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const float env = envelope(t, attack, decay, 0.0, seconds, 0.01);
        put(buf, start + i, static_cast<float>(std::sin(kTwoPi * freq * t)) * env * amp, wrap);
    }
}

// ---------------------------------------------------------------------------
// The two menu loops: 168 BPM, eight bars, A minor. Exactly the same length in samples.

constexpr int kBeat = 15750;             // 44100 * 60 / 168, a whole number of samples
constexpr int kLoopBeats = 32;           // eight bars
constexpr int kLoopSamples = kBeat * kLoopBeats;

long beatToSample(double beat) { return static_cast<long>(std::lround(beat * kBeat)); }

struct Chord {
    int notes[5];
    int bass;
};
// Two bars each: Am9, Fmaj9, Cmaj7/G, Em7.
const Chord kChords[4] = {
    {{57, 60, 64, 67, 71}, 33},
    {{53, 57, 60, 64, 67}, 29},
    {{55, 60, 64, 67, 71}, 36},
    {{52, 55, 59, 62, 67}, 28},
};

struct Note {
    double beat, midi, length;
};
const Note kMelody[] = {
    {0, 76, 1.5},  {1.5, 79, 1},  {2.5, 81, 1.5}, {4, 79, 1},    {5, 76, 1},    {6, 74, 2},
    {8, 72, 1.5},  {9.5, 76, 1},  {10.5, 77, 1.5}, {12, 76, 2},  {14, 72, 1},   {15, 74, 1},
    {16, 79, 1.5}, {17.5, 76, 1}, {18.5, 74, 1.5}, {20, 72, 1},  {21, 74, 1},   {22, 76, 2},
    {24, 74, 1.5}, {25.5, 71, 1}, {26.5, 67, 1.5}, {28, 69, 3},
};

void renderMelodyLoop(std::vector<float>& left, std::vector<float>& right)
{
    const size_t n = kLoopSamples;
    std::vector<float> padL(n, 0.0f), padR(n, 0.0f), bass(n, 0.0f), bells(n, 0.0f);
    const std::vector<float>& saw = sawTable();

    // Pads: two slightly detuned saws per note and side, slow swell, the release wraps round.
    for (int c = 0; c < 4; ++c) {
        const long start = beatToSample(c * 8.0);
        const double hold = 8.0 * kBeat / kRate;
        const long len = samplesOf(hold + 2.5);
        for (int v = 0; v < 5; ++v) {
            const double f = midiToHz(kChords[c].notes[v]);
            const double detune[4] = {0.997, 1.004, 1.002, 0.995};
            double ph[4] = {0.13 * v, 0.41 * v, 0.77 * v, 0.29 * v};
            for (long i = 0; i < len; ++i) {
                const double t = static_cast<double>(i) / kRate;
                const float env = envelope(t, 0.9, 1.0, 1.0, hold, 0.7) * 0.07f;
                const float l = readTable(saw, ph[0]) + readTable(saw, ph[1]);
                const float r = readTable(saw, ph[2]) + readTable(saw, ph[3]);
                for (int k = 0; k < 4; ++k)
                    ph[k] += f * detune[k] / kRate;
                put(padL, start + i, l * env, true);
                put(padR, start + i, r * env, true);
            }
        }
    }
    // A slow filter sweep: one cycle per loop, so it joins.
    auto padFilter = [](SvFilter& flt) {
        return [&flt](float x, size_t i) {
            const double lfo = 0.5 - 0.5 * std::cos(kTwoPi * static_cast<double>(i) / kLoopSamples);
            flt.run(x, 700.0 + 900.0 * lfo, 0.8);
            return static_cast<float>(flt.low);
        };
    };
    SvFilter fl, fr;
    padL = processLoop(padL, 2, padFilter(fl));
    padR = processLoop(padR, 2, padFilter(fr));

    // Sub bass: root under each bar, a second push on the "and" of three.
    for (int bar = 0; bar < 8; ++bar) {
        const Chord& ch = kChords[bar / 2];
        const double f = midiToHz(ch.bass + 12);
        const double hits[2][2] = {{0.0, 2.25}, {2.5, 1.35}};
        for (const auto& hit : hits) {
            const long start = beatToSample(bar * 4.0 + hit[0]);
            const double hold = hit[1] * kBeat / kRate;
            const long len = samplesOf(hold + 0.3);
            double ph = 0.0;
            for (long i = 0; i < len; ++i) {
                const double t = static_cast<double>(i) / kRate;
                const float env = envelope(t, 0.012, 0.6, 0.7, hold, 0.05);
                const double s = std::sin(kTwoPi * ph) + 0.18 * std::sin(2.0 * kTwoPi * ph);
                ph += f / kRate;
                put(bass, start + i, static_cast<float>(s) * env * 0.42f, true);
            }
        }
    }

    // The bell melody.
    for (const Note& note : kMelody)
        addBell(bells, beatToSample(note.beat), note.length * kBeat / kRate, midiToHz(note.midi), 0.3f, true);

    // Ping-pong echo of the bells (dotted eighths) and a room over pads and bells.
    const size_t echo = static_cast<size_t>(std::lround(kBeat * 0.75));
    std::vector<float> echoL(n, 0.0f), echoR(n, 0.0f);
    {
        // Feedback across the two sides: L feeds R after one delay, R feeds L after another.
        std::vector<float> dl(echo, 0.0f), dr(echo, 0.0f);
        size_t pos = 0;
        SvFilter damp;
        for (int pass = 0; pass < 3; ++pass)
            for (size_t i = 0; i < n; ++i) {
                const float outL = dl[pos];
                const float outR = dr[pos];
                damp.run(outR, 3500.0, 0.7);
                dl[pos] = bells[i] + static_cast<float>(damp.low) * 0.45f;
                dr[pos] = outL * 0.45f;
                pos = (pos + 1) % echo;
                if (pass == 2) {
                    echoL[i] = outL;
                    echoR[i] = outR;
                }
            }
    }
    Reverb revL(0, 0.84f, 0.3f), revR(23, 0.84f, 0.3f);
    std::vector<float> sendL(n), sendR(n);
    for (size_t i = 0; i < n; ++i) {
        sendL[i] = padL[i] * 0.5f + bells[i] * 0.6f + echoL[i] * 0.4f;
        sendR[i] = padR[i] * 0.5f + bells[i] * 0.6f + echoR[i] * 0.4f;
    }
    sendL = processLoop(sendL, 3, [&](float x, size_t) { return revL.run(x); });
    sendR = processLoop(sendR, 3, [&](float x, size_t) { return revR.run(x); });

    left.assign(n, 0.0f);
    right.assign(n, 0.0f);
    for (size_t i = 0; i < n; ++i) {
        left[i] = padL[i] + bass[i] + bells[i] * 0.9f + echoL[i] * 0.35f + sendL[i] * 0.5f;
        right[i] = padR[i] + bass[i] + bells[i] * 0.9f + echoR[i] * 0.35f + sendR[i] * 0.5f;
    }
    normalizeStereo(left, right, 0.7f);
}

// One drum voice into a mono buffer, wrapping round the loop.
void addKick(std::vector<float>& buf, long start, float amp, bool wrap)
{
    const long len = samplesOf(0.45);
    double ph = 0.0;
    for (long i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = 46.0 + 90.0 * std::exp(-t / 0.028);
        ph += f / kRate;
        const float env = envelope(t, 0.0015, 0.22, 0.0, 0.45, 0.05);
        const double s = std::tanh(1.6 * std::sin(kTwoPi * ph)) * 0.8;
        put(buf, start + i, static_cast<float>(s) * env * amp, wrap);
    }
}

void addSnare(std::vector<float>& buf, long start, float amp, uint32_t seed, bool wrap)
{
    Noise noise(seed);
    SvFilter flt;
    const long len = samplesOf(0.35);
    for (long i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double body = (std::sin(kTwoPi * 188.0 * t) * 0.7 + std::sin(kTwoPi * 331.0 * t) * 0.35) *
                            std::exp(-t / 0.05);
        flt.run(noise.next(), 3200.0, 0.6);
        const double rattle = flt.band * 1.4 * std::exp(-t / 0.075);
        const float env = envelope(t, 0.001, 1.0, 1.0, 0.3, 0.02);
        put(buf, start + i, static_cast<float>(body + rattle) * env * amp, wrap);
    }
}

void addHat(std::vector<float>& buf, long start, float amp, double decay, uint32_t seed, bool wrap)
{
    Noise noise(seed);
    SvFilter flt;
    const long len = samplesOf(decay * 6.0);
    for (long i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / kRate;
        flt.run(noise.next(), 7500.0, 0.7);
        const float env = envelope(t, 0.0008, decay, 0.0, decay * 6.0, 0.01);
        put(buf, start + i, static_cast<float>(flt.high) * env * amp, wrap);
    }
}

void renderDrumLoop(std::vector<float>& left, std::vector<float>& right)
{
    const size_t n = kLoopSamples;
    std::vector<float> kick(n, 0.0f), snare(n, 0.0f), hatL(n, 0.0f), hatR(n, 0.0f);
    Noise humanise(0x5eed0d7u);
    const double step = 0.25;  // a sixteenth, in beats
    for (int bar = 0; bar < 8; ++bar) {
        const double b = bar * 4.0;
        auto at = [&](int sixteenth) { return beatToSample(b + sixteenth * step); };
        auto vel = [&](float base) { return base * (0.92f + 0.08f * humanise.next()); };
        const uint32_t seed = 0x1000u + static_cast<uint32_t>(bar) * 31u;

        // The rolling two-step: kick on one and the "and" of three, snare on two and four.
        addKick(kick, at(0), vel(1.0f), true);
        addKick(kick, at(10), vel(0.85f), true);
        if (bar % 2 == 1)
            addKick(kick, at(7), vel(0.5f), true);
        addSnare(snare, at(4), vel(0.7f), seed + 1, true);
        addSnare(snare, at(12), vel(0.7f), seed + 2, true);
        if (bar % 2 == 0)
            addSnare(snare, at(7), vel(0.16f), seed + 3, true);
        addSnare(snare, at(15), vel(0.12f), seed + 4, true);
        if (bar == 7) {  // a small fill into the top of the loop
            addSnare(snare, at(13), vel(0.3f), seed + 5, true);
            addSnare(snare, at(14), vel(0.4f), seed + 6, true);
        }
        // Offbeat hats on the right, soft sixteenth shakers on the left.
        for (int s = 0; s < 16; ++s) {
            if (s % 4 == 2)
                addHat(hatR, at(s), vel(0.45f), s == 14 && bar % 4 == 3 ? 0.09 : 0.03, seed + 16 + s, true);
            addHat(hatL, at(s), vel(s % 2 ? 0.12f : 0.2f), 0.018, seed + 40 + s, true);
        }
    }

    // Sum with a little stereo and a small room on the snare.
    Reverb revL(0, 0.7f, 0.4f), revR(23, 0.7f, 0.4f);
    std::vector<float> roomL = processLoop(snare, 3, [&](float x, size_t) { return revL.run(x); });
    std::vector<float> roomR = processLoop(snare, 3, [&](float x, size_t) { return revR.run(x); });
    left.assign(n, 0.0f);
    right.assign(n, 0.0f);
    for (size_t i = 0; i < n; ++i) {
        const float centre = kick[i] + snare[i];
        left[i] = centre + hatL[i] * 0.9f + hatR[i] * 0.35f + roomL[i] * 0.3f;
        right[i] = centre + hatR[i] * 0.9f + hatL[i] * 0.35f + roomR[i] * 0.3f;
    }
    normalizeStereo(left, right, 0.7f);
}

// ---------------------------------------------------------------------------
// The other loops: every frequency makes whole cycles over the loop.

// Mass warning: a low, pulsing two-note drone that throbs twice a second. 2 s loop.
void renderMassIncrease(std::vector<float>& left, std::vector<float>& right)
{
    const size_t n = static_cast<size_t>(kRate * 2);
    std::vector<float> dry(n, 0.0f);
    const std::vector<float>& saw = sawTable();
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const float s = readTable(saw, 110.0 * t) + readTable(saw, 110.5 * t) * 0.8f +
                        readTable(saw, 165.0 * t) * 0.6f;
        dry[i] = s;
    }
    SvFilter flt;
    std::vector<float> wet = processLoop(dry, 2, [&](float x, size_t i) {
        const double t = static_cast<double>(i) / kRate;
        const double pulse = 0.5 - 0.5 * std::cos(kTwoPi * 2.0 * t);  // 2 Hz
        flt.run(x, 180.0 + 1100.0 * pulse * pulse, 2.2);
        return static_cast<float>(flt.low * (0.35 + 0.65 * pulse));
    });
    left.assign(n, 0.0f);
    right.assign(n, 0.0f);
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        // A thin high tone that swells with each throb, like a warning light.
        const double pulse = 0.5 - 0.5 * std::cos(kTwoPi * 2.0 * t);
        const float high = static_cast<float>(std::sin(kTwoPi * 880.0 * t) * 0.08 * pulse * pulse);
        left[i] = wet[i] + high;
        right[i] = wet[i] * 0.9f + high * 1.2f;
    }
    normalizeStereo(left, right, 0.8f);
}

// Timewarp: a slow shimmering pad of sines with drifting amplitudes. 4 s loop.
void renderEthereal(std::vector<float>& left, std::vector<float>& right)
{
    const size_t n = static_cast<size_t>(kRate * 4);
    std::vector<float> dryL(n, 0.0f), dryR(n, 0.0f);
    // Partials of an A major 9 voicing, rounded to quarter-hertz so they complete the loop.
    const double partials[] = {220.0, 277.25, 329.5, 415.25, 493.75, 659.25, 880.0, 1108.75};
    for (int p = 0; p < 8; ++p) {
        const double f = partials[p];
        const double lfoRate = 0.25 * (1 + p % 3);  // whole cycles in 4 s
        const double amp = 0.12 / (1.0 + p * 0.25);
        for (size_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double lfo = 0.55 + 0.45 * std::sin(kTwoPi * lfoRate * t + p * 1.3);
            const double s = std::sin(kTwoPi * f * t + p) * amp * lfo;
            const double pan = 0.5 + 0.4 * std::sin(kTwoPi * 0.25 * t + p * 0.8);
            dryL[i] += static_cast<float>(s * (1.0 - pan));
            dryR[i] += static_cast<float>(s * pan);
        }
    }
    Reverb revL(0, 0.88f, 0.2f), revR(23, 0.88f, 0.2f);
    std::vector<float> wetL = processLoop(dryL, 4, [&](float x, size_t) { return revL.run(x); });
    std::vector<float> wetR = processLoop(dryR, 4, [&](float x, size_t) { return revR.run(x); });
    left.assign(n, 0.0f);
    right.assign(n, 0.0f);
    for (size_t i = 0; i < n; ++i) {
        left[i] = dryL[i] * 0.6f + wetL[i] * 0.8f;
        right[i] = dryR[i] * 0.6f + wetR[i] * 0.8f;
    }
    normalizeStereo(left, right, 0.75f);
}

// A cheeky little tune on a plucked square, 120 BPM, two bars.
void renderTrololo(std::vector<float>& out)
{
    const int beat = kRate / 2;
    const size_t n = static_cast<size_t>(beat * 8);
    out.assign(n, 0.0f);
    const Note tune[] = {
        {0, 67, 0.5},   {0.5, 71, 0.5}, {1, 74, 0.5}, {1.5, 71, 0.5}, {2, 72, 1.0},  {3, 69, 0.5},
        {3.5, 72, 0.5}, {4, 76, 0.5},   {4.5, 74, 0.5}, {5, 72, 0.5}, {5.5, 71, 0.5}, {6, 67, 1.5},
    };
    for (const Note& note : tune) {
        const double f = midiToHz(note.midi);
        const long start = static_cast<long>(note.beat * beat);
        const double hold = note.length * 0.5 * 0.8;
        const long len = samplesOf(hold + 0.3);
        for (long i = 0; i < len; ++i) {
            const double t = static_cast<double>(i) / kRate;
            // A soft square from odd harmonics, with a little vibrato for the "la-la" voice.
            const double vib = 1.0 + 0.006 * std::sin(kTwoPi * 5.5 * t) * std::min(1.0, t * 4.0);
            double s = 0.0;
            for (int h = 1; h <= 9; h += 2)
                s += std::sin(kTwoPi * f * vib * h * t) / (h * h * 0.6 + 0.4);
            const float env = envelope(t, 0.01, 0.25, 0.55, hold, 0.06);
            put(out, start + i, static_cast<float>(s) * env * 0.3f, true);
        }
    }
    // An oom-pah bass underneath.
    const int bassNotes[8] = {43, 50, 43, 50, 45, 52, 43, 50};
    for (int b = 0; b < 8; ++b)
        addSine(out, static_cast<long>(b) * beat, 0.35, midiToHz(bassNotes[b]), 0.25f, 0.005, 0.12, true);
    normalize(out, 0.75f);
}

// ---------------------------------------------------------------------------
// One-shot effects (mono).

// A removed block: a bright major chord stab; the game raises its pitch for each block of a group.
std::vector<float> makeStab()
{
    std::vector<float> out(static_cast<size_t>(samplesOf(0.5)), 0.0f);
    const std::vector<float>& saw = sawTable();
    const double notes[4] = {72, 76, 79, 84};
    for (double note : notes) {
        const double f = midiToHz(note);
        double ph = note * 0.01;
        for (size_t i = 0; i < out.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            out[i] += readTable(saw, ph) * envelope(t, 0.002, 0.12, 0.0, 0.5, 0.05) * 0.3f;
            ph += f / kRate;
        }
    }
    SvFilter flt;
    processOnce(out, [&](float x, size_t i) {
        const double t = static_cast<double>(i) / kRate;
        flt.run(x, 600.0 + 5200.0 * std::exp(-t / 0.06), 1.1);
        return static_cast<float>(flt.low);
    });
    addBell(out, 0, 0.05, midiToHz(84), 0.25f, false, 1.0, 0.15);
    fadeEnds(out, 0.0, 0.05);
    normalize(out, 0.8f);
    return out;
}

// A landing block: a short, solid low knock.
std::vector<float> makeClunk()
{
    std::vector<float> out(static_cast<size_t>(samplesOf(0.3)), 0.0f);
    Noise noise(0xc1u);
    SvFilter flt;
    double ph = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = 75.0 + 130.0 * std::exp(-t / 0.02);
        ph += f / kRate;
        const double body = std::tanh(2.0 * std::sin(kTwoPi * ph)) * std::exp(-t / 0.07);
        const double wood = std::sin(kTwoPi * 430.0 * t) * std::exp(-t / 0.03) * 0.45;
        flt.run(noise.next(), 1500.0, 1.5);
        const double knock = flt.band * std::exp(-t / 0.012) * 1.2;
        out[i] = static_cast<float>(body + wood + knock) * envelope(t, 0.0008, 1.0, 1.0, 1.0, 1.0);
    }
    fadeEnds(out, 0.0, 0.05);
    normalize(out, 0.8f);
    return out;
}

// A block flying in: air through a band-pass that sweeps up and then falls away.
std::vector<float> makeSwish()
{
    std::vector<float> out(static_cast<size_t>(samplesOf(0.38)), 0.0f);
    Noise noise(0x5715u);
    SvFilter flt;
    const double len = 0.38;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double x = t / len;
        const double cutoff = 350.0 * std::pow(7.0, std::sin(kPi * std::min(1.0, x * 1.1)));
        flt.run(noise.next(), cutoff, 1.5);
        const double env = std::pow(std::sin(kPi * std::pow(x, 0.7)), 2.0);
        out[i] = static_cast<float>(flt.band * env);
    }
    normalize(out, 0.6f);
    return out;
}

// A menu hover: a tiny, soft wooden tick.
std::vector<float> makeTick()
{
    std::vector<float> out(static_cast<size_t>(samplesOf(0.04)), 0.0f);
    Noise noise(0x71c4u);
    SvFilter flt;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        flt.run(noise.next(), 3000.0, 1.2);
        const double s = std::sin(kTwoPi * 1900.0 * t) * 0.8 + flt.band * 0.5;
        out[i] = static_cast<float>(s * std::exp(-t / 0.005)) * envelope(t, 0.0005, 1.0, 1.0, 1.0, 1.0);
    }
    fadeEnds(out, 0.0, 0.01);
    normalize(out, 0.6f);
    return out;
}

// A powerup starting: a deep sub drop with a touch of growl.
std::vector<float> makeSubdrop()
{
    std::vector<float> out(static_cast<size_t>(samplesOf(1.3)), 0.0f);
    double ph = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = 36.0 + 130.0 * std::exp(-t / 0.25);
        ph += f / kRate;
        const double s = std::tanh(3.0 * std::sin(kTwoPi * ph)) + 0.3 * std::sin(2.0 * kTwoPi * ph);
        out[i] = static_cast<float>(s) * envelope(t, 0.01, 0.45, 0.0, 1.3, 0.1);
    }
    fadeEnds(out, 0.0, 0.1);
    normalize(out, 0.85f);
    return out;
}

// The mass overflowing: a heavy falling "woob" with a wobbling filter.
std::vector<float> makeWoob()
{
    std::vector<float> out(static_cast<size_t>(samplesOf(1.1)), 0.0f);
    const std::vector<float>& saw = sawTable();
    SvFilter flt;
    double ph = 0.0, ph2 = 0.3;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = 55.0 + 165.0 * std::exp(-t / 0.35);
        ph += f / kRate;
        ph2 += f * 1.005 / kRate;
        const double wobble = 0.5 + 0.5 * std::sin(kTwoPi * 5.0 * t - kPi / 2);
        flt.run(readTable(saw, ph) + readTable(saw, ph2), 120.0 + 1400.0 * wobble * std::exp(-t / 0.6), 3.0);
        const double sub = std::sin(kTwoPi * ph) * 0.5;
        out[i] = static_cast<float>(flt.low + sub) * envelope(t, 0.01, 0.6, 0.0, 1.1, 0.1);
    }
    fadeEnds(out, 0.0, 0.08);
    normalize(out, 0.85f);
    return out;
}

// The mass exploding: a low boom under a crackling burst and a rumbling tail.
std::vector<float> makeExplosion()
{
    std::vector<float> out(static_cast<size_t>(samplesOf(2.6)), 0.0f);
    Noise noise(0xb00du);
    SvFilter burst, rumble, crackleFlt;
    double ph = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = 32.0 + 70.0 * std::exp(-t / 0.12);
        ph += f / kRate;
        const double boom = std::tanh(2.0 * std::sin(kTwoPi * ph)) * std::exp(-t / 0.55) * 0.9;
        const double n1 = noise.next();
        burst.run(n1, 300.0 + 5000.0 * std::exp(-t / 0.18), 0.7);
        const double blast = burst.low * std::exp(-t / 0.35) * 1.3;
        rumble.run(n1, 120.0, 0.9);
        const double tail = rumble.low * std::exp(-t / 0.9) * 2.0;
        // Sparse crackles: occasional loud noise samples, band-passed.
        const double spark = std::fabs(noise.next()) > 0.985 ? noise.next() * 4.0 : 0.0;
        crackleFlt.run(spark * std::exp(-t / 0.5), 2500.0, 1.5);
        const double s = boom + blast + tail + crackleFlt.band * 0.6;
        out[i] = static_cast<float>(s) * envelope(t, 0.002, 1.0, 1.0, 2.6, 1.0);
    }
    fadeEnds(out, 0.0, 0.3);
    normalize(out, 0.9f);
    return out;
}

// A laser zap: a falling square-ish tone with a fast vibrato.
std::vector<float> makeLazor()
{
    std::vector<float> out(static_cast<size_t>(samplesOf(0.4)), 0.0f);
    SvFilter flt;
    double ph = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = (280.0 + 1700.0 * std::exp(-t / 0.07)) * (1.0 + 0.03 * std::sin(kTwoPi * 38.0 * t));
        ph += f / kRate;
        double s = 0.0;
        for (int h = 1; h <= 7; h += 2)
            s += std::sin(kTwoPi * h * ph) / h;
        flt.run(s, 4000.0, 0.9);
        out[i] = static_cast<float>(flt.low) * envelope(t, 0.002, 0.12, 0.0, 0.4, 0.05);
    }
    fadeEnds(out, 0.0, 0.04);
    normalize(out, 0.75f);
    return out;
}

// An achievement: a bright rising bell arpeggio that rings out.
std::vector<float> makeCheeve()
{
    std::vector<float> out(static_cast<size_t>(samplesOf(1.6)), 0.0f);
    const double notes[5] = {72, 76, 79, 84, 88};
    for (int i = 0; i < 5; ++i)
        addBell(out, samplesOf(i * 0.07), 0.6 - i * 0.05, midiToHz(notes[i]), 0.25f, false, 1.2, 0.5);
    addSine(out, samplesOf(0.28), 1.2, midiToHz(96), 0.06f, 0.05, 0.3, false);
    Reverb rev(0, 0.8f, 0.3f);
    std::vector<float> wet(out.size());
    for (size_t i = 0; i < out.size(); ++i)
        wet[i] = rev.run(out[i]);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] += wet[i] * 0.35f;
    fadeEnds(out, 0.0, 0.25);
    normalize(out, 0.8f);
    return out;
}

// A level cleared: a quick snare run into a crash and a warm major chord.
std::vector<float> makeEndBreak()
{
    const double tempo = 60.0 / 168.0 / 4.0;  // sixteenths at the music's tempo
    std::vector<float> out(static_cast<size_t>(samplesOf(2.0)), 0.0f);
    for (int s = 0; s < 6; ++s)
        addSnare(out, samplesOf(s * tempo), 0.25f + 0.08f * s, 0xe0u + static_cast<uint32_t>(s), false);
    const long hit = samplesOf(6 * tempo);
    addKick(out, hit, 1.0f, false);
    Noise noise(0xc7a5u);
    SvFilter crash;
    for (long i = 0; i < samplesOf(1.4); ++i) {
        const double t = static_cast<double>(i) / kRate;
        crash.run(noise.next(), 6000.0, 0.6);
        put(out, hit + i, static_cast<float>(crash.high * std::exp(-t / 0.3) * 0.16), false);
    }
    const double chord[4] = {57, 64, 69, 73};  // A major, open
    for (double note : chord)
        addBell(out, hit, 0.9, midiToHz(note), 0.16f, false, 1.3, 0.8);
    addBell(out, hit + samplesOf(0.12), 0.6, midiToHz(81), 0.12f, false, 1.0, 0.6);
    fadeEnds(out, 0.0, 0.3);
    normalize(out, 0.85f);
    return out;
}

// The last seconds of a stage: a clean, short beep.
std::vector<float> makeClockBeep()
{
    std::vector<float> out(static_cast<size_t>(samplesOf(0.16)), 0.0f);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double s = std::sin(kTwoPi * 1318.5 * t) + 0.15 * std::sin(kTwoPi * 2637.0 * t);
        out[i] = static_cast<float>(s) * envelope(t, 0.003, 0.06, 0.0, 0.16, 0.02);
    }
    fadeEnds(out, 0.0, 0.02);
    normalize(out, 0.75f);
    return out;
}

// A powerup ready: two rising glassy notes.
std::vector<float> makePowerupReady()
{
    std::vector<float> out(static_cast<size_t>(samplesOf(0.8)), 0.0f);
    addBell(out, 0, 0.12, midiToHz(76), 0.3f, false, 0.8, 0.25);
    addBell(out, samplesOf(0.1), 0.3, midiToHz(83), 0.3f, false, 0.8, 0.3);
    addSine(out, samplesOf(0.1), 0.6, midiToHz(95), 0.05f, 0.02, 0.15, false);
    fadeEnds(out, 0.0, 0.1);
    normalize(out, 0.8f);
    return out;
}

void addSound(std::vector<PackAsset>& out, const std::string& name, const std::vector<float>& samples,
              int channels, float quality, int serial)
{
    PackAsset asset;
    asset.name = "sounds\\" + name;
    asset.data = encodeOggVorbis(samples, channels, kRate, quality, serial);
    out.push_back(std::move(asset));
}

}  // namespace

void generateSounds(std::vector<PackAsset>& out)
{
    // Serial numbers are fixed so the bytes never change between builds.
    int serial = 0x54530100;
    const float effectQuality = 0.4f;
    const float loopQuality = 0.35f;

    addSound(out, "stab6.ogg", makeStab(), 1, effectQuality, serial++);
    addSound(out, "clunk-hardcore.ogg", makeClunk(), 1, effectQuality, serial++);
    addSound(out, "swish.ogg", makeSwish(), 1, effectQuality, serial++);
    addSound(out, "tick.ogg", makeTick(), 1, effectQuality, serial++);
    {
        std::vector<float> l, r;
        renderMassIncrease(l, r);
        addSound(out, "massincrease.ogg", interleave(l, r), 2, loopQuality, serial++);
    }
    addSound(out, "subdrop.ogg", makeSubdrop(), 1, effectQuality, serial++);
    addSound(out, "woob.ogg", makeWoob(), 1, effectQuality, serial++);
    addSound(out, "explosey3.ogg", makeExplosion(), 1, effectQuality, serial++);
    {
        std::vector<float> l, r;
        renderEthereal(l, r);
        addSound(out, "ethereal2.ogg", interleave(l, r), 2, loopQuality, serial++);
    }
    addSound(out, "lazor.ogg", makeLazor(), 1, effectQuality, serial++);
    addSound(out, "cheeve6.ogg", makeCheeve(), 1, effectQuality, serial++);
    addSound(out, "endbreakshort3.ogg", makeEndBreak(), 1, effectQuality, serial++);
    {
        std::vector<float> tune;
        renderTrololo(tune);
        addSound(out, "trololo.ogg", tune, 1, loopQuality, serial++);
    }
    addSound(out, "clockbeep.ogg", makeClockBeep(), 1, effectQuality, serial++);
    addSound(out, "powerupready.ogg", makePowerupReady(), 1, effectQuality, serial++);
    {
        // The melody is rendered seamless, but the encoder rebuilds the stream's two ends apart:
        // at the loops' quality its end came back ~500 off its start, a tick every time the menu
        // music wrapped over its soft pads. At this quality the decoded seam keeps its value and
        // slope (the drums hide such errors in their own hats and stay at the loops' quality).
        const float melodyQuality = 0.8f;
        std::vector<float> l, r;
        renderMelodyLoop(l, r);
        addSound(out, "tsdnb_melody_loop.ogg", interleave(l, r), 2, melodyQuality, serial++);
        renderDrumLoop(l, r);
        addSound(out, "tsdnb_drums.ogg", interleave(l, r), 2, loopQuality, serial++);
    }
}
