#include "host/picture.h"

#include <stb_image_resize.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "host/worker.h"

namespace host {

namespace {

// A blank picture is black. A picture about to be decoded is left as the allocator gives it:
// the decoder writes every pixel, and zeroing 10 MB first would fault in every page on the
// thread that asked for the picture instead of on the worker that decodes it.
std::unique_ptr<std::uint32_t[]> Allocate(int width, int height, bool blank) {
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  return std::unique_ptr<std::uint32_t[]>(blank ? new (std::nothrow) std::uint32_t[count]()
                                                : new (std::nothrow) std::uint32_t[count]);
}

}  // namespace

Picture::Picture(int width, int height)
    : width_(width), height_(height), pixels_(Allocate(width, height, true)) {
  if (!pixels_) throw std::bad_alloc();
}

Picture::Picture(int width, int height, std::function<void(std::uint32_t* pixels)> fill)
    : width_(width), height_(height), pixels_(Allocate(width, height, false)) {
  if (!pixels_) throw std::bad_alloc();
  std::uint32_t* target = pixels_.get();
  ready_ = RunInBackground([target, fill = std::move(fill)] { fill(target); });
}

Picture::~Picture() { WaitReady(); }

void Picture::WaitReady() const {
  if (ready_.valid()) {
    ready_.wait();
    ready_ = {};
  }
}

std::uint32_t* Picture::Pixels() {
  WaitReady();
  return pixels_.get();
}

const std::uint32_t* Picture::Pixels() const {
  WaitReady();
  return pixels_.get();
}

void Graphics::DrawPicture(const std::shared_ptr<Picture>& source, int x, int y, int width,
                           int height, int sourceX, int sourceY, int sourceWidth,
                           int sourceHeight) {
  if (!source || width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return;
  // Clip the source rectangle to the source picture; a rectangle outside it draws nothing.
  const int sx0 = std::max(sourceX, 0), sy0 = std::max(sourceY, 0);
  const int sx1 = std::min(sourceX + sourceWidth, source->Width());
  const int sy1 = std::min(sourceY + sourceHeight, source->Height());
  if (sx1 <= sx0 || sy1 <= sy0) return;

  const std::uint32_t* src =
      source->Pixels() + static_cast<std::size_t>(sy0) * source->Width() + sx0;
  const int srcStride = source->Width() * 4;

  // Scale into a scratch image of the whole target rectangle, then copy the part that lies
  // inside this picture.
  std::vector<std::uint32_t> scaled;
  const std::uint32_t* from = nullptr;
  int fromStride = 0;
  if (width == sourceWidth && height == sourceHeight && sx0 == sourceX && sy0 == sourceY &&
      sx1 - sx0 == width && sy1 - sy0 == height) {
    from = src;
    fromStride = source->Width();
  } else {
    scaled.resize(static_cast<std::size_t>(width) * height);
    // The fourth byte carries no colour; it is filtered like the others and ignored.
    stbir_resize_uint8_srgb(reinterpret_cast<const unsigned char*>(src), sx1 - sx0, sy1 - sy0,
                            srcStride, reinterpret_cast<unsigned char*>(scaled.data()), width,
                            height, width * 4, 4, STBIR_ALPHA_CHANNEL_NONE, 0);
    from = scaled.data();
    fromStride = width;
  }

  std::uint32_t* dst = target_.Pixels();
  for (int row = 0; row < height; ++row) {
    const int ty = y + row;
    if (ty < 0 || ty >= target_.Height()) continue;
    const int tx0 = std::max(x, 0), tx1 = std::min(x + width, target_.Width());
    if (tx1 <= tx0) continue;
    std::memcpy(dst + static_cast<std::size_t>(ty) * target_.Width() + tx0,
                from + static_cast<std::size_t>(row) * fromStride + (tx0 - x),
                static_cast<std::size_t>(tx1 - tx0) * 4);
  }
}

std::shared_ptr<Picture> NewPicture(int width, int height, int depth) {
  if (width <= 0 || height <= 0 || width > 32000 || height > 32000) return nullptr;
  if (depth != 32 && depth != 24) return nullptr;
  try {
    return std::make_shared<Picture>(width, height);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace host
