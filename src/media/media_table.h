#pragma once

#include "host/resources.h"

namespace lumorra {

// One medium built into the program.
struct Medium {
  host::ResourceKind kind;
  int number;
  const char* file;
};

// Every medium, in the order they are fetched at start-up.
inline constexpr Medium kMedia[] = {
#define LUMORRA_MEDIUM(kind, number, name, type) \
  {host::ResourceKind::kind, number, #name "." #type},
#include "media/media_table.def"
#undef LUMORRA_MEDIUM
};

// A master's number is its photograph's plus this.
inline constexpr int kMasterNumbers = 1000;

// Each medium's number by its name (a picture and a sound may share a number), the masters'
// too.
namespace medium {
#define LUMORRA_MEDIUM(kind, number, name, type) inline constexpr int name = number;
#define LUMORRA_MASTER(number, name, type) inline constexpr int name = number;
#define LUMORRA_COPY(number, master, width, quality, name, type) inline constexpr int name = number;
#include "media/media_table.def"
#undef LUMORRA_COPY
#undef LUMORRA_MASTER
#undef LUMORRA_MEDIUM
}  // namespace medium

// A master reduced offline to cover the screens of one width exactly: its number, its
// photograph's, and its size, the masters' 3840x2560 scaled to that width (the height rounded
// up, as the program scales them).
struct MasterCopy {
  int number, photograph, width, height;
};

inline constexpr MasterCopy kMasterCopies[] = {
#define LUMORRA_MEDIUM(kind, number, name, type)
#define LUMORRA_COPY(number, master, width, quality, name, type) \
  {number, medium::master - kMasterNumbers, width, (2560 * (width) + 3839) / 3840},
#include "media/media_table.def"
#undef LUMORRA_COPY
#undef LUMORRA_MEDIUM
};

}  // namespace lumorra
