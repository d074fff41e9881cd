// mediagen: makes Lumorra's media. Every file is computed deterministically, so each run
// writes identical bytes.
//
//   mediagen OUTPUT_DIR
//     Sounds: chain.wav (the switch's click, then the chain running back up), quiet.ogg (the
//     room's tone swelling as the scene opens, stereo), showers.ogg (38 s of rain on the window
//     pane, stereo, fading out).
//     Icons: icon-N.png, the clear bulb on transparency, N = 16, 32, 48, 64, 128, 256.
//
//   mediagen --develop RENDER_DIR OUTPUT_DIR
//     Develops the renderer's linear pictures of the room (see scene/render.sh) into the five
//     1920x1280 JPEG photographs, each reduced from its 3840x2560 master (NAME_2x.jpg) beside it:
//       lowlight1.jpg  light off; the room lit only by moonlight through a window to the right
//       lowlight2.jpg  the same, with the chain pulled down
//       chain1.jpg     the bulb on, warm tungsten light filling the room
//       chain2.jpg     the same, with the chain pulled down
//       highlight.jpg  the bulb flaring: the lit room over-exposed, its shadows kept
//
//   mediagen --restarts OUTPUT_DIR JPEG...
//     Copies each JPEG (the masters) into OUTPUT_DIR under its own name, losslessly, with a
//     restart marker before each row of blocks, where the program's decoders can begin.
//
//   mediagen --copy MASTER WIDTH QUALITY OUTPUT
//     Writes the master scaled down to WIDTH wide as the program scales it for a screen that
//     wide (see copies.h), a JPEG of QUALITY like the masters, restart markers included: built
//     into the program for the dark master only, which the first frame on such a screen waits
//     for.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "copies.h"
#include "encode.h"
#include "icon.h"
#include "photos.h"
#include "restarts.h"
#include "sound.h"

namespace {

// How each sound of the program's media table is made; the table names the files.
struct SoundRecipe {
  std::string_view name;
  mg::Audio (*synth)();
  double vorbisQuality;
};
constexpr SoundRecipe kSoundRecipes[] = {
    {"chain", mg::SynthChain, 0},
    {"quiet", mg::SynthQuiet, 0.4},
    {"showers", mg::SynthShowers, 0.3},
};

void WriteSound(const std::filesystem::path& dir, std::string_view name, std::string_view type) {
  for (const SoundRecipe& recipe : kSoundRecipes) {
    if (recipe.name != name) continue;
    const auto format = type == "wav" ? mg::AudioFormat::kWav16 : mg::AudioFormat::kOggVorbis;
    const mg::Audio audio = recipe.synth();
    mg::WriteAudio((dir / (std::string(name) + "." + std::string(type))).string(), audio.samples,
                   audio.channels, mg::kSampleRate, format, recipe.vorbisQuality);
    return;
  }
  throw std::runtime_error("no recipe for the sound " + std::string(name));
}

void WriteSoundsAndIcons(const std::filesystem::path& dir) {
#define LUMORRA_MEDIUM(kind, number, name, type) \
  if (std::string_view(#kind) == "Sound") WriteSound(dir, #name, #type);
#include "media/media_table.def"
#undef LUMORRA_MEDIUM
  for (int size : {16, 32, 48, 64, 128, 256}) {
    mg::WritePng((dir / ("icon-" + std::to_string(size) + ".png")).string(), mg::RenderIcon(size),
                 size, size);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const bool develop = argc == 4 && std::string(argv[1]) == "--develop";
  const bool restarts = argc >= 3 && std::string(argv[1]) == "--restarts";
  const bool copy = argc == 6 && std::string(argv[1]) == "--copy";
  if (argc != 2 && !develop && !restarts && !copy) {
    std::fprintf(stderr,
                 "usage: mediagen OUTPUT_DIR\n       mediagen --develop RENDER_DIR OUTPUT_DIR\n"
                 "       mediagen --restarts OUTPUT_DIR JPEG...\n"
                 "       mediagen --copy MASTER WIDTH QUALITY OUTPUT\n");
    return 2;
  }
  try {
    if (copy) {
      mg::WriteCopy(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argv[5]);
      return 0;
    }
    std::filesystem::path dir(argv[restarts ? 2 : argc - 1]);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir))
      throw std::runtime_error("cannot create output directory " + dir.string());
    if (restarts) {
      for (int i = 3; i < argc; ++i)
        mg::WriteWithRestarts(argv[i], (dir / std::filesystem::path(argv[i]).filename()).string());
    } else if (develop) {
      mg::WritePhotographs(argv[2], dir);
    } else {
      WriteSoundsAndIcons(dir);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mediagen: %s\n", e.what());
    return 1;
  }
  return 0;
}
