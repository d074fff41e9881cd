#pragma once

#include <cstdint>
#include <functional>
#include <future>
#include <memory>

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
class Picture {
 public:
  Picture(int width, int height);
  // A picture whose pixels are filled in by `fill`, run once on a worker thread.
  Picture(int width, int height, std::function<void(std::uint32_t* pixels)> fill);
  ~Picture();
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }

  std::uint32_t* Pixels();
  const std::uint32_t* Pixels() const;
  std::uint32_t Pixel(int x, int y) const {
    return Pixels()[static_cast<std::size_t>(y) * width_ + x];
  }

  // Never nil for a live picture; a pointer so that callers test it as they test other objects.
  host::Graphics* Graphics() { return &graphics_; }

 private:
  void WaitReady() const;

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
  mutable std::shared_future<void> ready_;
  host::Graphics graphics_{*this};
};

// A blank (black) picture, or nil when the size or depth cannot be made.
std::shared_ptr<Picture> NewPicture(int width, int height, int depth);

// A width x height picture showing all of `source` scaled to scaledWidth x scaledHeight from
// its top-left corner, cut off at the picture's edges. The scaling runs on the worker thread,
// so the caller goes on while it is made and the first use of the pixels waits for it. A
// scaled size smaller than the picture, or a nil source, gives a blank picture.
std::shared_ptr<Picture> NewScaledPicture(const std::shared_ptr<Picture>& source, int width,
                                          int height, int scaledWidth, int scaledHeight);

}  // namespace host
