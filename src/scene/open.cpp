#include <algorithm>

#include "media/chain_box.h"
#include "media/media.h"
#include "media/media_table.h"
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
constexpr int kMasterWidth = 2 * kSourceWidth;
constexpr int kMasterHeight = 2 * kSourceHeight;

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

std::optional<host::ScaledSize> Window1::MasterCopies(host::Size screen) {
  if (!UsesMasters(screen.width, screen.height)) return std::nullopt;
  const Cover cover = CoverFor(screen.width, screen.height);
  const int scaledWidth = cover.Ceil(kSourceWidth), scaledHeight = cover.Ceil(kSourceHeight);
  if (scaledWidth == kMasterWidth && scaledHeight == kMasterHeight) return std::nullopt;
  return host::ScaledSize{screen.width, screen.height, scaledWidth, scaledHeight};
}

std::optional<int> Window1::DarkCopy(host::Size screen) {
  // Only a copy of exactly the size the master would be scaled to: it is then the same picture
  // (one JPEG generation apart), and nothing is scaled twice, which would blur it.
  const auto copies = MasterCopies(screen);
  if (!copies) return std::nullopt;
  for (const MasterCopy& copy : kMasterCopies)
    if (copy.photograph == medium::lowlight1 && copy.width == copies->scaledWidth &&
        copy.height == copies->scaledHeight)
      return copy.number;
  return std::nullopt;
}

void Window1::Event_Open() {
  gentle = gentleChoice_.value_or(host::DesktopPrefersReducedMotion());
  host::Deref(quiet()).Play();

  // The pictures are made for the screen's own pixels, which a desktop that scales its screens
  // has more of than window coordinates; they are drawn pixel for pixel, sharp.
  auto screen = host::GetScreen(0);
  const int width = host::Deref(screen).PixelWidth(), height = host::Deref(screen).PixelHeight();
  // Where the pictures draw the chain, in their pixels.
  host::Rect chain = Canvas2->Bounds();
  bool fullSize = height > kReducedHeight;
  if (!fullSize) fullSize = width > kReducedWidth;

  if (UsesMasters(width, height)) {
    // The pictures come from the masters (twice the photographs' size). At exactly twice the
    // photographs' size they are shown as they are, cut off at the screen's edge like the
    // photographs on a full HD screen; at any other size they are scaled to cover the screen.
    const Cover cover = CoverFor(width, height);
    if (const auto copies = MasterCopies({width, height})) {
      // Each copy is decoded and scaled in one go, in turn on the worker: the dark one first
      // (begun at start-up), as the first frame waits for it; the others while the dark room is
      // shown. Where the program has the dark one built in at this size, that is shown as it is
      // (cut off at the screen's edge), decoded from the top as the master would be.
      const auto darkCopy = DarkCopy({width, height});
      darker = darkCopy ? BuiltInCopy(*darkCopy) : ScaledMaster(medium::lowlight1, *copies);
      darker2 = ScaledMaster(medium::lowlight2, *copies);
      lighter = ScaledMaster(medium::chain1, *copies);
      lighter2 = ScaledMaster(medium::chain2, *copies);
      flash = ScaledMaster(medium::highlight, *copies);
    } else {
      darker = Master(medium::lowlight1);
      darker2 = Master(medium::lowlight2);
      lighter = Master(medium::chain1);
      lighter2 = Master(medium::chain2);
      flash = Master(medium::highlight);
    }
    // The chain is grabbed where the scaled photographs draw it.
    chain = host::Rect{cover.Floor(kChainBox.left), cover.Floor(kChainBox.top),
                       cover.Ceil(kChainBox.left + kChainBox.width) - cover.Floor(kChainBox.left),
                       cover.Ceil(kChainBox.top + kChainBox.height) - cover.Floor(kChainBox.top)};
  } else if (fullSize) {
    darker = lowlight1();
    darker2 = lowlight2();
    lighter = chain1();
    lighter2 = chain2();
    flash = highlight();
    chain = host::Rect{kChainBox.left, kChainBox.top, kChainBox.width, kChainBox.height};
  } else {
    Reduced(darker, lowlight1());
    Reduced(darker2, lowlight2());
    Reduced(lighter, chain1());
    Reduced(lighter2, chain2());
    Reduced(flash, highlight());
  }
  // The pointer is in window coordinates.
  Canvas2->SetBounds(host::Deref(screen).FromPixels(chain));

  SetBackdrop(darker);
}

}  // namespace lumorra
