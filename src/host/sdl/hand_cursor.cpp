#include "host/sdl/hand_cursor.h"

#include <array>
#include <cstdint>

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

}  // namespace

SurfacePtr HandCursorImage(int& hotX, int& hotY) {
  SurfacePtr image(SDL_CreateRGBSurfaceWithFormat(0, kSize, kSize, 32, SDL_PIXELFORMAT_ARGB8888));
  if (!image) return nullptr;
  for (int y = 0; y < kSize; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(image->pixels) +
                                                 static_cast<std::size_t>(y) * image->pitch);
    for (int x = 0; x < kSize; ++x) {
      const char c = kHand[y][x];
      row[x] = c == '#' ? kOutline : c == '.' ? kFill : kClear;
    }
  }
  hotX = kHotX;
  hotY = kHotY;
  return image;
}

CursorPtr CreateHandCursor() {
  int hotX = 0, hotY = 0;
  SurfacePtr image = HandCursorImage(hotX, hotY);
  if (!image) return nullptr;
  // SDL copies the pixels into the cursor, so the image can go right away.
  return CursorPtr(SDL_CreateColorCursor(image.get(), hotX, hotY));
}

}  // namespace host::sdl
