// The hidden strip along the top edge, clicks on the window, and the credits box.

#include <gtest/gtest.h>

#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

class TopStrip : public SceneTest {
 protected:
  std::vector<std::string> VisibleLabels() const {
    std::vector<std::string> texts;
    for (const auto& label : Native().Showing().labels) texts.push_back(label.text);
    return texts;
  }
  host::headless::HeadlessWindow& BoxNative() const { return *backend.NativeFor(*Box()); }
  void ClickAbout() { driver->Click(*window, 120, 12); }
};

TEST_F(TopStrip, LabelsAppearOverTheStripAndStayWhileOnThem) {
  EXPECT_TRUE(VisibleLabels().empty());
  const std::size_t framesBefore = Native().Frames().size();
  driver->MoveTo(*window, 1000, 10);
  EXPECT_EQ(VisibleLabels(), (std::vector<std::string>{"Quit", "About"}));
  // Onto "Quit", onto "About", and back to the blank strip: no flicker on the way.
  driver->MoveTo(*window, 30, 12);
  driver->MoveTo(*window, 120, 12);
  driver->MoveTo(*window, 600, 2);
  EXPECT_EQ(VisibleLabels(), (std::vector<std::string>{"Quit", "About"}));
  EXPECT_EQ(Native().Frames().size(), framesBefore + 1) << "shown once, never hidden between";
  driver->MoveTo(*window, 600, 300);
  EXPECT_TRUE(VisibleLabels().empty());
  const auto& label = Native().Frames()[framesBefore].view.labels[0];
  EXPECT_EQ(label.color, host::RGB(255, 255, 255));
  EXPECT_EQ(label.size, 14);
  EXPECT_EQ(label.font, "System");
}

TEST_F(TopStrip, BlankPartOfTheWidenedQuitLabelQuits) {
  driver->Click(*window, 1600, 12);  // far right of "Quit", widened with the screen
  EXPECT_TRUE(runtime->QuitRequested());
}

TEST_F(TopStrip, AboutTwiceGivesOneBoxCentredAboveTheScene) {
  ClickAbout();
  ASSERT_NE(Box(), nullptr);
  auto box = Box();
  ClickAbout();
  EXPECT_EQ(Box(), box);
  EXPECT_EQ(runtime->Windows().size(), 2u);
  EXPECT_EQ(AboutWin::Instance(), box);
  const auto& spec = BoxNative().Spec();
  EXPECT_EQ(spec.rect, (host::Rect{860, 480, 200, 120}));
  EXPECT_TRUE(spec.keepAbove);
  EXPECT_FALSE(spec.fullScreen);
  EXPECT_EQ(box->MenuBar, nullptr);
  EXPECT_EQ(BoxNative().Showing().backColor, host::RGB(0, 0, 0));
  std::vector<std::string> texts;
  for (const auto& l : BoxNative().Showing().labels) texts.push_back(l.text);
  EXPECT_EQ(texts,
            (std::vector<std::string>{"Lumorra by\r\r\rThanks to\r\rfor the original photograph.",
                                      "Pellimore", "Corvane"}));
}

TEST_F(TopStrip, BoxHidesFiveSecondsAfterItWasMadeNotAfterItWasShownAgain) {
  ClickAbout();
  driver->Advance(3000);
  ClickAbout();
  driver->Advance(1999);
  EXPECT_TRUE(BoxNative().Shown());
  driver->Advance(1);
  EXPECT_FALSE(BoxNative().Shown());
  // Shown again after the timeout: it stays until a name is clicked.
  ClickAbout();
  driver->Advance(60000);
  EXPECT_TRUE(BoxNative().Shown());
  driver->Click(*Box(), 100, 75);
  EXPECT_FALSE(BoxNative().Shown());
}

TEST_F(TopStrip, NamesTurnBlueUnderThePointer) {
  ClickAbout();
  auto box = Box();
  auto author = box->Find<host::StaticText>("StaticText2");
  auto photographer = box->Find<host::StaticText>("StaticText3");
  auto credits = box->Find<host::StaticText>("StaticText1");
  driver->MoveTo(*box, 100, 30);
  EXPECT_EQ(author->TextColor(), host::RGB(0, 0, 255));
  EXPECT_EQ(photographer->TextColor(), host::RGB(255, 255, 255));
  driver->MoveTo(*box, 100, 75);
  EXPECT_EQ(author->TextColor(), host::RGB(255, 255, 255));
  EXPECT_EQ(photographer->TextColor(), host::RGB(0, 0, 255));
  driver->MoveTo(*box, 10, 100);
  EXPECT_EQ(photographer->TextColor(), host::RGB(255, 255, 255));
  EXPECT_EQ(credits->TextColor(), host::RGB(255, 255, 255));
}

TEST_F(TopStrip, ClickOnANameOpensItsAddressAndHidesTheBox) {
  ClickAbout();
  auto box = Box();
  driver->MoveTo(*box, 100, 30);
  driver->Press(*box, 100, 30);
  driver->Release(*box, 190, 110);  // released elsewhere: still the author's
  EXPECT_EQ(backend.Urls(), std::vector<std::string>{links::kAuthor});
  EXPECT_FALSE(BoxNative().Shown());
  EXPECT_EQ(box->Find<host::StaticText>("StaticText2")->TextColor(), host::RGB(255, 255, 255))
      << "a hidden box leaves no name highlighted";
  ClickAbout();
  driver->Click(*box, 100, 75);
  EXPECT_EQ(backend.Urls(), (std::vector<std::string>{links::kAuthor, links::kPhotographer}));
  driver->Click(*box, 10, 10);  // outside the names: nothing
  EXPECT_EQ(backend.Urls().size(), 2u);
}

TEST_F(TopStrip, CtrlQQuitsWhileTheBoxIsUp) {
  ClickAbout();
  driver->Key('q');
  EXPECT_TRUE(runtime->QuitRequested());
}

}  // namespace
}  // namespace lumorra::testing
