#include "media/chain_box.h"
#include "media/media.h"
#include "scene/window1.h"

namespace lumorra {

namespace {

// Screens larger than this in either direction show the photographs at their own size;
// smaller ones get copies reduced to exactly this size.
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

}  // namespace

void Window1::Event_Open() {
  gentle = gentleChoice.value_or(host::Runtime::Current().GetBackend().PrefersReducedMotion());
  host::Deref(quiet()).Play();

  auto screen = host::GetScreen(0);
  bool fullSize = host::Deref(screen).Height() > kReducedHeight;
  if (!fullSize) fullSize = host::Deref(screen).Width() > kReducedWidth;

  if (fullSize) {
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
