// File writers. All of them produce the same bytes for the same input, so the build output is
// reproducible. Each throws std::runtime_error with a one-line message on failure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mg {

void WriteJpeg(const std::string& path, const std::vector<uint8_t>& rgb, int w, int h, int quality);
void WritePng(const std::string& path, const std::vector<uint8_t>& rgba, int w, int h);

enum class AudioFormat { kOggVorbis, kWav16 };
// Interleaved float samples in [-1, 1], `channels` to a frame.
void WriteAudio(const std::string& path, const std::vector<float>& samples, int channels, int rate,
                AudioFormat fmt, double vorbisQuality);

// Rewrites every Ogg page of `bytes` to carry `serial` and fixes the page checksums.
// Exposed for testing; returns false if the data is not a sequence of Ogg pages.
bool SetOggSerial(std::vector<uint8_t>& bytes, uint32_t serial);

}  // namespace mg
