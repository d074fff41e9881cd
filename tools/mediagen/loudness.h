// Loudness after EBU R128 (ITU-R BS.1770), measured by libebur128.
#pragma once

#include <vector>

namespace mg {

struct Loudness {
  double integrated = 0;    // LUFS over the whole sound
  double maxMomentary = 0;  // loudest 400 ms window, LUFS
};

// Interleaved samples in [-1, 1], one channel (heard on both loudspeakers) or two (left,
// right). Throws std::runtime_error if the library cannot measure.
Loudness MeasureLoudness(const std::vector<float>& samples, int channels, int rate);

}  // namespace mg
