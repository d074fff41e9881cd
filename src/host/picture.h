#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <vector>

namespace host {

class Picture;

// Where pictures keep their pixels: the heap, unless a backend puts memory of its own in place,
// such as memory it shares with the window system, which can then show a picture without the
// program copying it.
class PixelAllocator {
 public:
  virtual ~PixelAllocator() = default;
  // Room for `count` pixels, zeroed when `blank`; null leaves the picture to the heap.
  virtual std::uint32_t* Allocate(std::size_t count, bool blank) = 0;
  virtual void Release(std::uint32_t* pixels, std::size_t count) = 0;
};

// Pictures made from now on take their pixels from `allocator` (nil: the heap); each keeps the
// allocator it was made with until it goes.
void SetPixelAllocator(std::shared_ptr<PixelAllocator> allocator);

// Drawing into a picture.
class Graphics {
 public:
  explicit Graphics(Picture& target) : target_(target) {}

  // Scales the source rectangle of `source` into the target rectangle of this picture. A nil
  // source draws nothing. Rectangles are clipped to both pictures; scaling uses a windowed
  // filter in linear light so that a reduced photograph keeps its detail without aliasing.
  void DrawPicture(const std::shared_ptr<Picture>& source, int x, int y, int width, int height,
                   int sourceX, int sourceY, int sourceWidth, int sourceHeight);

 private:
  Picture& target_;
};

// An image held by counted reference and compared by identity. Pixels are 32-bit XRGB
// (0x00RRGGBB in a native-endian word): the core's own layout, which a backend adapts to its
// screen (a plain copy where the screen has the same layout).
//
// A picture made from a resource knows its size at once but may still be decoding on a
// worker thread; the first access to its pixels waits for that decode to finish.
//
// Such a picture may also start with only its top rows: a screen that shows the top of a
// photograph never needs the rest, whose memory is then never touched. Asking for more rows
// fills them then, so a reader always finds every row it asks for.
class Picture : public std::enable_shared_from_this<Picture> {
 public:
  // Fills rows [fromRow, toRow) of the picture's pixels from the top down, telling `done` as it
  // goes how many of the picture's rows are there, so that a reader of the top rows need not
  // wait for the bottom ones.
  using RowFill = std::function<void(std::uint32_t* pixels, int fromRow, int toRow,
                                     const std::function<void(int rows)>& done)>;

  Picture(int width, int height);
  // A picture whose pixels are filled in by `fill`, run once on a worker thread.
  Picture(int width, int height, std::function<void(std::uint32_t* pixels)> fill);
  // A picture whose top `rows` rows are filled in by `fill` on a worker thread, and the others
  // by the thread that first asks for them. The pages of the worker's rows are mapped before
  // `fill` starts, unless `fillMaps`: then `fill` maps them (MapPictureRows) as it goes, where
  // that costs it less time than waiting for all of them first.
  Picture(int width, int height, int rows, RowFill fill, bool fillMaps = false);
  ~Picture();
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }

  std::uint32_t* Pixels();
  const std::uint32_t* Pixels() const;
  // The pixels, of which only the top `rows` rows are sure to be there: for a reader that needs
  // no more, so that the rest need not be made nor waited for.
  const std::uint32_t* TopRows(int rows) const;
  // Whether the rows the worker makes are all there: a reader then waits for no other thread
  // (rows below them are made by the reader that asks for them).
  bool Made() const { return rows_.load(std::memory_order_acquire) >= firstRows_; }
  std::uint32_t Pixel(int x, int y) const {
    return Pixels()[static_cast<std::size_t>(y) * width_ + x];
  }

  // Never nil for a live picture; a pointer so that callers test it as they test other objects.
  host::Graphics* Graphics() { return &graphics_; }

 private:
  void WaitReady(int rows) const;

  struct Release {
    std::shared_ptr<PixelAllocator> allocator;
    std::size_t count = 0;
    void operator()(std::uint32_t* pixels) const;
  };
  using PixelBuffer = std::unique_ptr<std::uint32_t[], Release>;
  static PixelBuffer Allocate(int width, int height, bool blank);

  int width_;
  int height_;
  PixelBuffer pixels_;
  // The top rows_ rows are there. The first firstRows_ are made on the worker, which counts
  // them up as it goes (ready_ is set until its job is waited for); the others are made when
  // asked for, under lock_: a picture may be read from the worker and the main thread at once.
  int firstRows_;
  mutable std::atomic<int> rows_;
  mutable std::mutex lock_;
  mutable std::shared_future<void> ready_;
  // Set as the picture goes: a fill still waiting its turn on the worker is then skipped, so
  // that letting go of pictures (as quitting does) waits only for the one being made.
  std::atomic<bool> abandoned_{false};
  mutable RowFill fill_;  // kept only while rows are left to make
  host::Graphics graphics_{*this};
};

// Maps the pages that rows [from, to) of a picture's pixels (`width` a row) lie on, before they
// are first written: each page of fresh memory costs a fault at its first write, and mapping
// many in one call costs less.
void MapPictureRows(std::uint32_t* pixels, int width, int from, int to);

// The pictures held now, oldest first (those a shared pointer owns, as every maker here makes
// them): for a backend that readies them for the screen before they are first shown. Called on
// the thread that makes pictures.
std::vector<std::shared_ptr<Picture>> LivePictures();

// A blank (black) picture, or nil when the size or depth cannot be made.
std::shared_ptr<Picture> NewPicture(int width, int height, int depth);

// A width x height picture showing all of `source` scaled to scaledWidth x scaledHeight from
// its top-left corner, cut off at the picture's edges. The scaling runs on the worker thread,
// so the caller goes on while it is made and the first use of the pixels waits for it. A
// scaled size smaller than the picture, or a nil source, gives a blank picture.
std::shared_ptr<Picture> NewScaledPicture(const std::shared_ptr<Picture>& source, int width,
                                          int height, int scaledWidth, int scaledHeight);

}  // namespace host
