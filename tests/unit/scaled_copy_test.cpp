// Copies scaled while they are decoded, for screens larger than the photographs: the same
// pictures as scaling a whole decode, made from only the rows and columns they show.

#include <gtest/gtest.h>

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "host/codec.h"
#include "host/picture.h"
#include "host/picture_scale.h"
#include "media/media.h"
#include "media/media_table.h"
#include "scene/window1.h"

namespace lumorra::testing {
namespace {

// What a filter gets wrong shows in it: fine noise, one-pixel stripes and hard edges, black and
// white side by side, and smooth ramps.
std::shared_ptr<host::Picture> Pattern(int width, int height) {
  auto picture = host::NewPicture(width, height, 32);
  std::uint32_t seed = 12345;
  std::uint32_t* p = picture->Pixels();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x, ++p) {
      seed = seed * 1664525 + 1013904223;
      if (x < width / 3) {
        *p = seed >> 8;
      } else if (x < 2 * width / 3) {
        *p = ((x / 3 + y / 2) % 2) ? 0xffffff : (y % 7 == 0 ? 0xff0000 : 0);
      } else {
        *p = static_cast<std::uint32_t>(x * 255 / width) << 16 |
             static_cast<std::uint32_t>(y * 255 / height) << 8 | ((x + y) & 255);
      }
    }
  return picture;
}

struct Difference {
  int worst = 0;      // levels, in the channel and pixel furthest apart
  double mean = 0;    // levels, over every channel of every pixel
  std::string where;  // the worst pixel
};

Difference Compare(const std::uint32_t* a, const host::Picture& b, int width, int height) {
  Difference d;
  long sum = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int shift : {0, 8, 16}) {
        const int e = std::abs(static_cast<int>((a[y * width + x] >> shift) & 255) -
                               static_cast<int>((b.Pixel(x, y) >> shift) & 255));
        sum += e;
        if (e > d.worst) {
          d.worst = e;
          d.where = std::to_string(x) + "," + std::to_string(y);
        }
      }
  d.mean = static_cast<double>(sum) / (3.0 * width * height);
  return d;
}

// `source` scaled a row at a time; rows below the scaler's and columns right of its are
// `beyond`, which it must never read.
std::vector<std::uint32_t> ByRows(const host::Picture& source, host::ScaledSize size,
                                  std::uint32_t beyond = 0) {
  host::RowScaler scaler(source.Width(), source.Height(), size.scaledWidth, size.scaledHeight,
                         size.width, size.height);
  std::vector<std::uint32_t> out(static_cast<std::size_t>(size.width) * size.height, 0xabcdef);
  std::vector<std::uint32_t> row(static_cast<std::size_t>(source.Width()));
  int made = 0;
  for (int y = 0; y < source.Height(); ++y) {
    for (int x = 0; x < source.Width(); ++x)
      row[x] = y < scaler.Rows() && x < scaler.Columns() ? source.Pixel(x, y) : beyond;
    made = scaler.Push(row.data(), out.data(), size.width);
  }
  EXPECT_EQ(made, size.height);
  return out;
}

// Reducing and enlarging, by each axis alone, cut off at the right and the bottom: the row
// scaler makes what the band scaler makes from the whole source.
TEST(RowScaler, MakesTheBandScalersPicture) {
  const auto source = Pattern(300, 200);
  for (const host::ScaledSize size : {host::ScaledSize{200, 110, 200, 134},  // 2/3, as 2560x1440
                                      {120, 80, 125, 84},                    // to 0.42
                                      {400, 250, 400, 267},                  // 4/3 up
                                      {350, 150, 350, 180},                  // up across, down
                                      {290, 190, 290, 190},                  // just below 1
                                      {300, 150, 300, 200}}) {               // 1:1, cut
    const auto band = host::NewScaledPicture(source, size.width, size.height, size.scaledWidth,
                                             size.scaledHeight);
    const Difference d = Compare(ByRows(*source, size).data(), *band, size.width, size.height);
    EXPECT_LE(d.worst, 1) << size.scaledWidth << "x" << size.scaledHeight << " at " << d.where;
    EXPECT_LT(d.mean, 0.03) << size.scaledWidth << "x" << size.scaledHeight;
  }
}

// A large screen's copy reads the few source rows below those it shows, and no more: the rest
// of a master is never decoded. Whatever lies beyond them changes nothing.
TEST(RowScaler, ReadsOnlyTheRowsAndColumnsItShows) {
  const auto source = Pattern(600, 400);
  const host::ScaledSize size{300, 150, 400, 267};  // 2/3, the left half and the top 150 rows
  host::RowScaler scaler(600, 400, 400, 267, 300, 150);
  EXPECT_LE(scaler.Rows(), 150 * 3 / 2 + 4);
  EXPECT_LE(scaler.Columns(), 300 * 3 / 2 + 4);
  const auto clean = ByRows(*source, size, 0);
  const auto white = ByRows(*source, size, 0xffffff);
  EXPECT_EQ(clean, white);
  const auto band = host::NewScaledPicture(source, 300, 150, 400, 267);
  EXPECT_LE(Compare(clean.data(), *band, 300, 150).worst, 1);
}

// A target made in bands of rows, each by a scaler of its own fed only the source rows it
// reads, is the one made whole: reducing, enlarging, bands of one row and bands of many.
TEST(RowScaler, MakesTheSamePictureInBands) {
  const auto source = Pattern(300, 200);
  for (const host::ScaledSize size :
       {host::ScaledSize{200, 110, 200, 134}, {400, 250, 400, 267}, {350, 150, 350, 180}}) {
    const std::vector<std::uint32_t> whole = ByRows(*source, size);
    std::vector<std::uint32_t> banded(whole.size(), 0xabcdef);
    for (const auto& [top, bottom] : {std::pair{0, 37}, {37, 38}, {38, 100}, {100, size.height}}) {
      host::RowScaler band(300, 200, size.scaledWidth, size.scaledHeight, size.width, bottom, top);
      int made = top;
      for (int y = band.FirstRow(); y < band.Rows(); ++y)
        made = band.Push(&source->Pixels()[static_cast<std::size_t>(y) * 300], banded.data(),
                         size.width);
      EXPECT_EQ(made, bottom) << "rows " << top << "-" << bottom;
    }
    EXPECT_EQ(banded, whole) << size.scaledWidth << "x" << size.scaledHeight;
  }
}

// The dark master as a large screen shows it, decoded and scaled in one go, against the whole
// decode scaled by the band scaler: cut off at the bottom (2560x1440), scaled by width
// (3440x1440) and by height with columns left out (1920x1360). Read right behind the
// decoder, a few rows at a time, each row is already the finished one.
TEST(ScaledCopies, TheWholeDecodeScaledFromOnlyTheRowsShown) {
  const auto bytes =
      EmbeddedResources().Find(host::ResourceKind::Picture, medium::lowlight1 + kMasterNumbers);
  const auto whole = host::DecodePicture(bytes);
  for (const host::ScaledSize size : {host::ScaledSize{2560, 1440, 2560, 1707},
                                      {3440, 1440, 3440, 2294},
                                      {1920, 1360, 2040, 1360}}) {
    const auto copy = host::DecodeScaledPicture(bytes, size);
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->Width(), size.width);
    ASSERT_EQ(copy->Height(), size.height);
    std::vector<std::uint32_t> early(static_cast<std::size_t>(size.width) * size.height);
    for (int y = 0; y < size.height; y += 7) {
      const int rows = std::min(y + 7, size.height);
      const std::uint32_t* top = copy->TopRows(rows);
      std::copy(top + static_cast<std::size_t>(y) * size.width,
                top + static_cast<std::size_t>(rows) * size.width,
                early.begin() + static_cast<std::ptrdiff_t>(y) * size.width);
    }
    EXPECT_EQ(Compare(early.data(), *copy, size.width, size.height).worst, 0)
        << size.width << "x" << size.height << ": a row read early changed later";
    const auto band =
        host::NewScaledPicture(whole, size.width, size.height, size.scaledWidth, size.scaledHeight);
    const Difference d = Compare(copy->Pixels(), *band, size.width, size.height);
    EXPECT_LE(d.worst, 1) << size.width << "x" << size.height << " at " << d.where;
    EXPECT_LT(d.mean, 0.03) << size.width << "x" << size.height;
  }
}

// A damaged master: a copy of a master cut short keeps the rows that could be decoded (the
// decoder makes up the rest); one whose decoder gives up at once is black. Neither waits for
// rows that never come.
TEST(ScaledCopies, ADamagedMasterKeepsWhatCouldBeDecoded) {
  const auto bytes =
      EmbeddedResources().Find(host::ResourceKind::Picture, medium::lowlight1 + kMasterNumbers);
  const host::ScaledSize size{2560, 1440, 2560, 1707};
  const auto intact = host::DecodeScaledPicture(bytes, size);
  const auto cut = host::DecodeScaledPicture(bytes.first(bytes.size() * 2 / 5), size);
  ASSERT_NE(cut, nullptr);
  int sameRows = 0;
  while (sameRows < size.height && std::equal(cut->Pixels() + sameRows * size.width,
                                              cut->Pixels() + (sameRows + 1) * size.width,
                                              intact->Pixels() + sameRows * size.width))
    ++sameRows;
  EXPECT_GT(sameRows, 400) << "the top is the intact copy's";
  EXPECT_LT(sameRows, 1000) << "the data ends above the bottom";

  // Huffman codes that cannot all exist: the header reads, the decoder stops before any row.
  std::vector<std::uint8_t> bad(bytes.begin(), bytes.end());
  const std::uint8_t marker[] = {0xff, 0xc4};
  const auto dht = std::search(bad.begin(), bad.end(), std::begin(marker), std::end(marker));
  ASSERT_NE(dht, bad.end());
  std::uint8_t* counts = &*dht + 5;  // how many codes of each length, 1 to 16 bits
  const auto most = std::max_element(counts + 1, counts + 16);
  *most -= 2;
  counts[0] += 2;
  const auto black = host::DecodeScaledPicture(bad, size);
  ASSERT_NE(black, nullptr);
  for (int y = 0; y < size.height; y += 13)
    for (int x = 0; x < size.width; x += 17) ASSERT_EQ(black->Pixel(x, y), 0u) << x << "," << y;
  EXPECT_EQ(host::DecodeScaledPicture(bytes.first(100), size), nullptr) << "no header";
}

// `picture` as a JPEG of quality 90: 4:2:0, 4:4:4 (`chroma` 1) or grey (0), with a restart
// marker every `interval` MCUs (0: none).
std::vector<std::uint8_t> Jpeg(const host::Picture& picture, int chroma, int interval) {
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = static_cast<JDIMENSION>(picture.Width());
  info.image_height = static_cast<JDIMENSION>(picture.Height());
  info.input_components = chroma ? 3 : 1;
  info.in_color_space = chroma ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 90, TRUE);
  if (chroma) info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = chroma;
  info.restart_interval = static_cast<unsigned>(interval);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(picture.Width()) * 3);
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const std::uint32_t p = picture.Pixel(x, y);
      if (chroma) {
        row[3 * x] = static_cast<std::uint8_t>(p >> 16);
        row[3 * x + 1] = static_cast<std::uint8_t>(p >> 8);
        row[3 * x + 2] = static_cast<std::uint8_t>(p);
      } else {
        row[x] = static_cast<std::uint8_t>(p >> 8);
      }
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<std::uint8_t> bytes(out, out + size);
  std::free(out);
  return bytes;
}

std::vector<std::uint32_t> AllPixels(const std::shared_ptr<host::Picture>& picture) {
  const std::uint32_t* p = picture->Pixels();
  return {p, p + static_cast<std::size_t>(picture->Width()) * picture->Height()};
}

// The masters are built in with a restart marker at each row of blocks, so that a copy of one
// is decoded in bands at once; each band's pixels are those of the copy made in one band, where
// the bands meet too (a row's chroma is made from the rows of blocks either side of it).
TEST(ScaledCopies, TheSamePixelsInAnyNumberOfBands) {
  const auto bytes =
      EmbeddedResources().Find(host::ResourceKind::Picture, medium::lowlight1 + kMasterNumbers);
  for (const host::ScaledSize size : {host::ScaledSize{2560, 1440, 2560, 1707},
                                      {3440, 1440, 3440, 2294},
                                      {1920, 1360, 2040, 1360}}) {
    const auto one = AllPixels(host::DecodeScaledPicture(bytes, size, 1));
    for (int bands : {2, 3, 4})
      EXPECT_TRUE(AllPixels(host::DecodeScaledPicture(bytes, size, bands)) == one)
          << size.width << "x" << size.height << " in " << bands << " bands";
  }
}

// JPEGs of other layouts: restarts every row of MCUs, every few rows, every few MCUs (so only
// some rows of MCUs begin with one), none at all; 4:2:0, 4:4:4 and grey. However many bands,
// the copy is the same, and it is the whole decode's scaled by the band scaler.
TEST(ScaledCopies, BandsOfJpegsOfEveryLayout) {
  const auto source = Pattern(640, 480);
  const host::ScaledSize size{400, 300, 427, 320};
  struct Layout {
    int chroma, interval;
  };
  for (const Layout layout : {Layout{2, 40}, {2, 80}, {2, 7}, {2, 0}, {1, 80}, {1, 3}, {0, 5}}) {
    const auto bytes = Jpeg(*source, layout.chroma, layout.interval);
    const auto one = AllPixels(host::DecodeScaledPicture(bytes, size, 1));
    const std::string what =
        std::to_string(layout.chroma) + " chroma, restart " + std::to_string(layout.interval);
    for (int bands : {2, 3, 4})
      EXPECT_TRUE(AllPixels(host::DecodeScaledPicture(bytes, size, bands)) == one)
          << what << ", " << bands << " bands";
    const auto band = host::NewScaledPicture(host::DecodePicture(bytes), size.width, size.height,
                                             size.scaledWidth, size.scaledHeight);
    EXPECT_LE(Compare(one.data(), *band, size.width, size.height).worst, 1) << what;
  }
}

// `bytes` decoded whole by libjpeg alone, in the pictures' XRGB layout.
std::vector<std::uint32_t> Reference(std::span<const std::uint8_t> bytes) {
  jpeg_decompress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(info.output_width) *
                                    info.output_height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row[] = {reinterpret_cast<JSAMPROW>(
        &pixels[static_cast<std::size_t>(info.output_scanline) * info.output_width])};
    jpeg_read_scanlines(&info, row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return pixels;
}

// A 4K screen shows a master as it is: its rows the screen shows are decoded in bands at once,
// and so are the rows below them when something reads them later. Every row is libjpeg's own,
// however many bands; a photograph, without restart markers, too.
TEST(ScaledCopies, PicturesDecodedInBandsAreLibjpegsOwn) {
  const auto master =
      EmbeddedResources().Find(host::ResourceKind::Picture, medium::lowlight1 + kMasterNumbers);
  const auto reference = Reference(master);
  for (int bands : {1, 2, 3, 4}) {
    const auto picture = host::DecodePicture(
        master, [](int, int) { return 2160; }, bands);
    // Read as soon as the top rows are said to be there, each row is already libjpeg's.
    int early = 0;
    for (int y = 0; y < 2160; y += 97) {
      const int rows = std::min(y + 97, 2160);
      const std::uint32_t* top = picture->TopRows(rows);
      const auto at = static_cast<std::ptrdiff_t>(y) * 3840;
      if (!std::equal(top + at, top + static_cast<std::ptrdiff_t>(rows) * 3840,
                      reference.begin() + at))
        ++early;
    }
    EXPECT_EQ(early, 0) << bands << " bands: rows read early changed later";
    EXPECT_TRUE(AllPixels(picture) == reference) << bands << " bands, the rows below read later";
  }
  const auto photograph = EmbeddedResources().Find(host::ResourceKind::Picture, medium::chain1);
  EXPECT_TRUE(AllPixels(host::DecodePicture(photograph, {}, 2)) == Reference(photograph));
}

// A band's decoder begins at the restart marker above its rows and reads nothing of the data
// before it: an end of image put into the top band's data stops that band only. In one band
// the copy is lost from there down.
TEST(ScaledCopies, EachBandDecodesFromItsOwnRestartMarker) {
  const auto bytes =
      EmbeddedResources().Find(host::ResourceKind::Picture, medium::lowlight1 + kMasterNumbers);
  const host::ScaledSize size{2560, 1440, 2560, 1707};
  const auto intact = AllPixels(host::DecodeScaledPicture(bytes, size, 1));
  std::vector<std::uint8_t> cut(bytes.begin(), bytes.end());
  const std::uint8_t scan[] = {0xff, 0xda}, restart[] = {0xff, 0xd4};
  const auto data = std::search(cut.begin(), cut.end(), std::begin(scan), std::end(scan));
  const auto fifth = std::search(data, cut.end(), std::begin(restart), std::end(restart));
  ASSERT_NE(fifth, cut.end()) << "no restart markers in the master";
  fifth[2] = 0xff;  // ends the image some 80 rows down
  fifth[3] = 0xd9;
  const auto row = [&](const std::vector<std::uint32_t>& pixels, int y) {
    return std::vector<std::uint32_t>(
        pixels.begin() + static_cast<std::ptrdiff_t>(y) * size.width,
        pixels.begin() + static_cast<std::ptrdiff_t>(y + 1) * size.width);
  };
  const auto two = AllPixels(host::DecodeScaledPicture(cut, size, 2));
  const auto one = AllPixels(host::DecodeScaledPicture(cut, size, 1));
  EXPECT_EQ(row(two, 10), row(intact, 10));
  EXPECT_NE(row(two, 200), row(intact, 200));
  for (int y = size.height / 2; y < size.height; y += 50)
    EXPECT_EQ(row(two, y), row(intact, y)) << "row " << y << " of the lower band";
  EXPECT_NE(row(one, size.height - 1), row(intact, size.height - 1));
}

// Every master has its restart markers: one at each row of MCUs, 240 across 3840 pixels.
TEST(ScaledCopies, EveryMasterRestartsAtEachRowOfBlocks) {
  for (int photograph :
       {medium::lowlight1, medium::lowlight2, medium::chain1, medium::chain2, medium::highlight}) {
    const auto bytes =
        EmbeddedResources().Find(host::ResourceKind::Picture, photograph + kMasterNumbers);
    const std::uint8_t interval[] = {0xff, 0xdd, 0, 4, 0, 240};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), std::begin(interval), std::end(interval)),
              bytes.end())
        << "master " << photograph;
  }
}

// Which copies a screen gets: none up to the photographs' size and at the masters' own scale;
// otherwise the screen's size, from the masters scaled to cover it.
TEST(ScaledCopies, OnlyScreensLargerThanThePhotographsAndNotAtTheMastersScale) {
  using Copies = std::optional<host::ScaledSize>;
  EXPECT_EQ(Window1::MasterCopies({1920, 1080}), Copies());
  EXPECT_EQ(Window1::MasterCopies({1920, 1280}), Copies());
  EXPECT_EQ(Window1::MasterCopies({3840, 2160}), Copies());
  EXPECT_EQ(Window1::MasterCopies({3840, 2560}), Copies());
  EXPECT_EQ(Window1::MasterCopies({2560, 1440}), Copies({2560, 1440, 2560, 1707}));
  EXPECT_EQ(Window1::MasterCopies({2560, 1600}), Copies({2560, 1600, 2560, 1707}));
  EXPECT_EQ(Window1::MasterCopies({3440, 1440}), Copies({3440, 1440, 3440, 2294}));
  EXPECT_EQ(Window1::MasterCopies({1920, 1360}), Copies({1920, 1360, 2040, 1360}));
  EXPECT_EQ(Window1::MasterCopies({5120, 2880}), Copies({5120, 2880, 5120, 3414}));
}

}  // namespace
}  // namespace lumorra::testing
