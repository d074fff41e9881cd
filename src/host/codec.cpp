#include "host/codec.h"

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>
#include <sndfile.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <exception>
#include <mutex>
#include <numeric>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
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

// What a decoder reads: a whole file, or a header of its own followed by a file's entropy-coded
// data from one of its restart markers on (see RestartPoints).
struct JpegInput {
  explicit JpegInput(std::span<const std::uint8_t> whole) : head(whole) {}
  JpegInput(std::span<const std::uint8_t> header, std::span<const std::uint8_t> data)
      : head(header), body(data) {}
  std::span<const std::uint8_t> head;
  std::span<const std::uint8_t> body;  // empty for a whole file
};

// A decoder's source that gives the header, then the data.
struct SplitSource {
  jpeg_source_mgr base;
  std::span<const std::uint8_t> body;
  bool inBody;
};

void StartSplit(j_decompress_ptr) {}
void EndSplit(j_decompress_ptr) {}

boolean FillSplit(j_decompress_ptr info) {
  auto* source = reinterpret_cast<SplitSource*>(info->src);
  if (!source->inBody) {
    source->inBody = true;
    source->base.next_input_byte = source->body.data();
    source->base.bytes_in_buffer = source->body.size();
    return TRUE;
  }
  // Past the data, as a decoder reading from memory does: an end of image, with a warning.
  static const JOCTET kEnd[] = {0xff, JPEG_EOI};
  WARNMS(info, JWRN_JPEG_EOF);
  source->base.next_input_byte = kEnd;
  source->base.bytes_in_buffer = sizeof kEnd;
  return TRUE;
}

void SkipSplit(j_decompress_ptr info, long count) {
  jpeg_source_mgr& source = *info->src;
  while (count > static_cast<long>(source.bytes_in_buffer)) {
    count -= static_cast<long>(source.bytes_in_buffer);
    FillSplit(info);
  }
  if (count <= 0) return;
  source.next_input_byte += count;
  source.bytes_in_buffer -= static_cast<std::size_t>(count);
}

// Data that begins at a restart marker other than the first has its markers numbered on from
// there, where the decoder counts from 0: any restart marker is the one it expects.
boolean ResyncAnyRestart(j_decompress_ptr info, int desired) {
  if (info->unread_marker >= JPEG_RST0 && info->unread_marker <= JPEG_RST0 + 7) {
    info->unread_marker = 0;
    return TRUE;
  }
  return jpeg_resync_to_restart(info, desired);
}

// Reads the header; on success the caller owns an open decompressor.
bool OpenJpeg(jpeg_decompress_struct& info, JpegError& error, const JpegInput& input) {
  info.err = jpeg_std_error(&error.base);
  error.base.error_exit = JpegFail;
  error.base.output_message = JpegReport;
  jpeg_create_decompress(&info);
  if (setjmp(error.escape)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  if (input.body.empty()) {
    jpeg_mem_src(&info, input.head.data(), static_cast<unsigned long>(input.head.size()));
  } else {
    // In the decoder's own memory, which goes with it.
    auto* source = static_cast<SplitSource*>((*info.mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(&info), JPOOL_PERMANENT, sizeof(SplitSource)));
    source->base.init_source = StartSplit;
    source->base.fill_input_buffer = FillSplit;
    source->base.skip_input_data = SkipSplit;
    source->base.resync_to_restart = ResyncAnyRestart;
    source->base.term_source = EndSplit;
    source->base.next_input_byte = input.head.data();
    source->base.bytes_in_buffer = input.head.size();
    source->body = input.body;
    source->inBody = false;
    info.src = &source->base;
  }
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  return true;
}

// Starts a decoder on `input` that writes the pictures' XRGB layout, checks that it makes
// `width` x `height` pixels, and runs `body(info)` on it. An error in the decoder ends `body`
// where it is: `body` holds nothing that needs destroying, and counts what it has done outside.
template <typename Body>
void DecodeJpeg(const JpegInput& input, int width, int height, const Body& body) {
  jpeg_decompress_struct info;
  JpegError error;
  if (!OpenJpeg(info, error, input)) return;
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
  body(info);
  // Stopping early leaves the rest of the data unread, which the decoder would take as an error.
  if (info.output_scanline < info.output_height) {
    jpeg_abort_decompress(&info);
  } else {
    jpeg_finish_decompress(&info);
  }
  jpeg_destroy_decompress(&info);
}

// A JPEG's width and height from its header; nullopt for bytes without one, or a size too large
// to make.
std::optional<std::pair<int, int>> JpegSize(std::span<const std::uint8_t> bytes) {
  jpeg_decompress_struct info;
  JpegError error;
  if (bytes.empty() || !OpenJpeg(info, error, JpegInput(bytes))) return std::nullopt;
  const int width = static_cast<int>(info.image_width);
  const int height = static_cast<int>(info.image_height);
  jpeg_destroy_decompress(&info);
  if (width <= 0 || height <= 0 || width > 32000 || height > 32000) return std::nullopt;
  return std::pair{width, height};
}

// Where a JPEG's rows can be decoded from other than its top: the restart markers that begin a
// row of blocks (MCUs). A decoder begun at one knows nothing of the rows above, and needs
// nothing of them but the header. Only JPEGs whose data is one stream from the top row to the
// bottom have them: a single scan, Huffman-coded (baseline or extended).
class RestartPoints {
 public:
  static std::optional<RestartPoints> Find(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 4 || bytes[0] != 0xff || bytes[1] != 0xd8) return std::nullopt;
    RestartPoints points;
    points.bytes_ = bytes;
    Header header;
    // The marker segments up to the scan's, which the data follows.
    for (std::size_t at = 2; points.data_ == 0;) {
      if (at + 4 > bytes.size() || bytes[at] != 0xff) return std::nullopt;
      if (bytes[at + 1] == 0xff) {  // a fill byte
        ++at;
        continue;
      }
      const std::size_t length = static_cast<std::size_t>(bytes[at + 2] << 8 | bytes[at + 3]);
      if (length < 2 || at + 2 + length > bytes.size() || !points.Read(at, length, header))
        return std::nullopt;
      at += 2 + length;
    }
    if (header.interval <= 0 || points.height_ <= 0 || header.width <= 0) return std::nullopt;
    // A single component's MCU is one block; interleaved ones, the largest sampling factors'.
    if (header.components == 1) header.wide = header.tall = 1;
    points.blockRows_ = 8 * header.tall;
    points.blocksAcross_ = (header.width + 8 * header.wide - 1) / (8 * header.wide);
    points.interval_ = header.interval;
    // The rows of MCUs from one row that begins an interval to the next.
    points.step_ = header.interval / std::gcd(header.interval, points.blocksAcross_);
    return points;
  }

  // Where a decoder begins to make row `row` as the whole decode makes it: a restart point a
  // row of blocks above it or higher, as the chroma of a row is made from the rows of blocks
  // either side; 0 is the top of the file.
  int StartFor(int row) const {
    const int blocks = std::max(0, row / blockRows_ - 1);
    return (blocks - blocks % step_) * blockRows_;
  }

  // A decoder's input that begins at `row` (a row StartFor gave), with `header` made to say
  // that the picture begins there; nullopt where the data ends above it.
  std::optional<JpegInput> From(int row, std::vector<std::uint8_t>& header) const {
    if (row <= 0) return JpegInput{bytes_};
    const long skipped = static_cast<long>(row / blockRows_) * blocksAcross_ / interval_;
    // The data after that many restart markers. In the data a 0xff byte is followed by 0 (a
    // plain 0xff), by another 0xff (a fill byte) or begins a marker; any other marker than a
    // restart is damage, which the rows above the band may have and the band not.
    long seen = 0;
    for (std::size_t at = data_; at + 1 < bytes_.size(); at += 2) {
      const auto* found = static_cast<const std::uint8_t*>(
          std::memchr(bytes_.data() + at, 0xff, bytes_.size() - at - 1));
      if (!found) break;
      at = static_cast<std::size_t>(found - bytes_.data());
      const int next = bytes_[at + 1];
      if (next == 0) continue;
      if (next == 0xff) {
        --at;  // the next byte looked at is that 0xff
        continue;
      }
      if (next < JPEG_RST0 || next > JPEG_RST0 + 7 || ++seen < skipped) continue;
      header.assign(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(data_));
      const int height = height_ - row;
      header[heightAt_] = static_cast<std::uint8_t>(height >> 8);
      header[heightAt_ + 1] = static_cast<std::uint8_t>(height);
      return JpegInput{header, bytes_.subspan(at + 2)};
    }
    return std::nullopt;
  }

 private:
  // What the header says of the rows of blocks and the restarts.
  struct Header {
    int width = 0, components = 0, wide = 1, tall = 1, interval = 0;
  };

  // Takes in the marker segment at `at`, `length` bytes after its marker; false for a JPEG whose
  // rows cannot be decoded from anywhere but the top.
  bool Read(std::size_t at, std::size_t length, Header& header) {
    const int marker = bytes_[at + 1];
    const std::uint8_t* field = bytes_.data() + at + 4;
    if (marker == 0xc0 || marker == 0xc1) {  // the frame, baseline or extended
      if (length < 8) return false;
      heightAt_ = at + 5;
      height_ = field[1] << 8 | field[2];
      header.width = field[3] << 8 | field[4];
      header.components = field[5];
      if (length < 8 + 3 * static_cast<std::size_t>(header.components)) return false;
      for (int c = 0; c < header.components; ++c) {
        header.wide = std::max(header.wide, field[7 + 3 * c] >> 4);
        header.tall = std::max(header.tall, field[7 + 3 * c] & 15);
      }
      return true;
    }
    // Progressive, lossless or arithmetic-coded.
    if (marker >= 0xc2 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc)
      return false;
    if (marker == 0xdd && length >= 4) header.interval = field[0] << 8 | field[1];  // in MCUs
    if (marker == 0xda) {  // the scan: all the components, or it is one of several
      if (header.components == 0 || length < 3 || field[0] != header.components) return false;
      data_ = at + 2 + length;
    }
    return true;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t data_ = 0, heightAt_ = 0;  // where the scan's data and the frame's height are
  int height_ = 0, blockRows_ = 8, blocksAcross_ = 1, interval_ = 1, step_ = 1;
};

// The most bands of rows decoded at once, one a thread: more would each decode the extra rows
// above them for little.
constexpr int kMostBands = 4;
// The rows the decoder hands out at a time: one row of blocks of a 4:2:0 JPEG.
constexpr int kStrip = 16;

// How many bands `rows` rows are decoded in: `bands`, or with 0 one for each processor; one for a
// JPEG without restart points or for a few rows, which are not worth a thread.
int BandsFor(const std::optional<RestartPoints>& points, int rows, int bands) {
  if (bands <= 0) bands = static_cast<int>(std::thread::hardware_concurrency());
  constexpr int kFewestRows = 64;
  return points ? std::clamp(std::min(bands, rows / kFewestRows), 1, kMostBands) : 1;
}

// Runs `band` for each of `bands` bands: the first on this thread, the others each on a thread of
// its own, or after the first on this one where no thread can be had. Returns when all are done;
// what one of them threw (no memory for its rows) is thrown here then.
void RunBands(int bands, const std::function<void(int band)>& band) {
  std::mutex lock;
  std::exception_ptr failed;
  std::vector<std::thread> threads;
  std::vector<int> later;
  for (int b = 1; b < bands; ++b) {
    try {
      threads.emplace_back([&band, &lock, &failed, b] {
        try {
          band(b);
        } catch (...) {
          const std::lock_guard hold(lock);
          if (!failed) failed = std::current_exception();
        }
      });
    } catch (const std::system_error&) {
      later.push_back(b);
    }
  }
  try {
    band(0);
    for (const int b : later) band(b);
  } catch (...) {
    for (std::thread& thread : threads) thread.join();
    throw;
  }
  for (std::thread& thread : threads) thread.join();
  if (failed) std::rethrow_exception(failed);
}

// Decodes rows [first, last) of a width x height JPEG, at least their columns [0, columns), each
// into the memory `into(row)` gives, and tells `decoded(row)` of each row as it is there. The
// decoder begins at the restart point above `first` where `points` has one, at the top
// otherwise, and only reads past the rows above `first`. Returns how far the rows are decoded:
// `last`, or less where the data is damaged.
int DecodeRows(std::span<const std::uint8_t> bytes, const std::optional<RestartPoints>& points,
               int width, int height, int columns, int first, int last,
               const std::function<std::uint32_t*(int row)>& into,
               const std::function<void(int row)>& decoded) {
  const int start = points ? points->StartFor(first) : 0;
  std::vector<std::uint8_t> header;
  const std::optional<JpegInput> input =
      points ? points->From(start, header) : std::optional<JpegInput>(JpegInput(bytes));
  // Kept in memory, not a register, so that it is right after an error's jump out of the decoder.
  volatile int count = first;
  if (!input) return count;
  DecodeJpeg(*input, width, height - start, [&](jpeg_decompress_struct& info) {
    // Columns past those read are neither transformed nor converted (the decoder widens the cut
    // to its blocks' edge).
    if (columns < width) {
      JDIMENSION left = 0, cut = static_cast<JDIMENSION>(columns);
      jpeg_crop_scanline(&info, &left, &cut);
    }
    const int skip = first - start;
    if (skip > 0 &&
        static_cast<int>(jpeg_skip_scanlines(&info, static_cast<JDIMENSION>(skip))) != skip)
      return;
    JSAMPROW rows[kStrip];
    while (count < last) {
      const int n = std::min(kStrip, last - count);
      for (int i = 0; i < n; ++i) rows[i] = reinterpret_cast<JSAMPROW>(into(count + i));
      const int read =
          static_cast<int>(jpeg_read_scanlines(&info, rows, static_cast<JDIMENSION>(n)));
      if (read <= 0) break;  // never from memory, which does not run dry; but never loop on it
      for (int i = 0; i < read; ++i) decoded(count + i);
      count = count + read;
    }
  });
  return count;
}

// Decodes rows [from, to) into `pixels`, in `bands` bands at once where the JPEG has restart
// points (0: one for each processor), telling `done` how many rows from the top are there as the
// first band goes. What was decoded stays; whatever could not be is black.
void DecodeJpegBody(std::span<const std::uint8_t> bytes, std::uint32_t* pixels, int width,
                    int height, int from, int to, int bands, const std::function<void(int)>& done) {
  const auto points = RestartPoints::Find(bytes);
  bands = BandsFor(points, to - from, bands);
  RunBands(bands, [&](int band) {
    const int first = from + (to - from) * band / bands,
              last = from + (to - from) * (band + 1) / bands;
    const int rows = DecodeRows(
        bytes, points, width, height, width, first, last,
        [pixels, width](int row) { return pixels + static_cast<std::size_t>(row) * width; },
        [&done, band](int row) {
          if (band == 0 && (row + 1) % 16 == 0) done(row + 1);
        });
    if (rows < last)
      std::memset(pixels + static_cast<std::size_t>(rows) * width, 0,
                  static_cast<std::size_t>(last - rows) * width * 4);
  });
}

// A copy of a JPEG scaled while it is decoded, in bands of rows at once, each on a thread of its
// own with its own decoder and scaler: the decode, one thread's work from the top row to the
// bottom otherwise, is shared out, and each band's rows are scaled as they come, so the image
// is never held whole. A band's decoder begins at a restart marker above it (see
// RestartPoints); a JPEG without them is one band.
class ScaledDecode {
 public:
  ScaledDecode(std::span<const std::uint8_t> bytes, int width, int height, ScaledSize size,
               std::uint32_t* pixels, const std::function<void(int)>& done)
      : bytes_(bytes),
        width_(width),
        height_(height),
        size_(size),
        pixels_(pixels),
        done_(done),
        points_(RestartPoints::Find(bytes)) {}

  // In `bands` bands (0: one for each processor, up to kMostBands).
  void Run(int bands) {
    bands = BandsFor(points_, size_.height, bands);
    RunBands(bands, [this, bands](int band) { Band(band, bands); });
  }

 private:
  // The picture's pages are mapped this many rows at a time, a little ahead of the rows made,
  // rather than all before the decode starts.
  static constexpr int kMapRows = 128;

  void Band(int band, int bands) {
    const int top = size_.height * band / bands, bottom = size_.height * (band + 1) / bands;
    RowScaler scaler(width_, height_, size_.scaledWidth, size_.scaledHeight, size_.width, bottom,
                     top);
    int made = top, mapped = top, reported = top;
    const auto push = [&](const std::uint32_t* row) {
      if (mapped < bottom && mapped - made < kMapRows / 2) {
        const int next = std::min(bottom, mapped + kMapRows);
        MapPictureRows(pixels_, size_.width, mapped, next);
        mapped = next;
      }
      made = scaler.Push(row, pixels_, size_.width);
      // The top band's rows are the picture's first; the others' count once they are all made.
      if (band == 0 && (made >= reported + 16 || made == bottom)) done_(reported = made);
    };
    // A strip of rows as the decoder hands them out, each pushed before the next strip.
    std::vector<std::uint32_t> strip(static_cast<std::size_t>(kStrip) * width_);
    const auto row = [&strip, this](int y) {
      return strip.data() + static_cast<std::size_t>(y % kStrip) * width_;
    };
    const int first = scaler.FirstRow(), last = scaler.Rows();
    int rows = DecodeRows(bytes_, points_, width_, height_, scaler.Columns(), first, last, row,
                          [&](int y) { push(row(y)); });
    // What was decoded stays; whatever could not be is black.
    if (rows < last) {
      std::fill(strip.begin(), strip.end(), 0u);
      for (; rows < last; ++rows) push(strip.data());
    }
  }

  const std::span<const std::uint8_t> bytes_;
  const int width_, height_;
  const ScaledSize size_;
  std::uint32_t* const pixels_;
  const std::function<void(int)>& done_;
  const std::optional<RestartPoints> points_;
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
                                       const FirstRows& firstRows, int bands) {
  const auto size = JpegSize(bytes);
  if (!size) return nullptr;
  const int width = size->first, height = size->second;
  const int rows = firstRows ? firstRows(width, height) : height;
  try {
    return std::make_shared<Picture>(
        width, height, rows,
        [bytes, width, height, bands](std::uint32_t* pixels, int from, int to,
                                      const std::function<void(int)>& done) {
          DecodeJpegBody(bytes, pixels, width, height, from, to, bands, done);
        });
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::shared_ptr<Picture> DecodeScaledPicture(std::span<const std::uint8_t> bytes, ScaledSize size,
                                             int bands) {
  const auto source = JpegSize(bytes);
  if (!source) return nullptr;
  const int width = source->first, height = source->second;
  if (size.width <= 0 || size.height <= 0 || size.width > size.scaledWidth ||
      size.height > size.scaledHeight || size.scaledWidth > 32000 || size.scaledHeight > 32000)
    return nullptr;
  try {
    return std::make_shared<Picture>(
        size.width, size.height, size.height,
        [bytes, width, height, size, bands](std::uint32_t* pixels, int, int,
                                            const std::function<void(int)>& done) {
          ScaledDecode(bytes, width, height, size, pixels, done).Run(bands);
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
