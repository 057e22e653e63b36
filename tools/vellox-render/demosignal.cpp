#include "demosignal.h"

#include <cmath>
#include <cstdint>

namespace vellox::render
{

namespace
{

constexpr double kPi = 3.14159265358979323846;
constexpr double kBeat = 0.5;  // seconds, 120 BPM
constexpr double kBar = 4 * kBeat;

// Small deterministic noise source (xorshift32), uniform in [-1, 1).
class Noise
{
public:
    double next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return double(state) / 2147483648.0 - 1.0;
    }

private:
    uint32_t state = 0x9E3779B9u;
};

double midiToHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// Adds a kick: a sine swept from 160 Hz down to 48 Hz with a short decay.
void addKick(std::vector<double>& l, std::vector<double>& r, int rate, double start, double gain)
{
    size_t s0 = size_t(start * rate), n = size_t(0.45 * rate);
    double phase = 0.0;
    for (size_t i = 0; i < n && s0 + i < l.size(); ++i)
    {
        double t = double(i) / rate;
        double f = 48.0 + 112.0 * std::exp(-t / 0.04);
        phase += 2.0 * kPi * f / rate;
        double v = gain * std::sin(phase) * std::exp(-t / 0.16);
        l[s0 + i] += v;
        r[s0 + i] += v;
    }
}

// Adds a snare: a noise burst over a 190 Hz body.
void addSnare(std::vector<double>& l, std::vector<double>& r, int rate, double start, double gain,
              Noise& noise)
{
    size_t s0 = size_t(start * rate), n = size_t(0.3 * rate);
    for (size_t i = 0; i < n && s0 + i < l.size(); ++i)
    {
        double t = double(i) / rate;
        double body = 0.5 * std::sin(2.0 * kPi * 190.0 * t) * std::exp(-t / 0.05);
        double v = gain * (body + 0.6 * noise.next() * std::exp(-t / 0.07));
        l[s0 + i] += v;
        r[s0 + i] += 0.9 * v;
    }
}

// Adds a hi-hat: differentiated noise (bright), panned to the right.
void addHat(std::vector<double>& l, std::vector<double>& r, int rate, double start, double gain,
            Noise& noise)
{
    size_t s0 = size_t(start * rate), n = size_t(0.08 * rate);
    double prev = 0.0;
    for (size_t i = 0; i < n && s0 + i < l.size(); ++i)
    {
        double t = double(i) / rate;
        double w = noise.next();
        double v = gain * 0.5 * (w - prev) * std::exp(-t / 0.018);
        prev = w;
        l[s0 + i] += 0.6 * v;
        r[s0 + i] += v;
    }
}

// Adds a bass note: the first six harmonics of a sawtooth with a plucked envelope.
void addBass(std::vector<double>& l, std::vector<double>& r, int rate, double start, double length,
             int note, double gain)
{
    size_t s0 = size_t(start * rate), n = size_t(length * rate);
    double f = midiToHz(note);
    for (size_t i = 0; i < n && s0 + i < l.size(); ++i)
    {
        double t = double(i) / rate;
        double saw = 0.0;
        for (int k = 1; k <= 6; ++k)
            saw += std::sin(2.0 * kPi * f * k * t) / k;
        double env = std::min(1.0, t / 0.005) * std::exp(-t / 0.35) *
                     std::min(1.0, (length - t) / 0.01);
        double v = gain * 0.5 * saw * env;
        l[s0 + i] += v;
        r[s0 + i] += v;
    }
}

// Adds a chord held for one bar: each note a sine with a soft second harmonic, the notes
// spread between the channels.
void addChord(std::vector<double>& l, std::vector<double>& r, int rate, double start,
              const int (&notes)[4], double gain)
{
    size_t s0 = size_t(start * rate), n = size_t(kBar * rate);
    for (size_t i = 0; i < n && s0 + i < l.size(); ++i)
    {
        double t = double(i) / rate;
        double env = std::min(1.0, t / 0.06) * std::min(1.0, (kBar - t) / 0.05);
        for (int k = 0; k < 4; ++k)
        {
            double f = midiToHz(notes[k]);
            double v = gain * 0.12 * env *
                       (std::sin(2.0 * kPi * f * t) + 0.25 * std::sin(4.0 * kPi * f * t));
            double pan = 0.2 + 0.2 * k;  // 0.2 .. 0.8
            l[s0 + i] += v * (1.0 - pan) * 2.0 * 0.7;
            r[s0 + i] += v * pan * 2.0 * 0.7;
        }
    }
}

} // namespace

StereoBuffer makeDemoSignal(int sampleRate)
{
    size_t frames = size_t(kDemoSeconds * sampleRate);
    std::vector<double> l(frames, 0.0), r(frames, 0.0);
    Noise noise;

    // A minor, F major, C major, G major; the bass follows the chord roots.
    static const int chords[4][4] = {{57, 60, 64, 67}, {53, 57, 60, 64}, {55, 60, 64, 67},
                                     {55, 59, 62, 67}};
    static const int bassRoots[4] = {33, 29, 36, 31};
    static const int bassSteps[8] = {0, 0, 12, 0, 7, 0, 10, 12};

    for (int bar = 0; bar < 4; ++bar)
    {
        double b0 = bar * kBar;
        addChord(l, r, sampleRate, b0, chords[bar], 1.0);
        for (int beat = 0; beat < 4; ++beat)
        {
            double t = b0 + beat * kBeat;
            if (beat == 0 || beat == 2)
                addKick(l, r, sampleRate, t, 0.9);
            else
                addSnare(l, r, sampleRate, t, 0.55, noise);
        }
        if (bar % 2 == 1)
            addKick(l, r, sampleRate, b0 + 2.5 * kBeat, 0.6);
        for (int eighth = 0; eighth < 8; ++eighth)
        {
            double t = b0 + eighth * kBeat / 2;
            addHat(l, r, sampleRate, t, eighth % 2 ? 0.25 : 0.4, noise);
            addBass(l, r, sampleRate, t, kBeat / 2 * 0.9, bassRoots[bar] + bassSteps[eighth], 0.45);
        }
    }

    // Bars 1 and 3 quiet, 2 and 4 loud. Level changes ramp over 10 ms inside the loud bar
    // (at its start going up, at its end going down), so the quiet bars stay quiet throughout.
    double peak = 0.0;
    for (size_t i = 0; i < frames; ++i)
        peak = std::max(peak, std::max(std::fabs(l[i]), std::fabs(r[i])));
    double norm = peak > 0.0 ? kDemoLoudPeak / peak : 0.0;
    double ramp = 0.01 * sampleRate;
    double barFrames = kBar * sampleRate;

    StereoBuffer out;
    out.sampleRate = sampleRate;
    out.left.resize(frames);
    out.right.resize(frames);
    for (size_t i = 0; i < frames; ++i)
    {
        int bar = int(double(i) / barFrames);
        double intoBar = double(i) - bar * barFrames;
        double level = kDemoQuietGain;
        if (bar % 2 == 1)
        {
            double fromStart = intoBar / ramp, toEnd = (barFrames - intoBar) / ramp;
            double w = std::min(1.0, std::min(fromStart, bar == 3 ? 1.0 : toEnd));
            level = kDemoQuietGain + (1.0 - kDemoQuietGain) * w;
        }
        out.left[i] = float(l[i] * norm * level);
        out.right[i] = float(r[i] * norm * level);
    }
    return out;
}

} // namespace vellox::render
