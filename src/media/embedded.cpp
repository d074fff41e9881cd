#include <cstdint>
#include <span>

#include "media/media.h"

// Start and end of each encoded file, placed in read-only data by the build.
#define LUMORRA_MEDIUM(kind, number, name, type)                 \
  extern "C" const std::uint8_t lumorra_media_##name##_##type[]; \
  extern "C" const std::uint8_t lumorra_media_##name##_##type##_end[];
#define LUMORRA_MASTER(number, name, type) LUMORRA_MEDIUM(Picture, number, name, type)
#define LUMORRA_COPY(number, master, width, quality, name, type) \
  LUMORRA_MEDIUM(Picture, number, name, type)
#include "media/media_table.def"
#undef LUMORRA_COPY
#undef LUMORRA_MASTER
#undef LUMORRA_MEDIUM

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
#define LUMORRA_MEDIUM(kind, number, name, type) \
  t.Add(ResourceKind::kind, number,              \
        Bytes(lumorra_media_##name##_##type, lumorra_media_##name##_##type##_end));
#define LUMORRA_MASTER(number, name, type) LUMORRA_MEDIUM(Picture, number, name, type)
#define LUMORRA_COPY(number, master, width, quality, name, type) \
  LUMORRA_MEDIUM(Picture, number, name, type)
#include "media/media_table.def"
#undef LUMORRA_COPY
#undef LUMORRA_MASTER
#undef LUMORRA_MEDIUM
    return t;
  }();
  return table;
}

}  // namespace lumorra
