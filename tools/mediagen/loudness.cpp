#include "loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>

namespace mg {

Loudness MeasureLoudness(const std::vector<float>& samples, int channels, int rate) {
  if (channels != 1 && channels != 2) throw std::runtime_error("loudness: one or two channels");
  auto destroy = [](ebur128_state* s) { ebur128_destroy(&s); };
  std::unique_ptr<ebur128_state, decltype(destroy)> st(
      ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(rate),
                   EBUR128_MODE_I | EBUR128_MODE_M),
      destroy);
  if (!st) throw std::runtime_error("libebur128: cannot start a measurement");
  // A mono file is heard on both loudspeakers: count the channel twice, as BS.1770 says.
  if (channels == 1) ebur128_set_channel(st.get(), 0, EBUR128_DUAL_MONO);
  Loudness out;
  out.maxMomentary = -std::numeric_limits<double>::infinity();
  const std::size_t step = static_cast<std::size_t>(rate) / 50;  // momentary every 20 ms
  const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
  for (std::size_t at = 0; at < frames; at += step) {
    const std::size_t n = std::min(step, frames - at);
    if (ebur128_add_frames_float(st.get(), samples.data() + at * channels, n) != EBUR128_SUCCESS)
      throw std::runtime_error("libebur128: cannot add samples");
    double m = 0;
    if (ebur128_loudness_momentary(st.get(), &m) == EBUR128_SUCCESS && std::isfinite(m))
      out.maxMomentary = std::max(out.maxMomentary, m);
  }
  if (ebur128_loudness_global(st.get(), &out.integrated) != EBUR128_SUCCESS)
    throw std::runtime_error("libebur128: no integrated loudness");
  return out;
}

}  // namespace mg
