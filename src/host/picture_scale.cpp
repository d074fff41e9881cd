#include "host/picture_scale.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace host {

namespace {

// A pixel's four channels, and eight floats at once: plain vectors that the compiler maps onto
// whatever SIMD the machine has. Unaligned, and allowed to alias the floats they are read from.
using F4 = float __attribute__((vector_size(16), aligned(4), may_alias));
using F8 = float __attribute__((vector_size(32), aligned(4), may_alias));
using I4 = int __attribute__((vector_size(16)));

// The hot loops are built twice on x86-64: for the machines of the last decade (AVX2 and FMA,
// twice the floats an instruction) and for any, picked once when the program loads.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(__SANITIZE_ADDRESS__)
#define LUMORRA_WIDE_SIMD __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define LUMORRA_WIDE_SIMD
#endif

// The cubic filters of Mitchell and Netravali, by their B and C, at distance x (in target
// pixels when reducing): zero from 2 on.
float Cubic(double x, double b, double c) {
  x = std::abs(x);
  if (x >= 2) return 0;
  const double x2 = x * x, x3 = x2 * x;
  if (x < 1)
    return static_cast<float>(
        ((12 - 9 * b - 6 * c) * x3 + (-18 + 12 * b + 6 * c) * x2 + (6 - 2 * b)) / 6);
  return static_cast<float>(
      ((-b - 6 * c) * x3 + (6 * b + 30 * c) * x2 + (-12 * b - 48 * c) * x + (8 * b + 24 * c)) / 6);
}

// sRGB levels to linear light, and back: the way back is a table over 16 bits of linear light,
// fine enough to tell the darkest levels apart (level 1 ends at 30 steps).
struct Transfer {
  // A level's linear value in the channel's lane, the others 0: a pixel is the sum of three.
  float linear[3][256][4];
  std::array<std::uint8_t, 65536> level;
  Transfer() {
    const auto decode = [](double v) {
      return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    for (int i = 0; i < 256; ++i)
      for (int c = 0; c < 3; ++c) {
        std::fill_n(linear[c][i], 4, 0.0f);
        linear[c][i][c] = static_cast<float>(decode(i / 255.0));
      }
    // Each level covers the linear values nearer to it than to its neighbours in sRGB: up to
    // the linear value of the halfway level.
    int from = 0;
    for (int i = 0; i < 256; ++i) {
      const int to =
          i == 255 ? 65536 : static_cast<int>(std::ceil(decode((i + 0.5) / 255.0) * 65535));
      std::fill(level.begin() + from, level.begin() + std::max(from, to),
                static_cast<std::uint8_t>(i));
      from = std::max(from, to);
    }
  }
};

const Transfer& Tables() {
  static const Transfer tables;
  return tables;
}

LUMORRA_WIDE_SIMD
void ToLinear(const std::uint32_t* in, int count, float* out, const float (*linear)[256][4]) {
  const auto lane = [linear](int c, std::uint32_t level) {
    return *reinterpret_cast<const F4*>(linear[c][level]);
  };
  // Three floats a pixel: each pixel's fourth lane (0) lands on the next pixel's first, which
  // that pixel then writes.
  for (int i = 0; i < count; ++i, out += 3) {
    const std::uint32_t p = in[i];
    *reinterpret_cast<F4*>(out) =
        lane(0, p & 255) + lane(1, (p >> 8) & 255) + lane(2, (p >> 16) & 255);
  }
}

// out = the sum of weights[k] * rows[k], over `floats` floats (a multiple of 32). Four sums at a
// time, so that each waits less for the one before.
LUMORRA_WIDE_SIMD
void MixRows(const float* const* rows, const float* weights, int count, std::size_t floats,
             float* out) {
  for (std::size_t i = 0; i < floats; i += 32) {
    const float* row = rows[0] + i;
    F8 a = weights[0] * *reinterpret_cast<const F8*>(row),
       b = weights[0] * *reinterpret_cast<const F8*>(row + 8),
       c = weights[0] * *reinterpret_cast<const F8*>(row + 16),
       d = weights[0] * *reinterpret_cast<const F8*>(row + 24);
    for (int k = 1; k < count; ++k) {
      row = rows[k] + i;
      a += weights[k] * *reinterpret_cast<const F8*>(row);
      b += weights[k] * *reinterpret_cast<const F8*>(row + 8);
      c += weights[k] * *reinterpret_cast<const F8*>(row + 16);
      d += weights[k] * *reinterpret_cast<const F8*>(row + 24);
    }
    *reinterpret_cast<F8*>(out + i) = a;
    *reinterpret_cast<F8*>(out + i + 8) = b;
    *reinterpret_cast<F8*>(out + i + 16) = c;
    *reinterpret_cast<F8*>(out + i + 24) = d;
  }
}

// A pixel in linear light back to an XRGB word. The filters' lobes overshoot a little past black
// and white: clamped as whole steps of the table, which takes fewer instructions than clamping
// the floats and gives the same steps (the sums stay far inside the integers' range).
inline std::uint32_t ToLevels(F4 sum, const std::uint8_t* level) {
  I4 index = __builtin_convertvector(sum * 65535 + 0.5f, I4);
  index = index < 0 ? I4{} : index;
  index = index > 65535 ? I4{} + 65535 : index;
  return level[index[0]] | level[index[1]] << 8 | static_cast<std::uint32_t>(level[index[2]]) << 16;
}

// Each target pixel of a row from `taps` pixels of `in` (every pixel the same number, its
// weights `taps` apart in `weights`), four pixels at a time.
template <typename Taps>
LUMORRA_WIDE_SIMD void MixColumns(const float* in, const Taps* at, int width, int taps,
                                  const float* weights, const std::uint8_t* level,
                                  std::uint32_t* out) {
  // A pixel is three floats; the fourth lane read with it is the next pixel's and is ignored.
  const auto pixel = [in](int x) { return *reinterpret_cast<const F4*>(in + 3 * x); };
  int x = 0;
  for (; x + 4 <= width; x += 4) {
    const float* w = weights + static_cast<std::size_t>(x) * taps;
    const int p = at[x].first, q = at[x + 1].first, r = at[x + 2].first, s = at[x + 3].first;
    F4 a = w[0] * pixel(p), b = w[taps] * pixel(q), c = w[2 * taps] * pixel(r),
       d = w[3 * taps] * pixel(s);
    for (int k = 1; k < taps; ++k) {
      a += w[k] * pixel(p + k);
      b += w[taps + k] * pixel(q + k);
      c += w[2 * taps + k] * pixel(r + k);
      d += w[3 * taps + k] * pixel(s + k);
    }
    out[x] = ToLevels(a, level);
    out[x + 1] = ToLevels(b, level);
    out[x + 2] = ToLevels(c, level);
    out[x + 3] = ToLevels(d, level);
  }
  for (; x < width; ++x) {
    const float* w = weights + static_cast<std::size_t>(x) * taps;
    F4 a = w[0] * pixel(at[x].first);
    for (int k = 1; k < taps; ++k) a += w[k] * pixel(at[x].first + k);
    out[x] = ToLevels(a, level);
  }
}

}  // namespace

RowScaler::Axis RowScaler::Weights(int source, int scaled, int from, int to) {
  Axis axis;
  const double scale = static_cast<double>(scaled) / source;
  const bool reducing = scale < 1;
  // Reducing, the filter spans 2 target pixels either side; enlarging, 2 source pixels.
  const double b = reducing ? 1.0 / 3 : 0, c = reducing ? 1.0 / 3 : 0.5;
  const double radius = reducing ? 2 / scale : 2, step = reducing ? scale : 1;
  std::vector<float> w;
  for (int t = from; t < to; ++t) {
    const double center = (t + 0.5) / scale;  // in the source, where pixel i spans [i, i + 1)
    const int lo = static_cast<int>(std::floor(center - radius));
    const int hi = static_cast<int>(std::ceil(center + radius));
    // Taps beyond an edge read the edge pixel: their weight is added to it.
    const int first = std::clamp(lo, 0, source - 1), last = std::clamp(hi, 0, source - 1);
    w.assign(static_cast<std::size_t>(last) - static_cast<std::size_t>(first) + 1, 0.0f);
    double sum = 0;
    for (int i = lo; i <= hi; ++i) {
      const float k = Cubic((i + 0.5 - center) * step, b, c);
      w[static_cast<std::size_t>(std::clamp(i, 0, source - 1) - first)] += k;
      sum += k;
    }
    // Trim the zero weights at the ends, then make them add up to 1.
    int from = 0, to = static_cast<int>(w.size());
    while (to - from > 1 && w[static_cast<std::size_t>(from)] == 0) ++from;
    while (to - from > 1 && w[static_cast<std::size_t>(to - 1)] == 0) --to;
    axis.taps.push_back({first + from, to - from, axis.weights.size()});
    for (int i = from; i < to; ++i)
      axis.weights.push_back(static_cast<float>(w[static_cast<std::size_t>(i)] / sum));
    axis.reach = std::max(axis.reach, first + to);
  }
  return axis;
}

// The same weights, every target pixel with as many as the most: a pixel with fewer reads a
// few more pixels with no weight, so that the rows' pixels can all be made the same way.
RowScaler::Axis RowScaler::Even(const Axis& axis, int source) {
  int most = 0;
  for (const Taps& t : axis.taps) most = std::max(most, t.count);
  Axis even;
  for (const Taps& t : axis.taps) {
    const int first = std::max(0, std::min(t.first, source - most));
    even.taps.push_back({first, most, even.weights.size()});
    even.weights.resize(even.weights.size() + static_cast<std::size_t>(most), 0.0f);
    std::copy_n(axis.weights.begin() + static_cast<std::ptrdiff_t>(t.weight), t.count,
                even.weights.end() - most + (t.first - first));
    even.reach = std::max(even.reach, first + most);
  }
  return even;
}

RowScaler::RowScaler(int sourceWidth, int sourceHeight, int scaledWidth, int scaledHeight,
                     int width, int height, int top)
    : width_(std::clamp(width, 0, scaledWidth)),
      height_(std::clamp(height, 0, scaledHeight)),
      top_(std::clamp(top, 0, height_)),
      across_(Even(Weights(sourceWidth, scaledWidth, 0, width_), sourceWidth)),
      down_(Weights(sourceHeight, scaledHeight, top_, height_)) {
  columns_ = across_.reach;
  firstRow_ = down_.taps.empty() ? 0 : down_.taps.front().first;
  rows_ = std::max(firstRow_, down_.reach);
  // A target row reads the rows from its first tap to its last; the rows before a later
  // target row's first tap are never read again.
  slots_ = 1;
  for (const Taps& t : down_.taps) slots_ = std::max(slots_, t.count);
  // Three floats a pixel, and one more for the last pixel's unused fourth lane.
  rowFloats_ = (static_cast<std::size_t>(columns_) * 3 + 1 + 31) / 32 * 32;
  ring_.resize(rowFloats_ * static_cast<std::size_t>(slots_));
  mixed_.resize(rowFloats_);
  under_.resize(static_cast<std::size_t>(slots_));
  pushed_ = firstRow_;
  made_ = top_;
}

int RowScaler::Push(const std::uint32_t* row, std::uint32_t* target, std::ptrdiff_t stride) {
  if (pushed_ >= rows_) return made_;
  ToLinear(row, columns_, ring_.data() + rowFloats_ * static_cast<std::size_t>(pushed_ % slots_),
           Tables().linear);
  ++pushed_;
  while (made_ < height_) {
    const Taps& t = down_.taps[static_cast<std::size_t>(made_ - top_)];
    if (t.first + t.count > pushed_) break;
    MakeRow(made_, target + made_ * stride);
    ++made_;
  }
  return made_;
}

void RowScaler::MakeRow(int y, std::uint32_t* out) {
  const Taps& t = down_.taps[static_cast<std::size_t>(y - top_)];
  for (int k = 0; k < t.count; ++k)
    under_[static_cast<std::size_t>(k)] =
        ring_.data() + rowFloats_ * static_cast<std::size_t>((t.first + k) % slots_);
  MixRows(under_.data(), down_.weights.data() + t.weight, t.count, rowFloats_, mixed_.data());
  if (width_ > 0)
    MixColumns(mixed_.data(), across_.taps.data(), width_, across_.taps[0].count,
               across_.weights.data(), Tables().level.data(), out);
}

}  // namespace host
