// The synthesiser: every instrument's sample, computed, never recorded.
#include "assets/music_gen.h"

namespace vgm {

// Small fixed generator so the noise is the same on every machine.
struct Rng {
    uint32_t s;
    double Next() // -1..1
    {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return (double)s / 2147483648.0 - 1.0;
    }
};

int C5Speed(int period) { return (int)std::lround(period * kC4); }

// Sum of harmonics with per-harmonic amplitude that may change over time.
// P samples per cycle; phases start at zero so the first sample is silent.
template <typename Amp> std::vector<double> Additive(int length, int P, int maxH, Amp amp)
{
    std::vector<double> out(length, 0.0);
    for (int h = 1; h <= maxH; h++)
        for (int n = 0; n < length; n++) {
            const double a = amp(h, n);
            if (a != 0.0)
                out[n] += a * std::sin(2.0 * kPi * h * (double)(n % P) / P);
        }
    return out;
}

// A sample that is one whole loop may begin anywhere on it: start it at the
// quietest rising zero crossing so a note without an envelope does not click.
void StartAtZeroCrossing(Sample &s)
{
    const int L = (int)s.pcm.size();
    int best = 0;
    double bestAbs = 1e30;
    for (int i = 0; i < L; i++) {
        const double a = s.pcm[i], b = s.pcm[(i + 1) % L];
        if (a <= 0.0 && b > 0.0 && std::fabs(a) < bestAbs)
            bestAbs = std::fabs(a), best = i;
    }
    std::rotate(s.pcm.begin(), s.pcm.begin() + best, s.pcm.end());
}

Sample MakePad()
{
    // Three detuned saws whose partials are whole numbers of cycles in the
    // loop, so the loop joins without a click; the beating is the chorus.
    Sample s;
    s.name = "Pad";
    const int L = 32768, P = 256, base = L / P;
    s.pcm.assign(L, 0.0);
    Rng rng{0x1234567u};
    const int detune[3] = {base - 1, base, base + 1};
    for (int d = 0; d < 3; d++)
        for (int h = 1; h <= 40; h++) {
            const double a = (1.0 / h) / (1.0 + (h / 7.0) * (h / 7.0));
            const double ph = (rng.Next() + 1.0) * kPi;
            const double w = 2.0 * kPi * (double)(h * detune[d]) / L;
            for (int n = 0; n < L; n++)
                s.pcm[n] += a * std::sin(w * n + ph);
        }
    StartAtZeroCrossing(s);
    s.c5speed = C5Speed(P);
    s.loopStart = 0;
    s.loopEnd = L;
    s.gain = 0.8;
    return s;
}

Sample MakeBass()
{
    // Native pitch A1: 400 samples a cycle at 22000 samples/s. A bright
    // pluck that darkens into a round steady tone, which then loops.
    Sample s;
    s.name = "Bass";
    const int P = 400, attack = 14 * P, length = attack + 2 * P;
    const double rate = P * 55.0;
    s.pcm = Additive(length, P, 30, [&](int h, int n) {
        const double t = n < attack ? 1.0 - (double)n / attack : 0.0;
        const double cut = 2.5 + 14.0 * t * t * t;
        double a = (1.0 / h) / (1.0 + (h / cut) * (h / cut));
        if (h == 1)
            a *= 1.6; // a little more fundamental
        const double on = std::min(1.0, n / (0.003 * rate));
        return a * on;
    });
    s.c5speed = C5Speed(P);
    s.loopStart = attack;
    s.loopEnd = length;
    return s;
}

Sample MakeLead()
{
    // Native pitch C5; hollow square-ish tone, brighter on the attack, with
    // the tracker's own vibrato fading in.
    Sample s;
    s.name = "Lead";
    const int P = 128, attack = 42 * P, length = attack + 4 * P;
    s.pcm = Additive(length, P, 15, [&](int h, int n) {
        const double t = n < attack ? 1.0 - (double)n / attack : 0.0;
        const double cut = 4.5 + 6.0 * t * t;
        const double odd = (h & 1) ? 1.0 : 0.35;
        return odd / h / (1.0 + (h / cut) * (h / cut)) * std::min(1.0, n / 96.0);
    });
    s.c5speed = C5Speed(P);
    s.loopStart = attack;
    s.loopEnd = length;
    s.vibSpeed = 10;
    s.vibDepth = 6;
    s.vibRate = 40;
    return s;
}

Sample MakePluck()
{
    // Native pitch A4, half a second, upper harmonics dying first.
    Sample s;
    s.name = "Pluck";
    const int P = 64;
    const double rate = P * 440.0;
    const int length = (int)(0.5 * rate);
    s.pcm = Additive(length, P, 12, [&](int h, int n) {
        const double t = n / rate;
        return std::pow((double)h, -1.2) * std::exp(-t * (4.0 + 2.5 * h)) * std::min(1.0, n / (0.002 * rate));
    });
    for (int n = length * 9 / 10; n < length; n++)
        s.pcm[n] *= (double)(length - n) / (length / 10);
    s.c5speed = C5Speed(P);
    return s;
}

Sample MakeBell()
{
    // Native pitch E5; inharmonic partials with their own decays.
    Sample s;
    s.name = "Bell";
    const int P = 48;
    const double f0 = 659.2551, rate = P * f0;
    const int length = (int)(1.2 * rate);
    const double ratio[5] = {1.0, 2.0, 2.76, 4.07, 5.4};
    const double amp[5] = {1.0, 0.45, 0.3, 0.16, 0.1};
    const double decay[5] = {1.6, 2.4, 3.5, 5.0, 7.0};
    s.pcm.assign(length, 0.0);
    for (int k = 0; k < 5; k++)
        for (int n = 0; n < length; n++) {
            const double t = n / rate;
            s.pcm[n] += amp[k] * std::exp(-t * decay[k]) * std::sin(2.0 * kPi * f0 * ratio[k] * t);
        }
    for (int n = 0; n < length; n++) {
        s.pcm[n] *= std::min(1.0, n / (0.001 * rate));
        if (n > length * 4 / 5)
            s.pcm[n] *= (double)(length - n) / (length / 5);
    }
    s.c5speed = (int)std::lround(rate * std::pow(2.0, (60 - 76) / 12.0));
    return s;
}

Sample MakeKick()
{
    Sample s;
    s.name = "Kick";
    const double rate = 22050;
    const int length = (int)(0.35 * rate);
    s.pcm.assign(length, 0.0);
    double phase = 0.0;
    Rng rng{0xC0FFEEu};
    double lp = 0.0;
    for (int n = 0; n < length; n++) {
        const double t = n / rate;
        const double f = 44.0 + 120.0 * std::exp(-t / 0.028);
        phase += 2.0 * kPi * f / rate;
        lp += 0.3 * (rng.Next() - lp);
        const double click = lp * std::exp(-t / 0.003) * 0.4;
        s.pcm[n] = (std::sin(phase) * std::exp(-t / 0.14) + click) * std::min(1.0, n / 16.0);
        if (n > length * 3 / 4)
            s.pcm[n] *= (double)(length - n) / (length / 4);
    }
    s.c5speed = 22050;
    s.gain = 0.95;
    return s;
}

Sample MakeSnare()
{
    Sample s;
    s.name = "Snare";
    const double rate = 22050;
    const int length = (int)(0.26 * rate);
    s.pcm.assign(length, 0.0);
    Rng rng{0x5EEDu};
    double hp = 0.0, prev = 0.0, lp = 0.0;
    for (int n = 0; n < length; n++) {
        const double t = n / rate;
        const double x = rng.Next();
        hp = 0.85 * (hp + x - prev); // one-pole high-pass
        prev = x;
        lp += 0.55 * (hp - lp);
        const double tone = 0.6 * std::sin(2 * kPi * 185 * t) + 0.3 * std::sin(2 * kPi * 330 * t);
        s.pcm[n] = tone * std::exp(-t / 0.045) + 0.9 * lp * std::exp(-t / 0.075);
        s.pcm[n] *= std::min(1.0, n / 20.0);
        if (n > length * 3 / 4)
            s.pcm[n] *= (double)(length - n) / (length / 4);
    }
    s.c5speed = 22050;
    return s;
}

Sample MakeHat(bool open)
{
    Sample s;
    s.name = open ? "Open hat" : "Hat";
    const double rate = 44100;
    const int length = (int)((open ? 0.4 : 0.07) * rate);
    s.pcm.assign(length, 0.0);
    Rng rng{open ? 0xABCDu : 0x4A7u};
    double prev = 0.0, hp = 0.0, hp2 = 0.0, prev2 = 0.0;
    for (int n = 0; n < length; n++) {
        const double t = n / rate;
        const double x = rng.Next();
        hp = 0.7 * (hp + x - prev);
        prev = x;
        hp2 = 0.7 * (hp2 + hp - prev2);
        prev2 = hp;
        s.pcm[n] = hp2 * std::exp(-t / (open ? 0.11 : 0.014)) * std::min(1.0, n / 10.0);
        if (n > length * 3 / 4)
            s.pcm[n] *= (double)(length - n) / (length / 4);
    }
    s.c5speed = 44100;
    s.gain = 0.75;
    return s;
}

Sample MakeCrash()
{
    Sample s;
    s.name = "Crash";
    const double rate = 28000;
    const int length = (int)(1.3 * rate);
    s.pcm.assign(length, 0.0);
    Rng rng{0xC3A5u};
    double prev = 0.0, hp = 0.0;
    for (int n = 0; n < length; n++) {
        const double t = n / rate;
        const double x = rng.Next();
        hp = 0.8 * (hp + x - prev);
        prev = x;
        s.pcm[n] = hp * std::exp(-t / 0.42) * std::min(1.0, n / 30.0);
        if (n > length * 3 / 4)
            s.pcm[n] *= (double)(length - n) / (length / 4);
    }
    s.c5speed = 28000;
    s.gain = 0.7;
    return s;
}

Sample MakeNoise()
{
    // Looped noise made of whole-cycle partials with random phases, so it
    // repeats without a seam.
    Sample s;
    s.name = "Noise";
    const int L = 8192;
    s.pcm.assign(L, 0.0);
    Rng rng{0x9E3779B9u};
    for (int k = 40; k <= 1800; k += 3) {
        const double a = 1.0 / std::sqrt((double)k);
        const double ph = (rng.Next() + 1.0) * kPi;
        const double w = 2.0 * kPi * k / L;
        for (int n = 0; n < L; n++)
            s.pcm[n] += a * std::sin(w * n + ph);
    }
    StartAtZeroCrossing(s);
    s.c5speed = 22050;
    s.loopStart = 0;
    s.loopEnd = L;
    s.gain = 0.7;
    return s;
}

std::vector<int16_t> ToPcm16(const Sample &s)
{
    double peak = 1e-9;
    for (double v : s.pcm)
        peak = std::max(peak, std::fabs(v));
    std::vector<int16_t> out(s.pcm.size());
    for (size_t i = 0; i < s.pcm.size(); i++)
        out[i] = (int16_t)std::lround(s.pcm[i] / peak * s.gain * 32767.0);
    return out;
}

} // namespace vgm
