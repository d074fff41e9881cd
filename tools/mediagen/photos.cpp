#include "photos.h"

#include <vector>

#include "develop.h"
#include "encode.h"
#include "scene.h"

namespace mg {
namespace {

constexpr int kJpegQuality = 88;

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
  lit.bulbGain = 1.0;
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
  const Out outs[] = {{"lowlight1.jpg", dark, 0, nullptr},
                      {"lowlight2.jpg", dark, 1, nullptr},
                      {"chain1.jpg", lit, 0, &litGlow},
                      {"chain2.jpg", lit, 1, &litGlow},
                      {"highlight.jpg", flash, 0, nullptr}};
  for (const Out& o : outs) {
    Shot s = o.shot;
    s.chain = o.chain;
    WriteJpeg((dir / o.name).string(), Develop(sb, s, o.glow), kWidth, kHeight, kJpegQuality);
  }
}

}  // namespace mg
