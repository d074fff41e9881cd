#include "restarts.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "jpeg_failure.h"

namespace mg {
namespace {

// The transcoded file in `*out` (malloc'd, `*size` bytes). Kept free of C++ objects with
// destructors, because libjpeg reports errors with longjmp.
bool Transcode(const unsigned char* in, unsigned long inSize, unsigned char** out,
               unsigned long* size, char* msg, std::size_t msgLen) {
  jpeg_decompress_struct source;
  jpeg_compress_struct target;
  JpegFailure failure;
  failure.msg[0] = '\0';
  source.err = jpeg_std_error(&failure.mgr);
  target.err = &failure.mgr;
  failure.mgr.error_exit = JpegFail;
  jpeg_create_decompress(&source);
  jpeg_create_compress(&target);
  if (setjmp(failure.jump)) {
    std::snprintf(msg, msgLen, "%s", failure.msg);
    jpeg_destroy_compress(&target);
    jpeg_destroy_decompress(&source);
    return false;
  }
  jpeg_mem_src(&source, in, inSize);
  jpeg_read_header(&source, TRUE);
  jvirt_barray_ptr* coefficients = jpeg_read_coefficients(&source);
  jpeg_copy_critical_parameters(&source, &target);
  target.restart_in_rows = 1;
  target.optimize_coding = TRUE;
  jpeg_mem_dest(&target, out, size);
  jpeg_write_coefficients(&target, coefficients);
  jpeg_finish_compress(&target);
  jpeg_finish_decompress(&source);
  jpeg_destroy_compress(&target);
  jpeg_destroy_decompress(&source);
  return true;
}

}  // namespace

void WriteWithRestarts(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + from);
  const std::vector<unsigned char> bytes(std::istreambuf_iterator<char>(in), {});
  unsigned char* out = nullptr;
  unsigned long size = 0;
  char msg[JMSG_LENGTH_MAX + 64];
  const bool ok = Transcode(bytes.data(), static_cast<unsigned long>(bytes.size()), &out, &size,
                            msg, sizeof msg);
  if (!ok) {
    std::free(out);
    throw std::runtime_error(from + ": " + msg);
  }
  std::ofstream file(to, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(out), static_cast<std::streamsize>(size));
  std::free(out);
  if (!file) throw std::runtime_error("cannot write " + to);
}

}  // namespace mg
