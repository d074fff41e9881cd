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
// `firstRows` gives.
std::shared_ptr<Picture> DecodePicture(std::span<const std::uint8_t> bytes,
                                       const FirstRows& firstRows = {});

// WAV, OGG/Vorbis or anything else libsndfile reads, converted to 44.1 kHz stereo.
std::shared_ptr<const SoundData> DecodeSound(int resourceId, std::span<const std::uint8_t> bytes);

}  // namespace host
