#include "copies.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <csetjmp>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "encode.h"
#include "host/picture_scale.h"
#include "jpeg_failure.h"
#include "restarts.h"

namespace mg {
namespace {

constexpr int kMasterWidth = 3840, kMasterHeight = 2560;

// The master's pixels as the program decodes them (XRGB words, libjpeg's default DCT and
// upsampling). Kept free of C++ objects with destructors, because libjpeg reports errors with
// longjmp.
bool Decode(const unsigned char* in, unsigned long size, std::uint32_t* pixels, int width,
            int height, char* msg, std::size_t msgLen) {
  jpeg_decompress_struct info;
  JpegFailure failure;
  failure.msg[0] = '\0';
  info.err = jpeg_std_error(&failure.mgr);
  failure.mgr.error_exit = JpegFail;
  jpeg_create_decompress(&info);
  if (setjmp(failure.jump)) {
    std::snprintf(msg, msgLen, "%s", failure.msg);
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_mem_src(&info, in, size);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  if (static_cast<int>(info.output_width) != width ||
      static_cast<int>(info.output_height) != height) {
    std::snprintf(msg, msgLen, "not %dx%d", width, height);
    jpeg_destroy_decompress(&info);
    return false;
  }
  while (static_cast<int>(info.output_scanline) < height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(pixels + std::size_t{info.output_scanline} * width);
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

int CopyHeight(int width) { return (kMasterHeight * width + kMasterWidth - 1) / kMasterWidth; }

void WriteCopy(const std::string& from, int width, int quality, const std::string& to) {
  if (width <= 0 || width >= kMasterWidth)
    throw std::runtime_error("a copy is narrower than its master");
  if (quality < 1 || quality > 100) throw std::runtime_error("a JPEG's quality is 1 to 100");
  std::ifstream in(from, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + from);
  const std::vector<unsigned char> bytes(std::istreambuf_iterator<char>(in), {});
  std::vector<std::uint32_t> master(std::size_t{kMasterWidth} * kMasterHeight);
  char msg[JMSG_LENGTH_MAX + 64];
  if (!Decode(bytes.data(), static_cast<unsigned long>(bytes.size()), master.data(), kMasterWidth,
              kMasterHeight, msg, sizeof msg))
    throw std::runtime_error(from + ": " + msg);

  // The program's own scaler, so that the copy is the picture the program would make from the
  // master for a screen this wide.
  const int height = CopyHeight(width);
  host::RowScaler scaler(kMasterWidth, kMasterHeight, width, height, width, height);
  std::vector<std::uint32_t> scaled(std::size_t{static_cast<unsigned>(width)} * height);
  for (int y = 0; y < scaler.Rows(); ++y)
    scaler.Push(master.data() + std::size_t{static_cast<unsigned>(y)} * kMasterWidth, scaled.data(),
                width);
  std::vector<std::uint8_t> rgb(scaled.size() * 3);
  for (std::size_t i = 0; i < scaled.size(); ++i) {
    rgb[i * 3] = static_cast<std::uint8_t>(scaled[i] >> 16);
    rgb[i * 3 + 1] = static_cast<std::uint8_t>(scaled[i] >> 8);
    rgb[i * 3 + 2] = static_cast<std::uint8_t>(scaled[i]);
  }
  // Encoded as the masters are, then given their restart markers the same lossless way.
  const std::string plain = to + ".plain";
  WriteJpeg(plain, rgb, width, height, quality);
  WriteWithRestarts(plain, to);
  std::filesystem::remove(plain);
}

}  // namespace mg
