// Copies scaled while they are decoded, for screens larger than the photographs: the same
// pictures as scaling a whole decode, made from only the rows and columns they show.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
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
