#include "host/picture.h"

#include <stb_image_resize.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "host/worker.h"

namespace host {

namespace {

// Maps the pages that rows [from, to) of a picture lie on before they are written. Each page
// of fresh memory costs a fault at its first write, and faults are slow on some virtual
// machines; mapping them all in one call costs less. Where the system cannot, the writes fault
// as usual.
void MapRows(std::uint32_t* pixels, int width, int from, int to) {
#ifdef MADV_POPULATE_WRITE
  static const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  // Only whole pages inside the rows: the allocation's own edges may border on memory that is
  // not ours to map.
  auto* const bytes = reinterpret_cast<char*>(pixels);
  const auto past = [&](std::size_t offset) {  // how far `offset` lies into its page
    return (reinterpret_cast<std::uintptr_t>(bytes) + offset) % page;
  };
  std::size_t begin = static_cast<std::size_t>(from) * width * 4;
  std::size_t end = static_cast<std::size_t>(to) * width * 4;
  if (past(begin) != 0) begin += page - past(begin);
  end -= past(end);
  if (end > begin) madvise(bytes + begin, end - begin, MADV_POPULATE_WRITE);
#else
  (void)pixels, (void)width, (void)from, (void)to;
#endif
}

// The allocator and the list of live pictures belong to the process, not to an object that owns
// them: pictures are made by free functions (NewPicture, the decoders) from code that holds no
// runtime, in tests with none at all, and may outlive the backend whose allocator made them. An
// owner would have to be handed to every maker of pictures and be kept alive by every picture.
std::mutex allocatorMutex;
std::shared_ptr<PixelAllocator> currentAllocator;

// Every picture made and not yet gone, in the order made. A picture leaves it as its destructor
// starts, under the lock that LivePictures holds while it takes references: a picture is never
// destroyed while a reference to it is being taken.
std::mutex liveMutex;
std::vector<const Picture*> live;

// Never throws: a picture left off the list is only not readied ahead.
void Enlist(const Picture* picture) noexcept {
  const std::lock_guard lock(liveMutex);
  try {
    live.push_back(picture);
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace

void MapPictureRows(std::uint32_t* pixels, int width, int from, int to) {
  MapRows(pixels, width, from, to);
}

std::vector<std::shared_ptr<Picture>> LivePictures() {
  std::vector<std::shared_ptr<Picture>> held;
  const std::lock_guard lock(liveMutex);
  held.reserve(live.size());
  for (const Picture* picture : live) {
    // Empty for a picture whose last reference is gone, or that no shared pointer owns.
    if (auto shared = std::const_pointer_cast<Picture>(picture->weak_from_this().lock()))
      held.push_back(std::move(shared));
  }
  return held;
}

void SetPixelAllocator(std::shared_ptr<PixelAllocator> allocator) {
  const std::lock_guard lock(allocatorMutex);
  currentAllocator = std::move(allocator);
}

void Picture::Release::operator()(std::uint32_t* pixels) const {
  if (allocator) {
    allocator->Release(pixels, count);
  } else {
    delete[] pixels;
  }
}

// A blank picture is black. A picture about to be decoded is left as the allocator gives it:
// the decoder writes every pixel that is read, and zeroing 10 MB first would fault in every
// page on the thread that asked for the picture instead of on the worker that decodes it.
Picture::PixelBuffer Picture::Allocate(int width, int height, bool blank) {
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::shared_ptr<PixelAllocator> allocator;
  {
    const std::lock_guard lock(allocatorMutex);
    allocator = currentAllocator;
  }
  if (allocator) {
    if (std::uint32_t* pixels = allocator->Allocate(count, blank))
      return PixelBuffer(pixels, Release{std::move(allocator), count});
  }
  PixelBuffer pixels(new (std::nothrow) std::uint32_t[count], Release{});
  if (pixels && blank) {
    MapRows(pixels.get(), width, 0, height);
    std::memset(pixels.get(), 0, count * 4);
  }
  return pixels;
}

Picture::Picture(int width, int height)
    : width_(width),
      height_(height),
      pixels_(Allocate(width, height, true)),
      firstRows_(height),
      rows_(height) {
  if (!pixels_) throw std::bad_alloc();
  Enlist(this);
}

Picture::Picture(int width, int height, std::function<void(std::uint32_t* pixels)> fill)
    : Picture(width, height, height,
              [fill = std::move(fill)](std::uint32_t* pixels, int, int,
                                       const std::function<void(int)>&) { fill(pixels); }) {}

Picture::Picture(int width, int height, int rows, RowFill fill, bool fillMaps)
    : width_(width),
      height_(height),
      pixels_(Allocate(width, height, false)),
      firstRows_(std::clamp(rows, 0, height)),
      rows_(0) {
  if (!pixels_) throw std::bad_alloc();
  if (firstRows_ < height_) fill_ = fill;
  ready_ = RunInBackground([this, fill = std::move(fill), fillMaps] {
    if (abandoned_.load(std::memory_order_acquire)) return;
    const std::function<void(int)> done = [this](int rows) {
      rows_.store(std::min(rows, firstRows_), std::memory_order_release);
      rows_.notify_all();
    };
    if (!fillMaps) MapRows(pixels_.get(), width_, 0, firstRows_);
    // Whatever happens to the fill, its rows count as there, so that no reader waits forever.
    try {
      fill(pixels_.get(), 0, firstRows_, done);
    } catch (...) {
      done(firstRows_);
      throw;
    }
    done(firstRows_);
  });
  Enlist(this);
}

Picture::~Picture() {
  {
    const std::lock_guard lock(liveMutex);
    std::erase(live, this);
  }
  abandoned_.store(true, std::memory_order_release);
  std::lock_guard hold(lock_);
  if (ready_.valid()) ready_.wait();  // the worker writes into the pixels until then
}

void Picture::WaitReady(int rows) const {
  int made = rows_.load(std::memory_order_acquire);
  if (made >= rows) return;
  if (rows <= firstRows_) {
    // The worker is still on them: wait only for as far down as asked.
    for (; made < rows; made = rows_.load(std::memory_order_acquire))
      rows_.wait(made, std::memory_order_acquire);
    return;
  }
  std::lock_guard hold(lock_);
  if (ready_.valid()) {
    ready_.wait();
    ready_ = {};
  }
  made = rows_.load(std::memory_order_relaxed);
  if (made < rows) {
    MapRows(pixels_.get(), width_, made, rows);
    fill_(pixels_.get(), made, rows, [](int) {});
    rows_.store(rows, std::memory_order_release);
    rows_.notify_all();
  }
  if (rows == height_) fill_ = nullptr;
}

std::uint32_t* Picture::Pixels() {
  WaitReady(height_);
  return pixels_.get();
}

const std::uint32_t* Picture::Pixels() const {
  WaitReady(height_);
  return pixels_.get();
}

const std::uint32_t* Picture::TopRows(int rows) const {
  WaitReady(std::clamp(rows, 0, height_));
  return pixels_.get();
}

namespace {

// Draws the source rectangle of `source`, scaled to width x height at x, y, into `dst` (a
// picture's pixels, targetWidth x targetHeight). Only the part that lands inside the target is
// computed, so a picture scaled up past the screen's edge costs no more than the screen.
void DrawScaled(std::uint32_t* dst, int targetWidth, int targetHeight, const Picture& source, int x,
                int y, int width, int height, int sourceX, int sourceY, int sourceWidth,
                int sourceHeight) {
  if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return;
  // Clip the source rectangle to the source picture; a rectangle outside it draws nothing.
  const int sx0 = std::max(sourceX, 0), sy0 = std::max(sourceY, 0);
  const int sx1 = std::min(sourceX + sourceWidth, source.Width());
  const int sy1 = std::min(sourceY + sourceHeight, source.Height());
  if (sx1 <= sx0 || sy1 <= sy0) return;
  const int tx0 = std::max(x, 0), tx1 = std::min(x + width, targetWidth);
  const int ty0 = std::max(y, 0), ty1 = std::min(y + height, targetHeight);
  if (tx1 <= tx0 || ty1 <= ty0) return;

  const auto from = [&](int rows) {  // the clipped source, of which `rows` rows are read
    return source.TopRows(rows) + static_cast<std::size_t>(sy0) * source.Width() + sx0;
  };
  std::uint32_t* out = dst + static_cast<std::size_t>(ty0) * targetWidth + tx0;
  if (width == sourceWidth && height == sourceHeight && sx0 == sourceX && sy0 == sourceY &&
      sx1 - sx0 == width && sy1 - sy0 == height) {
    const std::uint32_t* src = from(sy0 + ty1 - y);
    for (int row = ty0; row < ty1; ++row)
      std::memcpy(out + static_cast<std::size_t>(row - ty0) * targetWidth,
                  src + static_cast<std::size_t>(row - y) * source.Width() + (tx0 - x),
                  static_cast<std::size_t>(tx1 - tx0) * 4);
    return;
  }
  // The visible part of the target rectangle, as a share of the (clipped) source. The filter
  // still reads the source pixels around that share, so the cut leaves no seam.
  const auto share = [](int v, int origin, int extent) {
    return static_cast<float>(v - origin) / static_cast<float>(extent);
  };
  // The filter reads the source rows under the target rows it makes and, beyond the last, two
  // pixels of the larger of the two pictures (a few rows more for rounding).
  const double scale = static_cast<double>(height) / (sy1 - sy0);
  const int reach = static_cast<int>(std::ceil(2 / std::min(scale, 1.0))) + 2;
  const auto rowsUnder = [&](int bottom) {  // source rows read to make target rows above `bottom`
    return std::min(sy1, sy0 + static_cast<int>(std::ceil((bottom - y) / scale)) + reach);
  };
  const auto band = [&](int top, int bottom) {  // target rows [top, bottom)
    const std::uint32_t* src = from(rowsUnder(bottom));
    // The fourth byte carries no colour; it is filtered like the others and ignored.
    stbir_resize_region(src, sx1 - sx0, sy1 - sy0, source.Width() * 4,
                        dst + static_cast<std::size_t>(top) * targetWidth + tx0, tx1 - tx0,
                        bottom - top, targetWidth * 4, STBIR_TYPE_UINT8, 4,
                        STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_EDGE_CLAMP,
                        STBIR_FILTER_DEFAULT, STBIR_FILTER_DEFAULT, STBIR_COLORSPACE_SRGB, nullptr,
                        share(tx0, x, width), share(top, y, height), share(tx1, x, width),
                        share(bottom, y, height));
  };
  // A large picture is scaled in bands, top down, by two threads that each take the next band:
  // a large screen's dark copy is made before the first frame can be shown, there are two cores,
  // and a band waits only for the source rows it reads, so the scaling follows a decode that is
  // still going instead of waiting for its end.
  constexpr long kBandPixels = 1L << 20;
  const long pixels = static_cast<long>(tx1 - tx0) * (ty1 - ty0);
  if (pixels >= kBandPixels) {
    const int bands = static_cast<int>(std::min<long>(8, pixels / (kBandPixels / 4)));
    std::atomic<int> next{0};
    const auto bandsInTurn = [&] {
      for (int i = next++; i < bands; i = next++)
        band(ty0 + (ty1 - ty0) * i / bands, ty0 + (ty1 - ty0) * (i + 1) / bands);
    };
    std::optional<std::thread> helper;
    try {
      helper.emplace(bandsInTurn);
    } catch (const std::system_error&) {
      // No thread to spare: this one takes every band.
    }
    bandsInTurn();
    if (helper) helper->join();
    return;
  }
  band(ty0, ty1);
}

}  // namespace

void Graphics::DrawPicture(const std::shared_ptr<Picture>& source, int x, int y, int width,
                           int height, int sourceX, int sourceY, int sourceWidth,
                           int sourceHeight) {
  if (!source) return;
  DrawScaled(target_.Pixels(), target_.Width(), target_.Height(), *source, x, y, width, height,
             sourceX, sourceY, sourceWidth, sourceHeight);
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

std::shared_ptr<Picture> NewScaledPicture(const std::shared_ptr<Picture>& source, int width,
                                          int height, int scaledWidth, int scaledHeight) {
  if (!source || scaledWidth < width || scaledHeight < height) return NewPicture(width, height, 32);
  if (width <= 0 || height <= 0 || width > 32000 || height > 32000) return nullptr;
  try {
    // The source's own decode was queued on the worker before this job, so it is done by the
    // time the job runs.
    // The job lets go of the source once it is drawn: the finished job is kept until the
    // picture is first used, and a large source would be held that long for nothing.
    return std::make_shared<Picture>(
        width, height,
        [held = source, width, height, scaledWidth, scaledHeight](std::uint32_t* pixels) mutable {
          DrawScaled(pixels, width, height, *held, 0, 0, scaledWidth, scaledHeight, 0, 0,
                     held->Width(), held->Height());
          held.reset();
        });
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace host
