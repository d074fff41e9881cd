#include "host/sdl/hand_cursor.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace host::sdl {

namespace {

// '#' outline, '.' fill, ' ' transparent: an open hand, thumb to the left, fingers fanned out
// with gaps between their tips (a hand ready to grab, not one that points).
constexpr int kSize = 32;
// clang-format off
constexpr std::array<const char*, kSize> kHand = {
    "            #####               ",
    "            #...#   ###         ",
    "            #...## ##.##        ",
    "     #####  #....# #...#        ",
    "     #...#  #....###...#        ",
    "     #...## #....##....#        ",
    "     #....# #....##....#        ",
    "     #....###....##....#        ",
    "     ##....##....##...## ####   ",
    "      #....##....#....# ##..##  ",
    "      ##....#....#....###....#  ",
    "       #....#....#....##....##  ",
    "       ##...#....#...##....##   ",
    "  ##### #....#.......##....#    ",
    " ##...####...........#....##    ",
    " #.....###...............##     ",
    " #......##..............##      ",
    " ##......##.............#       ",
    "  ###..................##       ",
    "    ##.................#        ",
    "     ##................#        ",
    "      ##..............##        ",
    "       ##.............#         ",
    "        ###...........#         ",
    "          #...........#         ",
    "          #..........##         ",
    "          #..........#          ",
    "          ##.........#          ",
    "           ##.......##          ",
    "            ###...###           ",
    "              #####             ",
    "                                ",
};
// clang-format on
constexpr bool RowsAreSquare() {
  for (const char* row : kHand) {
    int length = 0;
    while (row[length] != '\0') ++length;
    if (length != kSize) return false;
  }
  return true;
}
static_assert(RowsAreSquare(), "every row of the hand must be kSize wide");

constexpr int kHotX = 16;  // the middle of the palm
constexpr int kHotY = 20;

constexpr std::uint32_t kOutline = 0xFF000000;  // ARGB
constexpr std::uint32_t kFill = 0xFFFFFFFF;
constexpr std::uint32_t kClear = 0x00000000;

// The hand twice as large, its diagonal edges smoothed as Scale2x does: each pixel becomes four,
// and a corner of the four takes the colour of the two neighbours it touches when they agree
// and the shape turns there. Edges stay one colour or the other, as sharp as the original.
std::vector<std::string> Doubled(const std::vector<std::string>& grid) {
  const int height = static_cast<int>(grid.size());
  const int width = static_cast<int>(grid[0].size());
  std::vector<std::string> out(static_cast<std::size_t>(height) * 2,
                               std::string(static_cast<std::size_t>(width) * 2, ' '));
  const auto at = [&](int x, int y, char self) {
    return x < 0 || y < 0 || x >= width || y >= height ? self : grid[y][x];
  };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const char p = grid[y][x];
      const char up = at(x, y - 1, p), down = at(x, y + 1, p);
      const char left = at(x - 1, y, p), right = at(x + 1, y, p);
      out[2 * y][2 * x] = left == up && left != down && up != right ? up : p;
      out[2 * y][2 * x + 1] = up == right && up != left && right != down ? right : p;
      out[2 * y + 1][2 * x] = down == left && down != right && left != up ? left : p;
      out[2 * y + 1][2 * x + 1] = right == down && right != up && down != left ? down : p;
    }
  }
  return out;
}

}  // namespace

SurfacePtr HandCursorImage(int scale, int& hotX, int& hotY) {
  scale = std::max(1, scale);
  const int size = kSize * scale;
  std::vector<std::string> grid(kHand.begin(), kHand.end());
  while (static_cast<int>(grid.size()) < size) grid = Doubled(grid);
  // Doubled as often as it takes, then sampled down to the size when that is no power of two.
  const int drawn = static_cast<int>(grid.size());
  SurfacePtr image(SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_ARGB8888));
  if (!image) return nullptr;
  for (int y = 0; y < size; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(image->pixels) +
                                                 static_cast<std::size_t>(y) * image->pitch);
    const std::string& from = grid[static_cast<std::size_t>(y) * drawn / size];
    for (int x = 0; x < size; ++x) {
      const char c = from[static_cast<std::size_t>(x) * drawn / size];
      row[x] = c == '#' ? kOutline : c == '.' ? kFill : kClear;
    }
  }
  hotX = kHotX * scale;
  hotY = kHotY * scale;
  return image;
}

SurfacePtr HandCursorImage(int& hotX, int& hotY) { return HandCursorImage(1, hotX, hotY); }

CursorPtr CreateHandCursor() {
  int hotX = 0, hotY = 0;
  SurfacePtr image = HandCursorImage(hotX, hotY);
  if (!image) return nullptr;
  // SDL copies the pixels into the cursor, so the image can go right away.
  return CursorPtr(SDL_CreateColorCursor(image.get(), hotX, hotY));
}

}  // namespace host::sdl
