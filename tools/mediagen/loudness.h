// Loudness after EBU R128 (ITU-R BS.1770), measured by libebur128, for mono sounds.
#pragma once

#include <vector>

namespace mg {

struct Loudness {
  double integrated = 0;    // LUFS over the whole sound
  double maxMomentary = 0;  // loudest 400 ms window, LUFS
};

// Samples in [-1, 1]. Throws std::runtime_error if the library cannot measure.
Loudness MeasureLoudness(const std::vector<float>& samples, int rate);

}  // namespace mg
