// lumorra_decode_bench [WxH [REPEATS]]: what the dark copy for a screen larger than the
// photographs costs, piece by piece, best of REPEATS (9) runs: CPU time of the whole process
// (every thread) and wall time, in ms. WxH is 2560x1440 unless given. A screen that shows the
// master as it is (3840x2160) gets the decode of the master's rows it shows in 1, 2 and 4 bands.
//
//   decode N/8   libjpeg alone, the master's rows the screen reads, at DCT scale N/8 (the rows
//                a strip at a time into one small buffer: no scaling, no fresh memory)
//   before       the whole decode of those rows into a picture, then the band scaler (stb)
//   row scaler   the row scaler alone, on rows already decoded
//   N band(s)    decoded and scaled together (DecodeScaledPicture) in 1, 2 and 4 bands of rows
//                at once, each on its own thread from its own restart marker, until the last
//                row is there
//   copy N band(s)  where the program has a copy of the dark master built in for the screen's
//                size: that copy's rows the screen shows, decoded as they are, in 1, 2 and 4
//                bands

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "bench_util.h"
#include "host/codec.h"
#include "host/picture.h"
#include "host/picture_scale.h"
#include "media/media.h"
#include "media/media_table.h"
#include "scene/window1.h"

namespace {

int repeats = 9;

void Best(const char* what, const std::function<void()>& run) {
  double cpu = 1e9, wall = 1e9;
  for (int i = 0; i < repeats; ++i) {
    const double c0 = bench::ClockMs(CLOCK_PROCESS_CPUTIME_ID), w0 = bench::NowMs();
    run();
    cpu = std::min(cpu, bench::ClockMs(CLOCK_PROCESS_CPUTIME_ID) - c0);
    wall = std::min(wall, bench::NowMs() - w0);
  }
  std::printf("%-14s cpu %6.1f ms  wall %6.1f ms\n", what, cpu, wall);
}

void DecodeAtScale(std::span<const std::uint8_t> bytes, int eighths, double rowsShare) {
  jpeg_decompress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  info.scale_num = static_cast<unsigned>(eighths);
  info.scale_denom = 8;
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  const int rows = std::min(static_cast<int>(info.output_height),
                            static_cast<int>(std::ceil(info.output_height * rowsShare)) + 4);
  std::vector<std::uint8_t> strip(static_cast<std::size_t>(info.output_width) * 4 * 16);
  JSAMPROW lines[16];
  for (int i = 0; i < 16; ++i)
    lines[i] = strip.data() + static_cast<std::size_t>(i) * info.output_width * 4;
  while (static_cast<int>(info.output_scanline) < rows)
    jpeg_read_scanlines(
        &info, lines,
        static_cast<JDIMENSION>(std::min(16, rows - static_cast<int>(info.output_scanline))));
  jpeg_abort_decompress(&info);
  jpeg_destroy_decompress(&info);
}

}  // namespace

int main(int argc, char** argv) {
  int width = 2560, height = 1440;
  if (argc > 1 && std::sscanf(argv[1], "%dx%d", &width, &height) != 2) {
    std::fprintf(stderr, "usage: lumorra_decode_bench [WxH [REPEATS]]\n");
    return 1;
  }
  if (argc > 2) repeats = std::max(1, std::atoi(argv[2]));
  const auto bytes = lumorra::EmbeddedResources().Find(
      host::ResourceKind::Picture, lumorra::medium::lowlight1 + lumorra::kMasterNumbers);
  const auto copies = lumorra::Window1::MasterCopies({width, height});
  if (!copies) {
    if (width <= 1920 && height <= 1280) {
      std::fprintf(stderr, "a %dx%d screen shows the photographs, not the masters\n", width,
                   height);
      return 1;
    }
    // The master as it is, cut off at the screen's edge: only its rows the screen shows.
    std::printf("%dx%d: the master's top %d rows as they are\n", width, height, height);
    for (int bands : {1, 2, 4}) {
      char what[32];
      std::snprintf(what, sizeof what, "%d band%s", bands, bands > 1 ? "s" : "");
      Best(what, [&] {
        host::DecodePicture(
            bytes, [height](int, int) { return height; }, bands)
            ->TopRows(height);
      });
    }
    return 0;
  }
  const host::ScaledSize size = *copies;
  host::RowScaler scaler(3840, 2560, size.scaledWidth, size.scaledHeight, size.width, size.height);
  std::printf("%dx%d: the master scaled to %dx%d, %d of its rows and %d of its columns read\n",
              width, height, size.scaledWidth, size.scaledHeight, scaler.Rows(), scaler.Columns());

  const double share = static_cast<double>(size.height) / size.scaledHeight;
  for (int eighths : {8, 7, 6, 5, 4}) {
    char what[32];
    std::snprintf(what, sizeof what, "decode %d/8", eighths);
    Best(what, [&] { DecodeAtScale(bytes, eighths, share); });
  }
  Best("before", [&] {
    const int rows = scaler.Rows();
    const auto master = host::DecodePicture(bytes, [rows](int, int) { return rows; });
    const auto copy = host::NewPicture(size.width, size.height, 32);
    copy->Graphics()->DrawPicture(master, 0, 0, size.scaledWidth, size.scaledHeight, 0, 0,
                                  master->Width(), master->Height());
  });
  {
    const auto master = host::DecodePicture(bytes);
    const std::uint32_t* pixels = master->Pixels();
    std::vector<std::uint32_t> out(static_cast<std::size_t>(size.width) * size.height);
    Best("row scaler", [&] {
      host::RowScaler rows(3840, 2560, size.scaledWidth, size.scaledHeight, size.width,
                           size.height);
      for (int y = 0; y < rows.Rows(); ++y)
        rows.Push(pixels + static_cast<std::size_t>(y) * 3840, out.data(), size.width);
    });
  }
  for (int bands : {1, 2, 4}) {
    char what[32];
    std::snprintf(what, sizeof what, "%d band%s", bands, bands > 1 ? "s" : "");
    Best(what, [&] { host::DecodeScaledPicture(bytes, size, bands)->Pixels(); });
  }
  // What the program does instead where it has a copy built in for the screen's size: that
  // copy's rows the screen shows, as they are.
  if (const auto number = lumorra::Window1::DarkCopy({width, height})) {
    const auto copy = lumorra::EmbeddedResources().Find(host::ResourceKind::Picture, *number);
    std::printf("the copy built in for this size (%zu bytes), its top %d rows:\n", copy.size(),
                height);
    for (int bands : {1, 2, 4}) {
      char what[32];
      std::snprintf(what, sizeof what, "copy %d band%s", bands, bands > 1 ? "s" : "");
      Best(what, [&] {
        host::DecodePicture(
            copy, [height](int, int) { return height; }, bands)
            ->TopRows(height);
      });
    }
  }
}
