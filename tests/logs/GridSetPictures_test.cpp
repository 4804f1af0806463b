#include <gtest/gtest.h>

#include "logs/LogFixture.h"
#include "platform/ImageBox.h"

using logtest::LogTest;

// The dump and upload pictures post their commands only past the access
// code; a refused code posts nothing and leaves a waiting command alone.
TEST_F(LogTest, GridSetPicturesPostPastTheAccessCode) {
  auto& save = polltest::ControlAs<ImageBox>(w, "Image_SaveGridSet");
  auto& open = polltest::ControlAs<ImageBox>(w, "Image_OpenGridSet");
  // A loop runs to carry the commands out.
  w.LinkOpen = true;
  w.PollStop = 0;
  w.AccessCode.clear();
  w.Link.CmdCode = 6;
  emit save.Click();  // the prompt cancelled
  EXPECT_EQ(w.Link.CmdCode, 6);
  EXPECT_EQ(t.dialogs.messages, QStringList{"Password Error"});

  w.IsSuperUser = 1;
  emit save.Click();
  EXPECT_EQ(w.Link.CmdCode, 420);
  emit open.Click();
  EXPECT_EQ(w.Link.CmdCode, 421);
}
