// mediameasure: the figures the media are checked by, measured on the files.
//
//   mediameasure photos DIR   the bulb, the walls' tint and the flare, in each photograph
//   mediameasure sounds DIR   the rain's texture and balance, the chain's spectrum
//   mediameasure stop RAW     how the last sound in a recording of the program's output (signed
//                             16-bit stereo at 44.1 kHz, as SDL's disk audio driver writes it)
//                             goes silent: its level around its end, and the steps there
#include <sndfile.h>
#include <stb_image.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "measure.h"

namespace {

using namespace mg::measure;

struct Image {
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
  std::uint32_t operator()(int x, int y) const {
    const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * w + x) * 3];
    return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
  }
};

Image LoadImage(const std::string& path) {
  Image im;
  int n = 0;
  std::unique_ptr<unsigned char, void (*)(void*)> data(stbi_load(path.c_str(), &im.w, &im.h, &n, 3),
                                                       stbi_image_free);
  if (!data) throw std::runtime_error("cannot read " + path);
  im.rgb.assign(data.get(), data.get() + static_cast<std::size_t>(im.w) * im.h * 3);
  return im;
}

struct Sound {
  int channels = 0;
  double rate = 0;
  std::vector<float> x;
};

Sound LoadSound(const std::string& path) {
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) throw std::runtime_error("cannot read " + path);
  Sound s;
  s.channels = info.channels;
  s.rate = info.samplerate;
  s.x.resize(static_cast<std::size_t>(info.frames) * info.channels);
  sf_readf_float(f, s.x.data(), info.frames);
  sf_close(f);
  return s;
}

void Photos(const std::string& dir) {
  double litCct[2] = {0, 0};
  for (const char* name : {"chain1", "chain2", "highlight"})
    for (int k : {1, 2}) {
      const Image im = LoadImage(dir + "/" + name + (k == 2 ? "_2x" : "") + ".jpg");
      std::printf("%s%s: neck >=235: %d px; coil bright height: %d px", name, k == 2 ? "_2x" : "",
                  CountAtLeast(im, Scaled(kNeck, k), 235), BrightHeight(im, Scaled(kCoil, k), 235));
      double mean = 0;
      for (const Box& b : kWalls) {
        const Tint t = TintOf(im, Scaled(b, k));
        std::printf("; wall %.0f K duv %+.4f", t.cct, t.duv);
        mean += t.cct / std::size(kWalls);
      }
      if (std::string(name) == "chain1") {
        litCct[k - 1] = mean;
        std::printf("; lines beyond 160 px: %.1f levels", FlareBeyond(im, im.w, im.h, k));
      }
      if (std::string(name) == "highlight")
        std::printf("; flash-lit %+.0f K; flare beyond 160 px: %.1f levels", mean - litCct[k - 1],
                    FlareBeyond(im, im.w, im.h, k));
      std::printf("\n");
    }
}

void Sounds(const std::string& dir) {
  const Sound rain = LoadSound(dir + "/showers.ogg");
  for (int ch = 0; ch < rain.channels; ++ch) {
    const std::vector<double> x = Channel(rain.x, rain.channels, ch);
    const std::vector<double> mid(x.begin() + static_cast<std::ptrdiff_t>(6 * rain.rate),
                                  x.begin() + static_cast<std::ptrdiff_t>(30 * rain.rate));
    const double spread = LevelSpread(mid, rain.rate),
                 noise = LevelSpread(Surrogate(mid, 7), rain.rate);
    const auto power = Spectrum(x, 0, x.size(), 8192);
    std::printf(
        "rain ch%d: 1 ms level spread above 1 kHz %.2f dB (same spectrum as noise %.2f dB, "
        "ratio %.2f); octave 250 Hz %.1f dB vs 4 kHz %.1f dB (%.1f dB apart); below 120 Hz "
        "%.1f %%\n",
        ch, spread, noise, spread / noise, OctaveDb(power, rain.rate, 250),
        OctaveDb(power, rain.rate, 4000),
        OctaveDb(power, rain.rate, 4000) - OctaveDb(power, rain.rate, 250),
        100 * BandShare(power, rain.rate, 0, 120));
  }
  const Sound chain = LoadSound(dir + "/chain.wav");
  const std::vector<double> x = Channel(chain.x, chain.channels, 0);
  const auto at = [&](double s) { return static_cast<std::size_t>(s * chain.rate); };
  double where = 0;
  const double band =
      WidestBandShare(Spectrum(x, at(0.03), at(0.41), 4096), chain.rate, 600, &where);
  std::printf(
      "chain: beads 30-440 ms: %.1f %% in the fullest 600 Hz band (from %.0f Hz); switch's "
      "first 30 ms: %.1f %% below 1 kHz\n",
      100 * band, where, 100 * BandShare(Spectrum(x, 0, at(0.03), 2048), chain.rate, 0, 1000));
}

void Stop(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::int16_t> x;
  for (std::int16_t v; in.read(reinterpret_cast<char*>(&v), sizeof v);) x.push_back(v);
  // Levels in 1 ms windows; the sound ends with the last window above -50 dBFS.
  constexpr std::size_t kWindow = 44, kRate = 44100;
  std::vector<double> db;
  for (std::size_t at = 0; at + 2 * kWindow <= x.size(); at += 2 * kWindow) {
    double e = 1e-18;
    for (std::size_t i = 0; i < 2 * kWindow; ++i) e += double(x[at + i]) * x[at + i];
    db.push_back(10 * std::log10(e / (2 * kWindow) / (32768.0 * 32768.0)));
  }
  std::size_t end = db.size();
  while (end > 0 && db[end - 1] <= -50) --end;
  if (end < 2100 || end + 12 > db.size()) throw std::runtime_error("no sound ending in " + path);
  std::printf("the last sound ends at %.3f s; 1 ms levels from 25 ms before to 12 ms after:",
              end * kWindow / double(kRate));
  for (std::size_t w = end - 25; w < end + 12; ++w) std::printf(" %.0f", db[w]);
  const auto largestStep = [&](std::size_t fromMs, std::size_t toMs) {
    double m = 0;
    for (std::size_t i = 2 * kWindow * fromMs + 2; i < 2 * kWindow * toMs; ++i)
      m = std::max(m, std::fabs(double(x[i]) - x[i - 2]) / 32768.0);
    return m;
  };
  std::printf(" dBFS\nlargest step: %.4f from 25 ms before the end on; %.4f in the second before\n",
              largestStep(end - 25, end + 12), largestStep(end - 2000, end - 1000));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: mediameasure photos|sounds DIR | stop RAW\n");
    return 2;
  }
  try {
    const std::string what = argv[1];
    if (what == "photos")
      Photos(argv[2]);
    else if (what == "sounds")
      Sounds(argv[2]);
    else if (what == "stop")
      Stop(argv[2]);
    else
      throw std::runtime_error("nothing to measure called " + what);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mediameasure: %s\n", e.what());
    return 1;
  }
  return 0;
}
