// Synthesised sounds, mono, 44.1 kHz, samples in [-1, 1].
#pragma once

#include <vector>

namespace mg {

constexpr int kSampleRate = 44100;

// Ball chain rattling through the switch and the click of the switch, about half a second.
std::vector<float> SynthChain();
// Soft low swell for the opening of the scene, about 2.6 seconds.
std::vector<float> SynthQuiet();
// Rain showers on the window with a faint mains hum from the filament; 38 s, fades out.
std::vector<float> SynthShowers();

}  // namespace mg
