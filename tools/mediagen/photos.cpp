#include "photos.h"

#include <stb_image_resize.h>

#include <stdexcept>
#include <vector>

#include "develop.h"
#include "encode.h"
#include "scene.h"

namespace mg {
namespace {

constexpr int kJpegQuality = 88;

// The photograph made from a master of twice its size: each pixel the average of the four it
// covers, in linear light.
std::vector<uint8_t> Halve(const std::vector<uint8_t>& master, int w, int h) {
  std::vector<uint8_t> half(static_cast<size_t>(w / 2) * (h / 2) * 3);
  if (!stbir_resize_uint8_generic(master.data(), w, h, w * 3, half.data(), w / 2, h / 2, w / 2 * 3,
                                  3, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP,
                                  STBIR_FILTER_BOX, STBIR_COLORSPACE_SRGB, nullptr))
    throw std::runtime_error("cannot reduce a master");
  return half;
}

}  // namespace

void WritePhotographs(const std::string& renders, const std::filesystem::path& dir) {
  const SceneBuffers sb = LoadRenders(renders);

  Shot dark;
  dark.moonGain = 2.3;
  dark.bulbGain = 0.0;
  dark.shotNoise = 0.0020;
  dark.readNoise = 0.000030;
  dark.noiseSeed = 0xDA4Cu;

  Shot lit;
  lit.moonGain = 0.0;  // the moon is lost in the light of the bulb
  lit.bulbGain = 1.24;
  // White balance as a person sets it for a room lit by a bare bulb: gains on linear sRGB that
  // leave the plaster, lit by the 2700 K filament and its light bounced off the room, reading at
  // about 3800-4000 K: warm without turning orange, and on the black-body line, where the
  // yellowish plaster would otherwise tip it towards green. A little more contrast than the dark
  // shot, and a little more light to make up for the green taken out.
  lit.white[1] = 1.66;
  lit.white[2] = 5.32;
  lit.contrast = 1.15;
  lit.bloomClamp = 300;
  lit.bloom = 1.0;
  lit.starburst = 0.12;
  lit.grain = 0.6;
  lit.shotNoise = 0.0006;
  lit.readNoise = 0.000004;
  lit.noiseSeed = 0x117u;

  Shot flash = lit;
  // Twice the light, and the lens flooded around the bulb; the far corners keep their shadows.
  flash.bulbGain *= 2.0;
  // The tone curve's shoulder takes the colour out of so bright a wall, which would read cooler
  // than the same bulb's light at the lit exposure: balanced warmer to make up for it.
  flash.white[1] = 1.45;
  flash.white[2] = 3.3;
  flash.bloom = 14.0;
  flash.grain = 2.8;
  flash.bloomClamp = 3000;
  flash.starburst = 0.8;
  flash.shotNoise = 0.0003;
  flash.noiseSeed = 0xF1A5u;

  struct Out {
    const char* name;
    Shot shot;
    int chain;
    std::vector<float>* glow;
  };
  std::vector<float> litGlow;
  const Out outs[] = {{"lowlight1", dark, 0, nullptr},
                      {"lowlight2", dark, 1, nullptr},
                      {"chain1", lit, 0, &litGlow},
                      {"chain2", lit, 1, &litGlow},
                      {"highlight", flash, 0, nullptr}};
  for (const Out& o : outs) {
    Shot s = o.shot;
    s.chain = o.chain;
    const std::vector<uint8_t> master = Develop(sb, s, o.glow);
    const int w = sb.moon[0].w, h = sb.moon[0].h;
    if (w == 2 * kPhotoWidth) {
      WriteJpeg((dir / (std::string(o.name) + "_2x.jpg")).string(), master, w, h, kJpegQuality);
      WriteJpeg((dir / (std::string(o.name) + ".jpg")).string(), Halve(master, w, h), kPhotoWidth,
                kPhotoHeight, kJpegQuality);
    } else {
      // a trial render at another size: developed as it is, for a look
      WriteJpeg((dir / (std::string(o.name) + ".jpg")).string(), master, w, h, kJpegQuality);
    }
  }
}

}  // namespace mg
