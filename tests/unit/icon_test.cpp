// The bulb icon on every window the program makes.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "about/aboutwin.h"
#include "app/app.h"
#include "host/headless/headless_backend.h"
#include "host/icon.h"
#include "media/media.h"
#include "scene/window1.h"

namespace lumorra::testing {
namespace {

TEST(WindowIcon, BothWindowsCarryTheBuiltInBulb) {
  host::headless::HeadlessBackend backend;
  host::Runtime runtime(backend, &EmbeddedResources());
  SetUpIcon(runtime);
  const auto icon = runtime.Icon();
  ASSERT_NE(icon, nullptr);
  ASSERT_EQ(icon->width, 64);
  ASSERT_EQ(icon->height, 64);
  ASSERT_EQ(icon->pixels.size(), 64u * 64u);
  // A shape on a clear ground, not an opaque square: the corners are see-through and the
  // middle is drawn.
  EXPECT_EQ(icon->pixels.front() >> 24, 0u);
  EXPECT_EQ(icon->pixels.back() >> 24, 0u);
  int opaque = 0;
  for (std::uint32_t p : icon->pixels) opaque += (p >> 24) == 0xff;
  EXPECT_GT(opaque, 64 * 64 / 10);

  InitFileTypes();
  NewAppInstance();
  MakeDefaultView();
  AboutWin::Instance()->Show();
  ASSERT_EQ(backend.NativeWindows().size(), 2u);
  for (const auto* native : backend.NativeWindows()) EXPECT_EQ(native->Spec().icon, icon);
  Finalise();
}

TEST(WindowIcon, BytesThatAreNoPictureGiveNoIcon) {
  const std::vector<std::uint8_t> junk = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'};
  EXPECT_EQ(host::DecodeIcon(junk), nullptr);
  EXPECT_EQ(host::DecodeIcon({}), nullptr);
}

}  // namespace
}  // namespace lumorra::testing
