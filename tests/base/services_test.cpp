// What a lower layer gets from the library services when no program filled them in: a
// harmless answer from every call, never a null function.
#include "base/services.h"

#include <gtest/gtest.h>

#include "core/library.h"
#include "platform/message.h"

namespace {

// Every field null: what a program that fills in only some of them leaves in the rest.
LibraryServices allNull() {
  LibraryServices s;
  s.mainWindow = nullptr;
  s.refreshWindowEdges = nullptr;
  s.snapMovingWindow = nullptr;
  s.promptLine = nullptr;
  s.openTextWindow = nullptr;
  s.imageEditor = nullptr;
  s.pickInProgress = nullptr;
  s.pickMouse = nullptr;
  s.statusLine = nullptr;
  s.stopRequested = nullptr;
  s.clearStopRequest = nullptr;
  s.allowMainWindowDrops = nullptr;
  s.dialogBoxes = nullptr;
  s.instanceNumber = nullptr;
  s.startDirectory = nullptr;
  s.boxesLayout = nullptr;
  s.pump = nullptr;
  return s;
}

class ServiceDefaults : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    resetLibrary();
    // A program's own services first, so the defaults must really come back.
    LibraryServices own;
    own.mainWindow = [] { return plat::Window{}; };
    own.pickInProgress = [] { return true; };
    own.promptLine = [](const std::string&) { return std::string("typed"); };
    installLibraryServices(own);
    installLibraryServices(GetParam() ? allNull() : LibraryServices{});
  }
  void TearDown() override { resetLibrary(); }
};

TEST_P(ServiceDefaults, EveryCallIsHarmless) {
  const LibraryServices& s = libraryServices();
  // A caller may call any of them without checking first.
  for (const bool present :
       {s.mainWindow != nullptr, s.refreshWindowEdges != nullptr, s.snapMovingWindow != nullptr,
        s.promptLine != nullptr, s.openTextWindow != nullptr, s.imageEditor != nullptr,
        s.pickInProgress != nullptr, s.pickMouse != nullptr, s.statusLine != nullptr,
        s.stopRequested != nullptr, s.clearStopRequest != nullptr,
        s.allowMainWindowDrops != nullptr, s.dialogBoxes != nullptr, s.instanceNumber != nullptr,
        s.startDirectory != nullptr, s.boxesLayout != nullptr, s.pump != nullptr})
    ASSERT_TRUE(present);

  EXPECT_FALSE(s.mainWindow());  // no owner, no status line, no forwarded keys
  EXPECT_FALSE(s.pickInProgress());
  EXPECT_EQ(s.promptLine("Text>"), "");             // a prompt answered with nothing
  EXPECT_EQ(s.openTextWindow(0, 0, 0, 10, 10), 1);  // no window opened
  plat::Message m;
  m.kind = plat::Msg::Command;
  EXPECT_FALSE(s.imageEditor({}, m));  // the default handling runs
  EXPECT_FALSE(s.stopRequested());
  const auto boxes = s.dialogBoxes();
  EXPECT_FALSE(boxes[0]);
  EXPECT_FALSE(boxes[1]);
  EXPECT_EQ(s.instanceNumber(), 0);
  EXPECT_EQ(s.startDirectory(), "");
  const BoxesLayout layout = s.boxesLayout();
  EXPECT_FALSE(layout.inputBoxOpen);
  EXPECT_FALSE(layout.buttonBoxOpen);
  EXPECT_TRUE(layout.itemLabels.empty());
  EXPECT_TRUE(layout.buttonLabels.empty());

  // The calls that only act do nothing that can be seen, and return.
  plat::Rect proposed{10, 20, 110, 220};
  s.snapMovingWindow(proposed, {});
  EXPECT_EQ(proposed.left, 10);
  EXPECT_EQ(proposed.bottom, 220);
  s.refreshWindowEdges();
  s.pickMouse(0, plat::Msg::LButtonDown, 1, 1);
  s.statusLine("ready");
  s.clearStopRequest();
  s.allowMainWindowDrops(true);
  s.pump();
}

INSTANTIATE_TEST_SUITE_P(NothingFilledIn, ServiceDefaults, testing::Values(false),
                         [](const auto&) { return std::string("DefaultStruct"); });
INSTANTIATE_TEST_SUITE_P(FieldsLeftNull, ServiceDefaults, testing::Values(true),
                         [](const auto&) { return std::string("NullFields"); });

}  // namespace
