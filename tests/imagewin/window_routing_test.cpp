// What the image window procedure does with the keys of the editor and where it sends
// the rest: commands posted to the window itself, program keys handed to the main
// window, and the buttons, commands and drops handed to the image editor.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "base/ids.h"
#include "core/library.h"
#include "imagewin/imagewin.h"
#include "library_support.h"
#include "platform/message.h"
#include "platform/test.h"
#include "platform/window.h"

namespace {

namespace vk = plat::vk;

class WindowRouting : public testing::Test {
 protected:
  void SetUp() override {
    resetLibrary();
    testsupport::openMainWindow(600, 600);
    installLibraryServices(testsupport::servicesWithMainWindow());
    testsupport::useService(&LibraryServices::imageEditor, recordForEditor);
    handed.clear();
    ASSERT_EQ(TAV_CreateImage(5, "keys", 0, 0, 200, 100, 100), 0);
  }
  void TearDown() override {
    resetLibrary();
    testsupport::closeMainWindow();
  }

  static void pump() { testsupport::deliverPosted(); }
  static plat::Window win() { return ImageTable[5].window; }
  static void key(int k, bool ctrl) {
    plat::test::key(win(), k, ctrl);
    pump();
  }
  // The commands the editor was handed (0 for a message of another kind), and the kinds.
  static std::vector<int> commands() {
    std::vector<int> ids;
    for (const auto& [kind, id] : handed)
      if (kind == plat::Msg::Command) ids.push_back(id);
    return ids;
  }
  static std::vector<int> forwardedKeys() {
    std::vector<int> keys;
    for (const plat::Message& m : testsupport::mainWindowKeys) {
      EXPECT_FALSE(m.ctrl) << "key " << m.key << " went on with Ctrl";
      keys.push_back(m.key);
    }
    return keys;
  }

  static inline std::vector<std::pair<plat::Msg, int>> handed;
  static bool recordForEditor(plat::Window w, plat::Message& m) {
    EXPECT_EQ(w, win());
    handed.emplace_back(m.kind, m.commandId);
    return true;
  }
};

TEST_F(WindowRouting, CtrlKeysPostTheEditorsCommandsToTheWindow) {
  for (int k : {'X', 'C', 'V', 'Q', 'R'}) key(k, true);
  namespace id = ids::image;
  EXPECT_EQ(commands(), (std::vector<int>{id::kCut, id::kCopy, id::kPasteAtOrigin, id::kDestroy,
                                          id::kClipping}));
  EXPECT_TRUE(forwardedKeys().empty());
}

TEST_F(WindowRouting, ProgramKeysGoOnToTheMainWindowWithoutCtrl) {
  for (int k : {int{'X'}, int{'C'}, vk::Escape, int{'S'}}) key(k, false);
  // With Ctrl, S and Esc have no action of their own: they go on as without it.
  key('S', true);
  key(vk::Escape, true);
  EXPECT_EQ(forwardedKeys(), (std::vector<int>{'X', 'C', vk::Escape, 'S', 'S', vk::Escape}));
  EXPECT_TRUE(commands().empty());
}

TEST_F(WindowRouting, OtherKeysDoNothingWithoutCtrl) {
  for (int k : {int{'V'}, int{'Q'}, int{'R'}, int{'A'}, vk::Numpad0}) key(k, false);
  key('A', true);
  EXPECT_TRUE(handed.empty());
  EXPECT_TRUE(forwardedKeys().empty());
  EXPECT_EQ(ImageTable[5].zoom, 100);
}

TEST_F(WindowRouting, NoKeyActsWhileAPointIsPicked) {
  testsupport::useService(&LibraryServices::pickInProgress, [] { return true; });
  for (int k : {'X', 'C', 'V', 'Q', 'R'}) key(k, true);
  for (int k : {int{'X'}, vk::Escape, int{'S'}, vk::Tab}) key(k, false);
  EXPECT_TRUE(handed.empty());
  EXPECT_TRUE(forwardedKeys().empty());
  EXPECT_EQ(TAV_GetStretchMode(5), plat::kColorOnColor);
}

TEST_F(WindowRouting, ButtonsCommandsAndDropsGoToTheEditor) {
  plat::test::click(win(), {10, 10}, plat::test::Button::Right);
  plat::test::click(win(), {10, 10}, plat::test::Button::Middle);
  plat::test::click(win(), {10, 10}, plat::test::Button::Left);
  plat::test::dropFiles(win(), {"/tmp/none.png"});
  plat::postCommand(win(), ids::image::kInvert);
  pump();
  std::vector<plat::Msg> kinds;
  for (const auto& [kind, id] : handed) kinds.push_back(kind);
  EXPECT_EQ(kinds, (std::vector<plat::Msg>{plat::Msg::RButtonDown, plat::Msg::MButtonDown,
                                           plat::Msg::DropFiles, plat::Msg::Command}));
  EXPECT_EQ(commands(), (std::vector<int>{ids::image::kInvert}));
}

}  // namespace
