// mediagen: renders Lumorra's pictures, sounds and icons into the directory given as the only
// argument. Nothing is read from disk: every file is computed here, deterministically, so each
// run writes identical bytes.
//
// Pictures (1920x1280 JPEG): a dark room with a bare bulb hanging near the top-left corner and a
// ball pull chain beside it.
//   lowlight1.jpg  light off; the room lit only by cool moonlight through a window off to the right
//   lowlight2.jpg  the same, with the chain pulled down
//   chain1.jpg     the bulb on, warm tungsten light filling the room
//   chain2.jpg     the same, with the chain pulled down
//   highlight.jpg  the bulb flaring: the lit room blown out far past white
// Sounds: chain.wav (chain rattle and switch click), quiet.ogg (soft low swell),
//   showers.ogg (38 s of rain on the window with a faint filament hum, fading out).
// Icons: icon-N.png, a glowing bulb on transparency, N = 16, 32, 48, 64, 128, 256.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "develop.h"
#include "encode.h"
#include "icon.h"
#include "scene.h"
#include "sound.h"

namespace {

constexpr int kJpegQuality = 88;

void writeSoundsAndIcons(const std::filesystem::path& dir) {
  using mg::AudioFormat;
  mg::writeAudio((dir / "chain.wav").string(), mg::synthChain(), mg::kSampleRate,
                 AudioFormat::kWav16, 0);
  mg::writeAudio((dir / "quiet.ogg").string(), mg::synthQuiet(), mg::kSampleRate,
                 AudioFormat::kOggVorbis, 0.4);
  mg::writeAudio((dir / "showers.ogg").string(), mg::synthShowers(), mg::kSampleRate,
                 AudioFormat::kOggVorbis, 0.3);
  for (int size : {16, 32, 48, 64, 128, 256}) {
    mg::writePng((dir / ("icon-" + std::to_string(size) + ".png")).string(), mg::renderIcon(size),
                 size, size);
  }
}

void writePictures(const std::filesystem::path& dir) {
  mg::SceneBuffers sb = mg::renderScene();
  // The camera is focused on the lamp; the room, a few metres further, is a touch soft.
  mg::defocusRoom(sb.roomMoon, 0.75);
  mg::defocusRoom(sb.roomBulb, 0.75);

  mg::Shot dark;
  dark.moonGain = 2.3;
  dark.bulbGain = 0.0;
  dark.shotNoise = 0.0020;
  dark.readNoise = 0.000030;
  dark.noiseSeed = 0xDA4Cu;

  mg::Shot lit;
  lit.moonGain = 2.3 / 60.0;  // same moon, but the exposure is set for the bulb
  lit.bulbGain = 6.5;
  lit.bloomClamp = 300;
  lit.bloom = 1.0;
  lit.starburst = 0.12;
  lit.grain = 0.6;
  lit.shotNoise = 0.0006;
  lit.readNoise = 0.000004;
  lit.noiseSeed = 0x117u;

  mg::Shot flash = lit;
  flash.moonGain *= 4.0;
  flash.bulbGain *= 4.0;
  flash.bloom = 8.0;
  flash.grain = 2.8;
  flash.bloomClamp = 3000;
  flash.starburst = 3.0;
  flash.veil = 0.8;
  flash.shotNoise = 0.0003;
  flash.noiseSeed = 0xF1A5u;

  struct Out {
    const char* name;
    mg::Shot shot;
    int chain;
    std::vector<float>* glow;
  };
  std::vector<float> litGlow;
  const Out outs[] = {{"lowlight1.jpg", dark, 0, nullptr},
                      {"lowlight2.jpg", dark, 1, nullptr},
                      {"chain1.jpg", lit, 0, &litGlow},
                      {"chain2.jpg", lit, 1, &litGlow},
                      {"highlight.jpg", flash, 0, nullptr}};
  for (const Out& o : outs) {
    mg::Shot s = o.shot;
    s.chain = o.chain;
    mg::writeJpeg((dir / o.name).string(), mg::develop(sb, s, o.glow), mg::kWidth, mg::kHeight,
                  kJpegQuality);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: mediagen OUTPUT_DIR\n");
    return 2;
  }
  try {
    std::filesystem::path dir(argv[1]);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir))
      throw std::runtime_error("cannot create output directory " + dir.string());
    // Sounds and icons are cheap and single-threaded; make them alongside the pictures.
    std::exception_ptr soundError;
    std::thread side([&] {
      try {
        writeSoundsAndIcons(dir);
      } catch (...) {
        soundError = std::current_exception();
      }
    });
    std::exception_ptr pictureError;
    try {
      writePictures(dir);
    } catch (...) {
      pictureError = std::current_exception();
    }
    side.join();
    if (pictureError) std::rethrow_exception(pictureError);
    if (soundError) std::rethrow_exception(soundError);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mediagen: %s\n", e.what());
    return 1;
  }
  return 0;
}
