#include "host/codec.h"

#include <jpeglib.h>
#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "host/picture_scale.h"
#include "host/worker.h"

namespace host {

namespace {

// ---- JPEG ------------------------------------------------------------------------------

struct JpegError {
  jpeg_error_mgr base;
  std::jmp_buf escape;
};

void JpegFail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->escape, 1);
}

void JpegReport(j_common_ptr info) {
  char text[JMSG_LENGTH_MAX];
  info->err->format_message(info, text);
  std::fprintf(stderr, "lumorra: damaged picture resource: %s\n", text);
}

// Reads the header; on success the caller owns an open decompressor.
bool OpenJpeg(jpeg_decompress_struct& info, JpegError& error, std::span<const std::uint8_t> bytes) {
  info.err = jpeg_std_error(&error.base);
  error.base.error_exit = JpegFail;
  error.base.output_message = JpegReport;
  jpeg_create_decompress(&info);
  if (setjmp(error.escape)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  return true;
}

// Decodes rows [from, to) into `pixels` and counts the rows done in `*rows`, which lives outside
// this frame so that it survives an error's jump out of the decoder; tells `done` as it goes.
void DecodeJpegRows(std::span<const std::uint8_t> bytes, std::uint32_t* pixels, int width,
                    int height, int from, int to, int* rows, const std::function<void(int)>& done) {
  jpeg_decompress_struct info;
  JpegError error;
  if (!OpenJpeg(info, error, bytes)) return;
  if (setjmp(error.escape)) {
    jpeg_destroy_decompress(&info);
    return;
  }
  // Straight into the XRGB layout of our pictures: no intermediate RGB buffer and no
  // conversion pass, which matters on machines where touching fresh memory is slow.
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  info.out_color_space = JCS_EXT_BGRX;
#else
  info.out_color_space = JCS_EXT_XRGB;
#endif
  jpeg_start_decompress(&info);
  if (static_cast<int>(info.output_width) != width ||
      static_cast<int>(info.output_height) != height || info.output_components != 4) {
    jpeg_destroy_decompress(&info);
    return;
  }
  // Rows above `from` are there already: the decoder only reads past them, without making
  // their pixels.
  if (from > 0 &&
      static_cast<int>(jpeg_skip_scanlines(&info, static_cast<JDIMENSION>(from))) != from) {
    jpeg_destroy_decompress(&info);
    return;
  }
  *rows = from;
  while (static_cast<int>(info.output_scanline) < to) {
    JSAMPROW row =
        reinterpret_cast<JSAMPROW>(pixels + static_cast<std::size_t>(info.output_scanline) * width);
    jpeg_read_scanlines(&info, &row, 1);
    *rows = static_cast<int>(info.output_scanline);
    if (*rows % 16 == 0) done(*rows);
  }
  // Stopping early leaves the rest of the data unread, which the decoder would take as an error.
  if (to < height) {
    jpeg_abort_decompress(&info);
  } else {
    jpeg_finish_decompress(&info);
  }
  jpeg_destroy_decompress(&info);
}

void DecodeJpegBody(std::span<const std::uint8_t> bytes, std::uint32_t* pixels, int width,
                    int height, int from, int to, const std::function<void(int)>& done) {
  int rows = from;
  DecodeJpegRows(bytes, pixels, width, height, from, to, &rows, done);
  // What was decoded stays; whatever could not be is black.
  if (rows < to)
    std::memset(pixels + static_cast<std::size_t>(rows) * width, 0,
                static_cast<std::size_t>(to - rows) * width * 4);
}

// Decodes rows [0, rows) and at least columns [0, columns), each row into where `slot` says,
// and tells `decoded` how many rows are there after each strip. Counts the rows decoded in
// `*count`, which lives outside this frame so that it survives an error's jump out of the
// decoder.
void DecodeJpegInto(std::span<const std::uint8_t> bytes, int width, int height, int columns,
                    int rows, const std::function<std::uint32_t*(int row)>& slot,
                    const std::function<void(int rows)>& decoded, int* count) {
  jpeg_decompress_struct info;
  JpegError error;
  if (!OpenJpeg(info, error, bytes)) return;
  if (setjmp(error.escape)) {
    jpeg_destroy_decompress(&info);
    return;
  }
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  info.out_color_space = JCS_EXT_BGRX;
#else
  info.out_color_space = JCS_EXT_XRGB;
#endif
  jpeg_start_decompress(&info);
  if (static_cast<int>(info.output_width) != width ||
      static_cast<int>(info.output_height) != height || info.output_components != 4) {
    jpeg_destroy_decompress(&info);
    return;
  }
  // Columns past those read are neither transformed nor converted (the decoder widens the cut
  // to its blocks' edge).
  if (columns < width) {
    JDIMENSION left = 0, cut = static_cast<JDIMENSION>(columns);
    jpeg_crop_scanline(&info, &left, &cut);
  }
  while (*count < rows) {
    JSAMPROW strip[16];
    const int n = std::min(16, rows - *count);
    for (int i = 0; i < n; ++i) strip[i] = reinterpret_cast<JSAMPROW>(slot(*count + i));
    const int read =
        static_cast<int>(jpeg_read_scanlines(&info, strip, static_cast<JDIMENSION>(n)));
    if (read <= 0) break;  // never from memory, which does not run dry; but never loop on it
    *count += read;
    decoded(*count);
  }
  if (rows < height) {
    jpeg_abort_decompress(&info);
  } else {
    jpeg_finish_decompress(&info);
  }
  jpeg_destroy_decompress(&info);
}

// Decodes the rows a scaled picture reads on the calling thread and scales them on another as
// they come, through a few rows' room: the image is never held whole, and the scaling costs
// little more time than the decode. Without a second thread the calling one does both in turn.
class ScaledDecode {
 public:
  ScaledDecode(int width, int height, ScaledSize size, std::uint32_t* pixels,
               const std::function<void(int)>& done)
      : width_(width),
        height_(height),
        size_(size),
        pixels_(pixels),
        done_(done),
        scaler_(width, height, size.scaledWidth, size.scaledHeight, size.width, size.height),
        rows_(scaler_.Rows()),
        good_(rows_),
        slots_(static_cast<std::size_t>(kSlots) * width) {}

  void Run(std::span<const std::uint8_t> bytes) {
    std::optional<std::thread> scaling;
    try {
      scaling.emplace([this] { Scale(true); });
    } catch (const std::system_error&) {
      // No thread to spare: this one scales whenever the slots are full.
    }
    alone_ = !scaling;
    int count = 0;
    DecodeJpegInto(
        bytes, width_, height_, scaler_.Columns(), rows_, [this](int row) { return Slot(row); },
        [this](int rows) { Decoded(rows); }, &count);
    // What was decoded stays; whatever could not be is black.
    good_.store(count, std::memory_order_relaxed);
    Decoded(rows_);
    if (scaling) {
      scaling->join();
    } else {
      Scale(true);
    }
  }

 private:
  // Three of the decoder's strips: it can go on with the next while the last is scaled.
  static constexpr int kSlots = 48;
  // The picture's pages are mapped this many rows at a time, by the scaling thread, rather
  // than all before the decode starts: that thread has time to spare.
  static constexpr int kBand = 128;

  const std::uint32_t* Row(int row) {
    if (row < good_.load(std::memory_order_relaxed))
      return slots_.data() + static_cast<std::size_t>(row % kSlots) * width_;
    black_.resize(static_cast<std::size_t>(width_));
    return black_.data();
  }

  void ScaleRow(int row) {
    if (mapped_ < size_.height && mapped_ - reported_ < kBand / 2) {
      const int next = std::min(size_.height, mapped_ + kBand);
      MapPictureRows(pixels_, size_.width, mapped_, next);
      mapped_ = next;
    }
    const int made = scaler_.Push(Row(row), pixels_, size_.width);
    if (made >= reported_ + 16 || made == size_.height) done_(reported_ = made);
    if (row % 8 == 7) Free(row + 1);
  }

  // Scales the rows decoded so far, or with `all` every row, waiting for the decoder.
  void Scale(bool all) {
    for (int row = scaled_.load(std::memory_order_relaxed); row < rows_;) {
      const int there = decoded_.load(std::memory_order_acquire);
      if (row < there) {
        for (; row < there; ++row) ScaleRow(row);
        continue;
      }
      // About to wait, or stopping: the decoder hears how far the slots are free.
      Free(row);
      if (!all) return;
      decoded_.wait(there, std::memory_order_acquire);
    }
    scaled_.store(rows_, std::memory_order_release);
  }

  void Free(int rows) {
    scaled_.store(rows, std::memory_order_release);
    scaled_.notify_one();
  }

  // Where the decoder writes `row`, once the scaler is done with the slot's previous row.
  std::uint32_t* Slot(int row) {
    for (int free = scaled_.load(std::memory_order_acquire); row - free >= kSlots;
         free = scaled_.load(std::memory_order_acquire)) {
      if (alone_) {
        Scale(false);
      } else {
        scaled_.wait(free, std::memory_order_acquire);
      }
    }
    return slots_.data() + static_cast<std::size_t>(row % kSlots) * width_;
  }

  void Decoded(int rows) {
    decoded_.store(rows, std::memory_order_release);
    decoded_.notify_one();
  }

  const int width_, height_;
  const ScaledSize size_;
  std::uint32_t* const pixels_;
  const std::function<void(int)>& done_;
  RowScaler scaler_;
  const int rows_;
  std::atomic<int> decoded_{0}, scaled_{0};
  std::atomic<int> good_;  // rows from here down could not be decoded
  bool alone_ = false;
  std::vector<std::uint32_t> slots_, black_;
  int reported_ = 0, mapped_ = 0;  // rows told `done_` of, rows whose pages are mapped
};

// ---- Sound -----------------------------------------------------------------------------

struct MemoryFile {
  std::span<const std::uint8_t> bytes;
  sf_count_t position = 0;
};

sf_count_t MemLength(void* user) {
  return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size());
}
sf_count_t MemSeek(sf_count_t offset, int whence, void* user) {
  auto* f = static_cast<MemoryFile*>(user);
  const auto size = static_cast<sf_count_t>(f->bytes.size());
  sf_count_t to = whence == SEEK_SET   ? offset
                  : whence == SEEK_CUR ? f->position + offset
                                       : size + offset;
  f->position = std::clamp<sf_count_t>(to, 0, size);
  return f->position;
}
sf_count_t MemRead(void* out, sf_count_t count, void* user) {
  auto* f = static_cast<MemoryFile*>(user);
  const auto size = static_cast<sf_count_t>(f->bytes.size());
  const sf_count_t n = std::clamp<sf_count_t>(count, 0, size - f->position);
  std::memcpy(out, f->bytes.data() + f->position, static_cast<std::size_t>(n));
  f->position += n;
  return n;
}
sf_count_t MemWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t MemTell(void* user) { return static_cast<MemoryFile*>(user)->position; }

SF_VIRTUAL_IO memoryIo{MemLength, MemSeek, MemRead, MemWrite, MemTell};

struct OpenSound {
  MemoryFile file;
  SF_INFO info{};
  SNDFILE* handle = nullptr;
  ~OpenSound() {
    if (handle) sf_close(handle);
  }
};

std::vector<std::int16_t> DecodeSoundBody(OpenSound& sound) {
  const int channels = sound.info.channels;
  const int rate = sound.info.samplerate;
  std::vector<std::int16_t> in;
  std::vector<std::int16_t> block(4096 * static_cast<std::size_t>(channels));
  for (;;) {
    const sf_count_t frames = sf_readf_short(sound.handle, block.data(), 4096);
    if (frames <= 0) break;
    in.insert(in.end(), block.begin(), block.begin() + frames * channels);
  }
  if (sf_error(sound.handle) != SF_ERR_NO_ERROR)
    std::fprintf(stderr, "lumorra: damaged sound resource: %s\n", sf_strerror(sound.handle));

  // To the core's 44.1 kHz stereo: mono is doubled, extra channels are dropped, another
  // rate is resampled linearly (our own sounds are made at 44.1 kHz and pass unchanged).
  const std::size_t inFrames = in.size() / channels;
  auto sample = [&](std::size_t frame, int ch) {
    return in[frame * channels + std::min(ch, channels - 1)];
  };
  const std::size_t outFrames =
      rate == SoundData::kRate
          ? inFrames
          : static_cast<std::size_t>(static_cast<double>(inFrames) * SoundData::kRate / rate);
  std::vector<std::int16_t> out(outFrames * 2);
  for (std::size_t i = 0; i < outFrames; ++i) {
    for (int ch = 0; ch < 2; ++ch) {
      if (rate == SoundData::kRate) {
        out[i * 2 + ch] = sample(i, ch);
        continue;
      }
      const double pos = static_cast<double>(i) * rate / SoundData::kRate;
      const auto a = static_cast<std::size_t>(pos);
      const std::size_t b = std::min(a + 1, inFrames - 1);
      const double t = pos - static_cast<double>(a);
      out[i * 2 + ch] = static_cast<std::int16_t>(sample(a, ch) * (1 - t) + sample(b, ch) * t);
    }
  }
  return out;
}

}  // namespace

std::shared_ptr<Picture> DecodePicture(std::span<const std::uint8_t> bytes,
                                       const FirstRows& firstRows) {
  jpeg_decompress_struct info;
  JpegError error;
  if (bytes.empty() || !OpenJpeg(info, error, bytes)) return nullptr;
  const int width = static_cast<int>(info.image_width);
  const int height = static_cast<int>(info.image_height);
  jpeg_destroy_decompress(&info);
  if (width <= 0 || height <= 0 || width > 32000 || height > 32000) return nullptr;
  const int rows = firstRows ? firstRows(width, height) : height;
  try {
    return std::make_shared<Picture>(width, height, rows,
                                     [bytes, width, height](std::uint32_t* pixels, int from, int to,
                                                            const std::function<void(int)>& done) {
                                       DecodeJpegBody(bytes, pixels, width, height, from, to, done);
                                     });
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::shared_ptr<Picture> DecodeScaledPicture(std::span<const std::uint8_t> bytes, ScaledSize size) {
  jpeg_decompress_struct info;
  JpegError error;
  if (bytes.empty() || !OpenJpeg(info, error, bytes)) return nullptr;
  const int width = static_cast<int>(info.image_width);
  const int height = static_cast<int>(info.image_height);
  jpeg_destroy_decompress(&info);
  if (width <= 0 || height <= 0 || width > 32000 || height > 32000) return nullptr;
  if (size.width <= 0 || size.height <= 0 || size.width > size.scaledWidth ||
      size.height > size.scaledHeight || size.scaledWidth > 32000 || size.scaledHeight > 32000)
    return nullptr;
  try {
    return std::make_shared<Picture>(
        size.width, size.height, size.height,
        [bytes, width, height, size](std::uint32_t* pixels, int, int,
                                     const std::function<void(int)>& done) {
          ScaledDecode(width, height, size, pixels, done).Run(bytes);
        },
        true);  // mapped as the rows are made, see ScaledDecode
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::shared_ptr<const SoundData> DecodeSound(int resourceId, std::span<const std::uint8_t> bytes) {
  auto sound = std::make_shared<OpenSound>();
  sound->file.bytes = bytes;
  sound->handle = sf_open_virtual(&memoryIo, SFM_READ, &sound->info, &sound->file);
  if (!sound->handle || sound->info.channels < 1 || sound->info.samplerate < 1000 ||
      sound->info.samplerate > 384000)
    return nullptr;
  auto samples = std::make_shared<std::vector<std::int16_t>>();
  auto done = RunInBackground([sound, samples] { *samples = DecodeSoundBody(*sound); });
  // The future hands out the samples once the decode has finished.
  std::shared_future<std::vector<std::int16_t>> result =
      std::async(std::launch::deferred, [done, samples] {
        done.wait();
        return std::move(*samples);
      }).share();
  return std::make_shared<SoundData>(resourceId, result, done);
}

}  // namespace host
