#include "sound.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "biquad.h"
#include "loudness.h"
#include "mathx.h"

namespace mg {
namespace {

constexpr double kSr = kSampleRate;
constexpr double kShowersLufs = -26.0;
// The rain's loudest 400 ms come out about 3 LU above its integrated loudness.
constexpr double kChainLoudestLufs = -23.5;
// The room as the scene opens: as loud as the rain will be, heard on a laptop too.
constexpr double kQuietLufs = -26.0;

using Track = std::vector<double>;

std::size_t At(double seconds) { return static_cast<std::size_t>(seconds * kSr); }

Track Noise(std::size_t n, Rng& rng) {
  Track x(n);
  for (double& v : x) v = rng.Normal();
  return x;
}

void Run(Track& x, Biquad f) { Filter(x, f); }

// `x` through each of `filters` in turn.
Track Filtered(Track x, std::initializer_list<Biquad> filters) {
  for (const Biquad& f : filters) Run(x, f);
  return x;
}

// Removes any DC and sub-sonic drift.
void DcBlock(Track& x) {
  Run(x, Highpass(25.0, 0.707, kSr));
  Run(x, Highpass(25.0, 0.707, kSr));
}

// Raised-cosine fade in over [0, a) and out over the last b seconds.
void Fades(Track& x, double a, double b) {
  const std::size_t n = x.size(), na = At(a), nb = At(b);
  for (std::size_t i = 0; i < na && i < n; ++i) x[i] *= 0.5 - 0.5 * std::cos(kPi * i / na);
  for (std::size_t i = 0; i < nb && i < n; ++i) x[n - 1 - i] *= 0.5 - 0.5 * std::cos(kPi * i / nb);
}

// Interleaves the channels and scales them together so that their loudness (integrated, or the
// loudest 400 ms when `momentary`) meets `lufs`, the peaks kept at or below `ceilingDb` dBFS by a
// gentle limiter.
Audio ToLoudness(const std::vector<Track>& channels, double lufs, bool momentary,
                 double ceilingDb) {
  Audio out;
  out.channels = static_cast<int>(channels.size());
  const std::size_t frames = channels[0].size();
  double peak = 1e-9;
  for (const Track& c : channels)
    for (double v : c) peak = std::max(peak, std::fabs(v));
  out.samples.resize(frames * channels.size());
  for (std::size_t i = 0; i < frames; ++i)
    for (std::size_t c = 0; c < channels.size(); ++c)
      out.samples[i * channels.size() + c] = static_cast<float>(channels[c][i] * 0.5 / peak);
  const double ceiling = std::pow(10.0, ceilingDb / 20.0);
  for (int pass = 0; pass < 4; ++pass) {
    const Loudness l = MeasureLoudness(out.samples, out.channels, kSampleRate);
    const double g = std::pow(10.0, (lufs - (momentary ? l.maxMomentary : l.integrated)) / 20.0);
    if (std::fabs(g - 1) < 1e-3) break;  // within 0.01 LU
    for (float& v : out.samples) {
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

// A decaying sine from `start`, with a 0.1 ms attack so that it starts without a click of its own.
void Ring(Track& out, std::size_t start, double f, double tau, double amp) {
  const std::size_t len = At(tau * 7);
  for (std::size_t i = 0; i < len && start + i < out.size(); ++i) {
    const double t = i / kSr;
    out[start + i] +=
        amp * std::min(1.0, t / 0.0001) * std::sin(2 * kPi * f * t) * std::exp(-t / tau);
  }
}

// A short burst of noise (`len` seconds, sharp onset, falling away) through a band-pass at
// `bright` Hz: the contact of two hard surfaces, without a pitch of its own. Added to `left` with
// `gainL` and, if there is one, to `right` with `gainR`; the filter's own ring-out is kept.
void Burst(Track& left, Track* right, std::size_t start, double len, double bright, double q,
           double amp, double gainL, double gainR, Rng& rng) {
  const std::size_t n = At(len), tail = At(0.003);
  Biquad band = Bandpass(bright, q, kSr), low = Highpass(250.0, 0.7, kSr);
  for (std::size_t i = 0; i < n + tail && start + i < left.size(); ++i) {
    const double env = i < n ? 1.0 - static_cast<double>(i) / n : 0.0;
    const double y = amp * low.Run(band.Run(env * rng.Normal()));
    left[start + i] += gainL * y;
    if (right) (*right)[start + i] += gainR * y;
  }
}

// A contact of two beads of the chain: mostly the click of hard surfaces meeting, and a faint
// ring. The beads are hollow and none is quite like the next (a dent, a seam, where it is struck,
// whether the link wire or the ball takes the blow), so each contact rings at partials of its
// own, scattered over the upper octaves, rather than all of them at the same few.
void Bead(Track& out, double t0, double amp, Rng& rng) {
  const std::size_t s0 = At(t0);
  const double base = std::exp(rng.Range(std::log(2300.0), std::log(6500.0)));
  for (double ratio : {1.0, rng.Range(1.45, 1.75), rng.Range(2.1, 2.9)})
    Ring(out, s0, base * ratio, rng.Range(0.0005, 0.0016) / std::sqrt(ratio),
         amp * rng.Range(0.12, 0.32) / ratio);
  Burst(out, nullptr, s0, rng.Range(0.0002, 0.0007),
        std::exp(rng.Range(std::log(2000.0), std::log(10000.0))), 0.45, amp * 1.6, 1, 0, rng);
}

// The switch: the cam snapping over, its spring's ring dying in about 3 ms, a few higher modes of
// the brass, and the clack of the whole socket, the brass shell and the porcelain inside it
// knocked by the cam: the body of the sound, a few hundred hertz.
void Snap(Track& out, double t0, double amp, Rng& rng) {
  const std::size_t s0 = At(t0);
  const double modes[][3] = {{1850, 0.0030, 0.55}, {3350, 0.0020, 0.3}, {6400, 0.0012, 0.2},
                             {9100, 0.0008, 0.15}, {430, 0.0090, 0.3},  {610, 0.0070, 0.25},
                             {870, 0.0050, 0.2}};
  for (const auto& m : modes) Ring(out, s0, m[0], m[1], amp * m[2]);
  Burst(out, nullptr, s0, 0.0009, 4500, 0.5, amp * 1.6, 1, 0, rng);
  // the knock: a dull thud of noise below 900 Hz
  Track knock(At(0.012));
  for (std::size_t i = 0; i < knock.size(); ++i)
    knock[i] = rng.Normal() * std::exp(-static_cast<double>(i) / At(0.0025));
  Run(knock, Lowpass(900.0, 0.7, kSr));
  Run(knock, Lowpass(900.0, 0.7, kSr));
  Run(knock, Highpass(200.0, 0.7, kSr));
  for (std::size_t i = 0; i < knock.size() && s0 + i < out.size(); ++i)
    out[s0 + i] += amp * 0.55 * knock[i];
}

}  // namespace

Audio SynthChain() {
  Track x(At(0.48), 0.0);
  Rng rng(0xC4A1Bu);
  // The sound starts with the release of the chain, when the light changes: the switch has
  // just been tripped, so its snap comes first, and the cam settling into its detent just after.
  Snap(x, 0.003, 1.0, rng);
  Snap(x, 0.019, 0.3, rng);
  // The spring pulls the chain back up: its beads run over the lip of the bushing in a quick,
  // slightly irregular zipper...
  double t = 0.03;
  for (int i = 0; i < 7; ++i) {
    Bead(x, t, 0.32 * std::pow(0.85, i) * rng.Range(0.8, 1.0), rng);
    t += rng.Range(0.011, 0.017);
  }
  // ...and the hanging chain swings and jingles to rest, beads now and then knocking in pairs.
  for (int i = 0; i < 34; ++i) {
    const double tt = 0.07 + 0.36 * std::pow(rng.Uni(), 1.5);
    const double a = 0.17 * std::exp(-(tt - 0.07) / 0.11) * rng.Range(0.3, 1.0);
    Bead(x, tt, a, rng);
    if (rng.Uni() < 0.3) Bead(x, tt + rng.Range(0.001, 0.003), a * 0.6, rng);
  }
  Run(x, Highpass(120.0, 0.7, kSr));
  DcBlock(x);
  Fades(x, 0.0005, 0.03);
  // As loud at its loudest as the rain is at its loudest, so the pull is heard over the show.
  return ToLoudness({x}, kChainLoudestLufs, true, -1.0);
}

Audio SynthQuiet() {
  const double dur = 2.6;
  const std::size_t n = At(dur);
  Rng rng(0x51E7u);
  // The room's body, between 200 and 800 Hz where any loudspeaker, a laptop's too, still
  // plays: noise coloured by two broad resonances of the room, partly shared by both ears and
  // partly each ear's own, so that it has width without a hole in the middle.
  auto body = [&] {
    Track a = Noise(n, rng), b = a;
    Run(a, Bandpass(290.0, 1.1, kSr));
    Run(b, Bandpass(540.0, 0.9, kSr));
    for (std::size_t i = 0; i < n; ++i) a[i] += 0.8 * b[i];
    return Filtered(
        a, {Highpass(190.0, 0.7, kSr), Highpass(190.0, 0.7, kSr), Lowpass(850.0, 0.7, kSr)});
  };
  const Track shared = body(), ownL = body(), ownR = body();
  // The air of the room: a steady hiss up to about 6 kHz, different in each ear.
  auto air = [&] {
    return Filtered(Noise(n, rng), {Highpass(800.0, 0.7, kSr), Lowpass(6000.0, 0.7, kSr),
                                    Lowpass(6000.0, 0.7, kSr)});
  };
  const Track airL = air(), airR = air();
  // A distant roll: the body swells in, rolls a couple of times and dies away over the air.
  const double bumps[][3] = {
      {0.55, 0.22, 0.5}, {0.95, 0.30, 0.6}, {1.45, 0.35, 0.45}, {1.9, 0.4, 0.25}};
  Track left(n), right(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = i / kSr;
    double env = 0.45 * Smoothstep(0.0, 0.5, t);
    for (const auto& b : bumps) env += b[2] * std::exp(-0.5 * Sq((t - b[0]) / b[1]));
    const double steady = 0.16 * Smoothstep(0.0, 0.3, t);
    left[i] = env * (0.75 * shared[i] + 0.66 * ownL[i]) + steady * airL[i];
    right[i] = env * (0.75 * shared[i] + 0.66 * ownR[i]) + steady * airR[i];
  }
  for (Track* c : {&left, &right}) {
    DcBlock(*c);
    Fades(*c, 0.08, 0.7);
  }
  return ToLoudness({left, right}, kQuietLufs, false, -3.0);
}

namespace {

// One raindrop: the tick of its impact, a fraction of a millisecond of noise whose brightness
// and length go with the drop's size, and for some the short rising "plink" of the water it
// splashes into, at a pitch set by its size too.
void Raindrop(Track& left, Track& right, std::size_t start, double size, double amp, Rng& rng) {
  const double pan = rng.Range(0.05, 0.95) * kPi / 2;
  const double gl = std::cos(pan), gr = std::sin(pan);
  const double len = 0.00025 + 0.0008 * size * rng.Range(0.6, 1.4);
  const double bright = 7500.0 * std::pow(0.35, size) * rng.Range(0.75, 1.3);
  Burst(left, &right, start, len, bright, rng.Range(0.6, 1.4), amp, gl, gr, rng);
  if (rng.Uni() < 0.12) {
    const double f0 = 4200.0 * std::pow(0.45, size) * rng.Range(0.8, 1.25);
    const double tau = 0.0015 + 0.004 * size;
    const std::size_t n = At(tau * 5);
    double phase = 0;
    for (std::size_t i = 0; i < n && start + i < left.size(); ++i) {
      const double t = i / kSr;
      phase += 2 * kPi * f0 * (1 + 2.5 * t / (tau * 5)) / kSr;
      const double y =
          0.25 * amp * std::min(1.0, t / 0.0002) * std::sin(phase) * std::exp(-t / tau);
      left[start + i] += gl * y;
      right[start + i] += gr * y;
    }
  }
}

}  // namespace

Audio SynthShowers() {
  const double dur = 38.0;
  const std::size_t n = At(dur);
  Rng rng(0x5A1Bu);
  // Shower intensity over time: rain comes and goes in heavier bursts.
  auto intensity = [](double t) {
    double s = 0.55;
    s += 0.30 * std::exp(-0.5 * Sq((t - 10.0) / 3.5));
    s += 0.40 * std::exp(-0.5 * Sq((t - 24.0) / 4.0));
    s += 0.08 * std::sin(2 * kPi * 0.11 * t + 0.7) + 0.06 * std::sin(2 * kPi * 0.37 * t + 2.1);
    return std::max(0.2, s);
  };
  // Drops arriving at `rate` a second (times the shower's intensity), as a Poisson stream.
  auto stream = [&](double rate, auto&& each) {
    double t = 0;
    while (true) {
      t += -std::log(1.0 - rng.Uni() * 0.999999) / (rate * intensity(t));
      if (t >= dur) break;
      each(t, intensity(t));
    }
  };

  Track left(n), right(n);
  // The drops on the pane and the sill beside it are the sound: hundreds a second, most of them
  // small and soft, a few large and loud, each heard on its own or in a cluster, so the wash has
  // a grain to it that steady noise has not.
  stream(1100.0, [&](double t, double) {
    const double size = std::min(1.6, std::exp(rng.Range(std::log(0.15), std::log(1.4))));
    const double amp = 0.05 * std::pow(size, 1.5) * std::exp(0.7 * rng.Normal());
    Raindrop(left, right, At(t), size, amp, rng);
  });
  // Fewer, fatter drops from the top of the frame: duller and louder.
  stream(3.0, [&](double t, double) {
    Raindrop(left, right, At(t), rng.Range(1.2, 1.8), 0.35 * rng.Range(0.5, 1.0), rng);
  });

  // Farther off the rain drums on a roof: a dense patter heard through the building, all of it
  // below 500 Hz, that gives the shower its weight. Impacts filtered by the roof, not steady
  // noise, so it rolls rather than hisses; each ear hears its own part of the roof.
  auto roof = [&] {
    Track x(n);
    stream(900.0, [&](double t, double I) {
      x[At(t)] += I * std::exp(0.6 * rng.Normal()) * (rng.Uni() < 0.5 ? -1 : 1);
    });
    return Filtered(x, {Bandpass(260.0, 0.9, kSr), Lowpass(480.0, 0.7, kSr),
                        Highpass(140.0, 0.7, kSr), Highpass(140.0, 0.7, kSr)});
  };
  const Track roofL = roof(), roofR = roof(), roofShared = roof();
  // A faint hiss under it all, the drops too far or too small to tell apart, so the wash never
  // falls to silence between them.
  auto hiss = [&] {
    return Filtered(Noise(n, rng), {Highpass(900.0, 0.7, kSr), Lowpass(6000.0, 0.7, kSr)});
  };
  const Track hissL = hiss(), hissR = hiss();
  for (std::size_t i = 0; i < n; ++i) {
    const double I = intensity(i / kSr);
    left[i] += 0.25 * (0.7 * roofL[i] + 0.5 * roofShared[i]) + 0.011 * I * hissL[i];
    right[i] += 0.25 * (0.7 * roofR[i] + 0.5 * roofShared[i]) + 0.011 * I * hissR[i];
  }

  for (Track* c : {&left, &right}) {
    DcBlock(*c);
    Fades(*c, 1.2, 5.0);
  }
  // In the background, under the pull of the chain.
  return ToLoudness({left, right}, kShowersLufs, false, -3.0);
}

}  // namespace mg
