#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace host {

// Resizes an image in linear light a source row at a time, from the top down, so that a picture
// can be scaled while it is being decoded and the source is never held whole: only the few rows
// the filter reads at once are kept. The filter is the pictures' own (Mitchell-Netravali when
// reducing, Catmull-Rom when enlarging, edges clamped), so a copy made this way looks like one
// the band scaler makes from the whole source.
//
// Pixels are the pictures' XRGB words; the fourth byte is ignored and written as 0.
class RowScaler {
 public:
  // The source, sourceWidth x sourceHeight, is stretched over scaledWidth x scaledHeight from
  // its top-left corner, and the target is that stretched image's rows [top, height) and left
  // `width` columns (at most the scaled size). A target cut into bands of rows, each made by a
  // scaler of its own, is the same as the one made whole.
  RowScaler(int sourceWidth, int sourceHeight, int scaledWidth, int scaledHeight, int width,
            int height, int top = 0);

  // The source's columns [0, Columns()) and rows [FirstRow(), Rows()) are all the target reads.
  int Columns() const { return columns_; }
  int FirstRow() const { return firstRow_; }
  int Rows() const { return rows_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Takes the next source row (at least Columns() pixels), from FirstRow() down, and writes every
  // target row it completes into `target` (target row y at `target + y * stride`). Returns how
  // far down the target rows are made (from `top`); to Height() once Rows() rows have been
  // pushed.
  int Push(const std::uint32_t* row, std::uint32_t* target, std::ptrdiff_t stride);

 private:
  // The source pixels one target pixel is made of along one axis: `count` from `first`, with
  // their weights at `weight`.
  struct Taps {
    int first = 0, count = 0;
    std::size_t weight = 0;
  };
  struct Axis {
    std::vector<Taps> taps;
    std::vector<float> weights;
    int reach = 0;  // the source pixels [0, reach) that any target pixel reads
  };
  // The weights of target pixels [from, to); taps[0] is pixel `from`'s.
  static Axis Weights(int source, int scaled, int from, int to);
  static Axis Even(const Axis& axis, int source);
  void MakeRow(int y, std::uint32_t* out);

  int width_, height_, top_, columns_, firstRow_, rows_;
  Axis across_, down_;
  // The source rows a target row may read at once, in linear light, 3 floats a pixel: row r
  // in slot r % slots.
  int slots_;
  std::size_t rowFloats_;  // a row's floats, padded to whole blocks of vectors
  std::vector<float> ring_;
  std::vector<const float*> under_;  // the source rows under one target row
  std::vector<float> mixed_;         // and those rows mixed
  int pushed_ = 0, made_ = 0;
};

}  // namespace host
