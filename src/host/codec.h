#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "host/picture.h"
#include "host/sound.h"

namespace host {

// Decoding of encoded media. Both check the header at once and return nil for bytes that are
// not a picture or sound they can read; the body is decoded on the worker thread. A body
// that turns out damaged decodes as far as it can (the rest stays black or silent) and
// reports one line on stderr.
//
// The bytes are borrowed, not copied (copying megabytes would slow start-up): the worker reads
// them after these return, until the body is decoded. The picture or sound returned waits for
// its decode before it goes, so bytes that outlive it are enough. The program's own resources
// are built into the executable and live for the whole run.

// How many of a width x height picture's top rows to decode at once; the rest are decoded only
// if they are read (see Picture).
using FirstRows = std::function<int(int width, int height)>;

// JPEG, decoded straight into the picture's XRGB pixels: all of it, or first the rows
// `firstRows` gives. A JPEG with restart markers at the start of its rows of blocks is decoded
// in `bands` bands of rows at once, each on its own thread (0: one band for each processor, up
// to four); the pixels are the same however many.
std::shared_ptr<Picture> DecodePicture(std::span<const std::uint8_t> bytes,
                                       const FirstRows& firstRows = {}, int bands = 0);

// A picture's size, and the size an image is stretched to from the picture's top-left corner:
// the picture shows the stretched image's top-left width x height.
struct ScaledSize {
  int width = 0, height = 0, scaledWidth = 0, scaledHeight = 0;
  friend bool operator==(const ScaledSize&, const ScaledSize&) = default;
};

// JPEG, decoded and scaled together: the picture shows the image stretched to `size`. Only the
// rows and columns the picture shows (and the few the filter reads around them) are decoded,
// and never held whole: each row is scaled as it comes. A JPEG with restart markers at the
// start of its rows of blocks is made in `bands` bands of rows at once, each on its own thread
// (0: one band for each processor, up to four); the pixels are the same however many. The
// scaling is the same as NewScaledPicture's. Nil for bytes that are not a JPEG, or a size that
// cannot be made.
std::shared_ptr<Picture> DecodeScaledPicture(std::span<const std::uint8_t> bytes, ScaledSize size,
                                             int bands = 0);

// WAV, OGG/Vorbis or anything else libsndfile reads, converted to 44.1 kHz stereo.
std::shared_ptr<const SoundData> DecodeSound(int resourceId, std::span<const std::uint8_t> bytes);

}  // namespace host
