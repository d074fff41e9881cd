// Synthesised sounds at 44.1 kHz.
#pragma once

#include <vector>

namespace mg {

constexpr int kSampleRate = 44100;

// Interleaved frames of `channels` samples (1: mono; 2: left, right), each in [-1, 1].
struct Audio {
  int channels = 1;
  std::vector<float> samples;
};

// A pull on the bead chain, mono, about half a second: the switch's snap at once, then the chain
// running back up through the switch and jingling to rest.
Audio SynthChain();
// The dark room as the scene opens, stereo, about 2.6 seconds: a soft swell of room tone.
Audio SynthQuiet();
// Rain showers on the window, stereo, 38 s, fading out.
Audio SynthShowers();

}  // namespace mg
