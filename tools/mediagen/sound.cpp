#include "sound.h"

#include <cmath>

#include "loudness.h"
#include "mathx.h"

namespace mg {
namespace {

constexpr double kSr = kSampleRate;
constexpr double kShowersLufs = -26.0;
// The rain's loudest 400 ms come out about 3 LU above its integrated loudness.
constexpr double kChainLoudestLufs = -23.5;

// Second-order IIR section (direct form II transposed).
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0, z1 = 0, z2 = 0;
  double Run(double x) {
    double y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return y;
  }
};

Biquad MakeBiquad(double b0, double b1, double b2, double a0, double a1, double a2) {
  Biquad f;
  f.b0 = b0 / a0;
  f.b1 = b1 / a0;
  f.b2 = b2 / a0;
  f.a1 = a1 / a0;
  f.a2 = a2 / a0;
  return f;
}
Biquad Lowpass(double fc, double q) {
  double w = 2 * kPi * fc / kSr, c = std::cos(w), al = std::sin(w) / (2 * q);
  return MakeBiquad((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + al, -2 * c, 1 - al);
}
Biquad Highpass(double fc, double q) {
  double w = 2 * kPi * fc / kSr, c = std::cos(w), al = std::sin(w) / (2 * q);
  return MakeBiquad((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + al, -2 * c, 1 - al);
}
Biquad Bandpass(double fc, double q) {
  double w = 2 * kPi * fc / kSr, c = std::cos(w), al = std::sin(w) / (2 * q);
  return MakeBiquad(al, 0, -al, 1 + al, -2 * c, 1 - al);
}

void Filter(std::vector<double>& x, Biquad f) {
  for (double& v : x) v = f.Run(v);
}

// Removes any DC and sub-sonic drift.
void DcBlock(std::vector<double>& x) {
  Filter(x, Highpass(25.0, 0.707));
  Filter(x, Highpass(25.0, 0.707));
}

double PeakOf(const std::vector<double>& x) {
  double p = 0;
  for (double v : x) p = std::max(p, std::fabs(v));
  return p;
}

std::vector<float> ToFloat(const std::vector<double>& x, double gain) {
  std::vector<float> out(x.size());
  for (size_t i = 0; i < x.size(); ++i)
    out[i] = static_cast<float>(std::clamp(x[i] * gain, -1.0, 1.0));
  return out;
}

double DbToLin(double db) { return std::pow(10.0, db / 20.0); }

// Scales `x` so that its loudness (integrated, or its loudest 400 ms when `momentary`) meets
// `lufs`, with the peaks kept at or below `ceilingDb` dBFS by a gentle limiter.
std::vector<float> ToLoudness(const std::vector<double>& x, double lufs, bool momentary,
                              double ceilingDb) {
  std::vector<float> out = ToFloat(x, 0.5 / std::max(1e-9, PeakOf(x)));
  const double ceiling = DbToLin(ceilingDb);
  for (int pass = 0; pass < 4; ++pass) {
    const Loudness l = MeasureLoudness(out, kSampleRate);
    const double g = DbToLin(lufs - (momentary ? l.maxMomentary : l.integrated));
    for (float& v : out) {
      const double y = v * g;
      // Linear up to half the ceiling, then bending smoothly towards it.
      const double knee = 0.5 * ceiling, a = std::fabs(y);
      const double lim =
          a <= knee ? a : knee + (ceiling - knee) * std::tanh((a - knee) / (ceiling - knee));
      v = static_cast<float>(std::copysign(lim, y));
    }
  }
  return out;
}

// Raised-cosine fade in over [0, a) and out over the last b seconds.
void Fades(std::vector<double>& x, double a, double b) {
  size_t n = x.size();
  size_t na = static_cast<size_t>(a * kSr), nb = static_cast<size_t>(b * kSr);
  for (size_t i = 0; i < na && i < n; ++i) x[i] *= 0.5 - 0.5 * std::cos(kPi * i / na);
  for (size_t i = 0; i < nb && i < n; ++i) x[n - 1 - i] *= 0.5 - 0.5 * std::cos(kPi * i / nb);
}

// A small hard object striking metal: a handful of short, bright resonances and a tick of noise.
void Strike(std::vector<double>& out, double t0, double amp, double fLo, double fHi, double tauLo,
            double tauHi, int modes, Rng& rng) {
  size_t start = static_cast<size_t>(t0 * kSr);
  for (int m = 0; m < modes; ++m) {
    double f = std::exp(rng.Range(std::log(fLo), std::log(fHi)));
    double tau = rng.Range(tauLo, tauHi);
    double a = amp * rng.Range(0.35, 1.0) / modes * 1.6;
    double ph = rng.Range(0, 2 * kPi);
    size_t len = static_cast<size_t>(tau * 7 * kSr);
    for (size_t i = 0; i < len && start + i < out.size(); ++i) {
      double t = i / kSr;
      out[start + i] += a * std::sin(2 * kPi * f * t + ph) * std::exp(-t / tau);
    }
  }
  size_t tick = static_cast<size_t>(0.0006 * kSr);
  for (size_t i = 0; i < tick && start + i < out.size(); ++i)
    out[start + i] += amp * 0.5 * rng.Range(-1, 1) * (1.0 - static_cast<double>(i) / tick);
}

}  // namespace

std::vector<float> SynthChain() {
  const double dur = 0.56;
  std::vector<double> x(static_cast<size_t>(dur * kSr), 0.0);
  Rng rng(0xC4A1Bu);
  // Hand takes the chain: a couple of soft taps.
  Strike(x, 0.004, 0.12, 2500, 7000, 0.0015, 0.004, 3, rng);
  Strike(x, 0.021, 0.08, 2500, 7000, 0.0015, 0.004, 3, rng);
  // Beads dragged over the lip of the switch bushing: a quick, slightly irregular zipper with
  // the rest of the chain jingling underneath.
  double t = 0.05;
  for (int i = 0; i < 7; ++i) {
    Strike(x, t, rng.Range(0.22, 0.36), 2800, 8500, 0.0015, 0.0045, 4, rng);
    t += rng.Range(0.018, 0.026);
  }
  for (int i = 0; i < 26; ++i)
    Strike(x, rng.Range(0.04, 0.22), rng.Range(0.03, 0.11), 3500, 11000, 0.001, 0.003, 2, rng);
  // The switch: a sharp snap of the cam, a short body resonance and a dull thump.
  {
    const double ts = 0.215;
    size_t s0 = static_cast<size_t>(ts * kSr);
    const double modes[][3] = {{1850, 0.011, 0.55},
                               {3350, 0.006, 0.45},
                               {6400, 0.003, 0.35},
                               {9100, 0.0015, 0.25},
                               {140, 0.018, 0.45}};
    for (const auto& m : modes) {
      size_t len = static_cast<size_t>(m[1] * 8 * kSr);
      for (size_t i = 0; i < len && s0 + i < x.size(); ++i) {
        double tt = i / kSr;
        double att = std::min(1.0, tt / 0.0002);
        x[s0 + i] += m[2] * att * std::sin(2 * kPi * m[0] * tt) * std::exp(-tt / m[1]);
      }
    }
    size_t tick = static_cast<size_t>(0.0012 * kSr);
    for (size_t i = 0; i < tick; ++i)
      x[s0 + i] += 0.8 * rng.Range(-1, 1) * (1.0 - static_cast<double>(i) / tick);
    // the cam settling into its detent
    Strike(x, ts + 0.027, 0.30, 1500, 5000, 0.002, 0.006, 4, rng);
  }
  // Let go: the spring takes a few beads back in, then the chain swings and rattles to rest.
  t = 0.262;
  for (int i = 0; i < 4; ++i) {
    Strike(x, t, 0.30 * std::pow(0.8, i), 2800, 8500, 0.0015, 0.004, 4, rng);
    t += rng.Range(0.012, 0.017);
  }
  for (int i = 0; i < 30; ++i) {
    double tt = 0.30 + 0.24 * std::pow(rng.Uni(), 1.6);
    double a = 0.16 * std::exp(-(tt - 0.30) / 0.07) * rng.Range(0.3, 1.0);
    Strike(x, tt, a, 3000, 10000, 0.001, 0.0035, 3, rng);
  }
  Filter(x, Highpass(120.0, 0.7));
  DcBlock(x);
  Fades(x, 0.001, 0.02);
  // As loud at its loudest as the rain is at its loudest, so the pull is heard over the show.
  return ToLoudness(x, kChainLoudestLufs, true, -1.0);
}

std::vector<float> SynthQuiet() {
  const double dur = 2.6;
  size_t n = static_cast<size_t>(dur * kSr);
  std::vector<double> rumble(n), air(n);
  Rng rng(0x51E7u);
  double brown = 0;
  for (size_t i = 0; i < n; ++i) {
    brown = 0.997 * brown + 0.06 * rng.Normal();
    rumble[i] = brown;
    air[i] = rng.Normal();
  }
  // Low, but above 80 Hz: small speakers reproduce next to nothing below that.
  Filter(rumble, Bandpass(190.0, 0.8));
  Filter(rumble, Highpass(95.0, 0.7));
  Filter(rumble, Highpass(95.0, 0.7));
  Filter(air, Bandpass(900.0, 0.5));
  Filter(air, Lowpass(2500.0, 0.7));
  // A distant roll: swells in, rolls a couple of times, dies away.
  const double bumps[][3] = {
      {0.55, 0.22, 0.8}, {0.95, 0.30, 1.0}, {1.45, 0.35, 0.7}, {1.9, 0.4, 0.35}};
  std::vector<double> x(n);
  for (size_t i = 0; i < n; ++i) {
    double t = i / kSr;
    double env = 0.15 * Smoothstep(0.0, 0.5, t);
    for (const auto& b : bumps) env += b[2] * std::exp(-0.5 * Sq((t - b[0]) / b[1]));
    double swell = std::sin(kPi * std::min(1.0, t / dur));
    x[i] = rumble[i] * env + air[i] * 0.05 * swell * swell;
    // a faint tone underneath, like the room itself
    x[i] += 0.02 * swell * (std::sin(2 * kPi * 110.0 * t) + 0.5 * std::sin(2 * kPi * 165.0 * t));
  }
  DcBlock(x);
  Fades(x, 0.08, 0.7);
  return ToLoudness(x, -27.0, false, -3.0);
}

std::vector<float> SynthShowers() {
  const double dur = 38.0;
  size_t n = static_cast<size_t>(dur * kSr);
  Rng rng(0x5A1Bu);
  // Shower intensity over time: rain comes and goes in heavier bursts.
  auto intensity = [](double t) {
    double s = 0.55;
    s += 0.30 * std::exp(-0.5 * Sq((t - 10.0) / 3.5));
    s += 0.40 * std::exp(-0.5 * Sq((t - 24.0) / 4.0));
    s += 0.08 * std::sin(2 * kPi * 0.11 * t + 0.7) + 0.06 * std::sin(2 * kPi * 0.37 * t + 2.1);
    return std::max(0.2, s);
  };

  // The hiss of rain: noise shaped to the band where drops on glass and sills sound.
  std::vector<double> bed(n), sizzle(n), rumble(n);
  double brown = 0;
  for (size_t i = 0; i < n; ++i) {
    bed[i] = rng.Normal();
    sizzle[i] = rng.Normal();
    brown = 0.998 * brown + 0.05 * rng.Normal();
    rumble[i] = brown;
  }
  Filter(bed, Highpass(450.0, 0.7));
  Filter(bed, Lowpass(5200.0, 0.7));
  Filter(bed, Lowpass(9000.0, 0.7));
  Filter(sizzle, Highpass(4000.0, 0.7));
  Filter(rumble, Lowpass(110.0, 0.7));
  Filter(rumble, Lowpass(110.0, 0.7));

  std::vector<double> x(n, 0.0);
  // slow gusts so the bed does not sound like a steady machine
  double gustPh1 = rng.Range(0, 2 * kPi), gustPh2 = rng.Range(0, 2 * kPi);
  for (size_t i = 0; i < n; ++i) {
    double t = i / kSr;
    double I = intensity(t);
    double gust = 0.85 + 0.10 * std::sin(2 * kPi * 0.07 * t + gustPh1) +
                  0.05 * std::sin(2 * kPi * 0.23 * t + gustPh2);
    x[i] = bed[i] * 0.030 * I * gust + sizzle[i] * 0.005 * I + rumble[i] * 0.04;
  }

  // Drops hitting the pane: short pings with a slight downward glide.
  std::vector<double> drops(n, 0.0);
  auto ping = [&](double t0, double f, double tau, double amp) {
    size_t s0 = static_cast<size_t>(t0 * kSr);
    size_t len = static_cast<size_t>(tau * 7 * kSr);
    double ph = 0;
    for (size_t i = 0; i < len && s0 + i < n; ++i) {
      double tt = i / kSr;
      double fi = f * (1.0 - 0.18 * (1.0 - std::exp(-tt / (tau * 1.5))));
      ph += 2 * kPi * fi / kSr;
      double att = std::min(1.0, tt / 0.0004);
      drops[s0 + i] += amp * att * std::sin(ph) * std::exp(-tt / tau);
    }
    size_t tick = static_cast<size_t>(0.0005 * kSr);
    for (size_t i = 0; i < tick && s0 + i < n; ++i)
      drops[s0 + i] += amp * 0.6 * rng.Range(-1, 1) * (1.0 - static_cast<double>(i) / tick);
  };
  // Drops tapping on the pane: 10 to 30 a second depending on the shower, each a sharp click
  // of glass between 2 and 6 kHz, standing well out of the hiss.
  auto tap = [&](double t0, double f, double amp) {
    const size_t s0 = static_cast<size_t>(t0 * kSr);
    const double tau = rng.Range(0.0012, 0.0035);
    const double f2 = f * rng.Range(1.45, 1.75);
    const size_t len = static_cast<size_t>(tau * 7 * kSr);
    for (size_t i = 0; i < len && s0 + i < n; ++i) {
      const double tt = i / kSr;
      const double att = std::min(1.0, tt / 0.00015);
      drops[s0 + i] += amp * att * std::exp(-tt / tau) *
                       (std::sin(2 * kPi * f * tt) + 0.5 * std::sin(2 * kPi * f2 * tt));
    }
  };
  double t = 0;
  while (true) {
    const double I = intensity(t);
    const double rate = std::clamp(20.0 * I, 10.0, 30.0);
    t += -std::log(1.0 - rng.Uni() * 0.999999) / rate;
    if (t >= dur) break;
    const double f = std::exp(rng.Range(std::log(2200.0), std::log(5600.0)));
    tap(t, f, 0.11 * std::exp(0.35 * rng.Normal()) * (0.7 + 0.3 * I));
  }
  // fewer, fatter drops from the top of the frame
  t = 0;
  while (true) {
    t += -std::log(1.0 - rng.Uni() * 0.999999) / 1.6;
    if (t >= dur) break;
    ping(t, rng.Range(520.0, 1150.0), rng.Range(0.012, 0.03), 0.03 * rng.Range(0.5, 1.0));
  }
  // a drip somewhere outside, roughly regular
  t = 0.7;
  while (t < dur) {
    ping(t, 780.0 * rng.Range(0.97, 1.03), 0.035, 0.022);
    t += rng.Range(1.15, 1.55);
  }
  Filter(drops, Highpass(300.0, 0.7));
  for (size_t i = 0; i < n; ++i) x[i] += drops[i];

  // Faint hum of the filament on 50 Hz mains (mostly at twice the line frequency).
  double humPh = rng.Range(0, 2 * kPi);
  for (size_t i = 0; i < n; ++i) {
    double tt = i / kSr;
    double wob = 1.0 + 0.2 * std::sin(2 * kPi * 0.17 * tt + humPh);
    double h = 0.0060 * std::sin(2 * kPi * 100.0 * tt) + 0.0030 * std::sin(2 * kPi * 200.0 * tt) +
               0.0015 * std::sin(2 * kPi * 300.0 * tt) + 0.0015 * std::sin(2 * kPi * 50.0 * tt);
    x[i] += h * wob;
  }
  DcBlock(x);
  Fades(x, 1.2, 5.0);
  // In the background, under the pull of the chain.
  return ToLoudness(x, kShowersLufs, false, -3.0);
}

}  // namespace mg
