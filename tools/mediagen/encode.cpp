#include "encode.h"

#include <jpeglib.h>
#include <sndfile.h>
#include <stb_image_write.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace mg {
namespace {

struct JpegErr {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char msg[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<JpegErr*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->msg);
  std::longjmp(e->jump, 1);
}

// Kept free of C++ objects with destructors, because libjpeg reports errors with longjmp.
bool JpegToFile(std::FILE* f, const uint8_t* rgb, int w, int h, int quality, char* msg,
                size_t msgLen) {
  jpeg_compress_struct cinfo;
  JpegErr err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegErrorExit;
  err.msg[0] = '\0';
  if (setjmp(err.jump)) {
    std::snprintf(msg, msgLen, "%s", err.msg);
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, f);
  cinfo.image_width = static_cast<JDIMENSION>(w);
  cinfo.image_height = static_cast<JDIMENSION>(h);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.optimize_coding = TRUE;
  cinfo.dct_method = JDCT_ISLOW;
  // 4:2:0 chroma subsampling, as a camera would write.
  cinfo.comp_info[0].h_samp_factor = 2;
  cinfo.comp_info[0].v_samp_factor = 2;
  cinfo.comp_info[1].h_samp_factor = 1;
  cinfo.comp_info[1].v_samp_factor = 1;
  cinfo.comp_info[2].h_samp_factor = 1;
  cinfo.comp_info[2].v_samp_factor = 1;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + static_cast<size_t>(cinfo.next_scanline) * w * 3);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

uint32_t OggCrc(const uint8_t* p, size_t n) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = i << 24;
      for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : (r << 1);
      t[i] = r;
    }
    return t;
  }();
  uint32_t crc = 0;
  for (size_t i = 0; i < n; ++i) crc = (crc << 8) ^ table[((crc >> 24) ^ p[i]) & 0xFFu];
  return crc;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read back " + path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

void WriteJpeg(const std::string& path, const std::vector<uint8_t>& rgb, int w, int h,
               int quality) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot create " + path);
  char msg[JMSG_LENGTH_MAX + 1] = {0};
  bool ok = JpegToFile(f, rgb.data(), w, h, quality, msg, sizeof msg);
  bool closed = std::fclose(f) == 0;
  if (!ok) throw std::runtime_error("JPEG encoding of " + path + " failed: " + msg);
  if (!closed) throw std::runtime_error("cannot write " + path);
}

void WritePng(const std::string& path, const std::vector<uint8_t>& rgba, int w, int h) {
  if (!stbi_write_png(path.c_str(), w, h, 4, rgba.data(), w * 4))
    throw std::runtime_error("cannot write " + path);
}

bool SetOggSerial(std::vector<uint8_t>& b, uint32_t serial) {
  size_t pos = 0;
  while (pos < b.size()) {
    if (b.size() - pos < 27 || b[pos] != 'O' || b[pos + 1] != 'g' || b[pos + 2] != 'g' ||
        b[pos + 3] != 'S')
      return false;
    size_t segs = b[pos + 26];
    if (b.size() - pos < 27 + segs) return false;
    size_t body = 0;
    for (size_t i = 0; i < segs; ++i) body += b[pos + 27 + i];
    size_t total = 27 + segs + body;
    if (b.size() - pos < total) return false;
    for (int i = 0; i < 4; ++i) {
      b[pos + 14 + i] = static_cast<uint8_t>(serial >> (8 * i));
      b[pos + 22 + i] = 0;
    }
    uint32_t crc = OggCrc(&b[pos], total);
    for (int i = 0; i < 4; ++i) b[pos + 22 + i] = static_cast<uint8_t>(crc >> (8 * i));
    pos += total;
  }
  return true;
}

void WriteAudio(const std::string& path, const std::vector<float>& samples, int channels, int rate,
                AudioFormat fmt, double vorbisQuality) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = fmt == AudioFormat::kOggVorbis ? (SF_FORMAT_OGG | SF_FORMAT_VORBIS)
                                               : (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) throw std::runtime_error("cannot create " + path + ": " + sf_strerror(nullptr));
  if (fmt == AudioFormat::kOggVorbis) {
    double q = vorbisQuality;
    sf_command(f, SFC_SET_VBR_ENCODING_QUALITY, &q, sizeof q);
  } else {
    // Round to nearest rather than truncate, and never wrap on full scale.
    sf_command(f, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  }
  // In slices: the Vorbis encoder shifts whatever it holds after every block it takes, so
  // handing it the whole sound at once costs time in proportion to the square of its length.
  const sf_count_t n = static_cast<sf_count_t>(samples.size()) / channels;
  constexpr sf_count_t kSlice = 4096;
  sf_count_t wrote = 0;
  for (sf_count_t at = 0; at < n && wrote == at; at += kSlice)
    wrote += sf_writef_float(f, samples.data() + at * channels, std::min(kSlice, n - at));
  int err = sf_error(f);
  std::string why = sf_strerror(f);
  sf_close(f);
  if (wrote != n || err) throw std::runtime_error("cannot write " + path + ": " + why);
  if (fmt == AudioFormat::kOggVorbis) {
    // The Vorbis stream serial number is picked at random when the file is opened; pin it so
    // that every build writes identical bytes.
    std::vector<uint8_t> bytes = ReadFile(path);
    if (!SetOggSerial(bytes, 0x4C756D6Fu))
      throw std::runtime_error("unexpected Ogg layout in " + path);
    WriteFile(path, bytes);
  }
}

}  // namespace mg
