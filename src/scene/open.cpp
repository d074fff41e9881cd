#include <algorithm>

#include "media/chain_box.h"
#include "media/media.h"
#include "scene/window1.h"

namespace lumorra {

namespace {

// Screens larger than this in either direction show the photographs at their own size;
// smaller ones get copies reduced to exactly this size. Screens larger than the photographs
// in either direction get copies scaled up to cover them.
constexpr int kReducedWidth = 1152;
constexpr int kReducedHeight = 768;
constexpr int kSourceWidth = 1920;
constexpr int kSourceHeight = 1280;

std::shared_ptr<host::Picture> Reduced(std::shared_ptr<host::Picture>& field,
                                       const std::shared_ptr<host::Picture>& source) {
  field = host::NewPicture(kReducedWidth, kReducedHeight, 32);
  host::Deref(host::Deref(field).Graphics())
      .DrawPicture(source, 0, 0, kReducedWidth, kReducedHeight, 0, 0, kSourceWidth, kSourceHeight);
  return field;
}

// The factor that makes the photographs cover a screen larger than them, as a fraction: the
// larger of width/1920 and height/1280, so no black is left and the top-left stays anchored.
struct Cover {
  long num, den;
  int Floor(int v) const { return static_cast<int>(v * num / den); }
  int Ceil(int v) const { return static_cast<int>((v * num + den - 1) / den); }
};

Cover CoverFor(int width, int height) {
  if (static_cast<long>(width) * kSourceHeight >= static_cast<long>(height) * kSourceWidth)
    return {width, kSourceWidth};
  return {height, kSourceHeight};
}

}  // namespace

int Window1::PhotographRowsShown(host::Size screen, int width, int height) {
  if (screen.width <= kReducedWidth && screen.height <= kReducedHeight) return height;
  // Shown as they are, or scaled to cover: the rows under the screen, and where the picture is
  // scaled, the few below them that the filter reads too.
  const Cover cover = screen.width > kSourceWidth || screen.height > kSourceHeight
                          ? CoverFor(screen.width, screen.height)
                          : Cover{1, 1};
  // The picture's own scale: a picture of another width than the photographs' is scaled to
  // the same size as they are.
  const long num = cover.num * kSourceWidth, den = cover.den * width;
  const long rows = (screen.height * den + num - 1) / num;
  return static_cast<int>(std::min<long>(height, num == den ? rows : rows + 4));
}

void Window1::Event_Open() {
  gentle = gentleChoice.value_or(host::DesktopPrefersReducedMotion());
  host::Deref(quiet()).Play();

  auto screen = host::GetScreen(0);
  const int width = host::Deref(screen).Width(), height = host::Deref(screen).Height();
  bool fullSize = height > kReducedHeight;
  if (!fullSize) fullSize = width > kReducedWidth;

  if (width > kSourceWidth || height > kSourceHeight) {
    // The dark copy is made here: the first frame waits for it anyway, and the worker would
    // reach it only after decoding all the media. The others are made on the worker after that,
    // while the dark room is shown.
    const Cover cover = CoverFor(width, height);
    const int scaledWidth = cover.Ceil(kSourceWidth), scaledHeight = cover.Ceil(kSourceHeight);
    const auto covering = [&](const std::shared_ptr<host::Picture>& source) {
      return host::NewScaledPicture(source, width, height, scaledWidth, scaledHeight);
    };
    darker = host::NewPicture(width, height, 32);
    host::Deref(host::Deref(darker).Graphics())
        .DrawPicture(lowlight1(), 0, 0, scaledWidth, scaledHeight, 0, 0, kSourceWidth,
                     kSourceHeight);
    darker2 = covering(lowlight2());
    lighter = covering(chain1());
    lighter2 = covering(chain2());
    flash = covering(highlight());
    // The chain is grabbed where the scaled photographs draw it.
    ControlRect("Canvas2").SetLeft(cover.Floor(kChainBox.left));
    ControlRect("Canvas2").SetTop(cover.Floor(kChainBox.top));
    ControlRect("Canvas2").SetWidth(cover.Ceil(kChainBox.left + kChainBox.width) -
                                    cover.Floor(kChainBox.left));
    ControlRect("Canvas2").SetHeight(cover.Ceil(kChainBox.top + kChainBox.height) -
                                     cover.Floor(kChainBox.top));
  } else if (fullSize) {
    darker = lowlight1();
    darker2 = lowlight2();
    lighter = chain1();
    lighter2 = chain2();
    flash = highlight();
    ControlRect("Canvas2").SetLeft(kChainBox.left);
    ControlRect("Canvas2").SetWidth(kChainBox.width);
    ControlRect("Canvas2").SetHeight(kChainBox.height);
  } else {
    Reduced(darker, lowlight1());
    Reduced(darker2, lowlight2());
    Reduced(lighter, chain1());
    Reduced(lighter2, chain2());
    Reduced(flash, highlight());
  }

  SetBackdrop(darker);
}

}  // namespace lumorra
