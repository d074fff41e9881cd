// Copies of a master reduced for the larger screens, made when the program is built.
#pragma once

#include <string>

namespace mg {

// Writes to `to` the master at `from` scaled down to `width` wide, as the program scales a
// master to cover a screen that wide (in linear light with its Mitchell filter, the height
// rounded up), as a JPEG of `quality` like the masters (4:2:0) with a restart marker at each row
// of blocks. A screen that wide then shows the copy's top rows as they are: the same picture
// (one more JPEG generation apart), with far fewer pixels to decode and none to scale.
// Throws std::runtime_error with a one-line message on failure.
void WriteCopy(const std::string& from, int width, int quality, const std::string& to);

// The height of a copy `width` wide: what the program scales the masters' 3840x2560 to.
int CopyHeight(int width);

}  // namespace mg
