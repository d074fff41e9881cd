#include <cstdint>
#include <span>

#include "media/media.h"

// Start and end of each encoded file, placed in read-only data by the build.
#define LUMORRA_MEDIA(id)                             \
  extern "C" const std::uint8_t lumorra_media_##id[]; \
  extern "C" const std::uint8_t lumorra_media_##id##_end[];
LUMORRA_MEDIA(lowlight1_jpg)
LUMORRA_MEDIA(lowlight2_jpg)
LUMORRA_MEDIA(chain1_jpg)
LUMORRA_MEDIA(chain2_jpg)
LUMORRA_MEDIA(highlight_jpg)
LUMORRA_MEDIA(chain_wav)
LUMORRA_MEDIA(quiet_ogg)
LUMORRA_MEDIA(showers_ogg)
#undef LUMORRA_MEDIA

namespace lumorra {

namespace {
std::span<const std::uint8_t> Bytes(const std::uint8_t* begin, const std::uint8_t* end) {
  return {begin, static_cast<std::size_t>(end - begin)};
}
}  // namespace

const host::ResourceTable& EmbeddedResources() {
  static const host::ResourceTable table = [] {
    using host::ResourceKind;
    host::ResourceTable t;
    t.Add(ResourceKind::Sound, 168, Bytes(lumorra_media_chain_wav, lumorra_media_chain_wav_end));
    t.Add(ResourceKind::Sound, 169, Bytes(lumorra_media_quiet_ogg, lumorra_media_quiet_ogg_end));
    t.Add(ResourceKind::Sound, 170,
          Bytes(lumorra_media_showers_ogg, lumorra_media_showers_ogg_end));
    t.Add(ResourceKind::Picture, 168,
          Bytes(lumorra_media_chain1_jpg, lumorra_media_chain1_jpg_end));
    t.Add(ResourceKind::Picture, 169,
          Bytes(lumorra_media_chain2_jpg, lumorra_media_chain2_jpg_end));
    t.Add(ResourceKind::Picture, 170,
          Bytes(lumorra_media_highlight_jpg, lumorra_media_highlight_jpg_end));
    t.Add(ResourceKind::Picture, 171,
          Bytes(lumorra_media_lowlight1_jpg, lumorra_media_lowlight1_jpg_end));
    t.Add(ResourceKind::Picture, 172,
          Bytes(lumorra_media_lowlight2_jpg, lumorra_media_lowlight2_jpg_end));
    return t;
  }();
  return table;
}

}  // namespace lumorra
