// Relabelling by double-click and popup, through a scripted prompt.
#include "box_fixture.h"

namespace {

using boxtest::BoxTest;

std::vector<std::string> prompts;
std::string answer;
bool destroyWhileAsking = false;

std::string scriptedPrompt(const std::string& prompt) {
  prompts.push_back(prompt);
  if (destroyWhileAsking) {
    DestroyInputBox();
    DestroyButtonBox();
  }
  return answer;
}

class RenameTest : public BoxTest {
 protected:
  void SetUp() override {
    BoxTest::SetUp();
    prompts.clear();
    answer.clear();
    destroyWhileAsking = false;
    testsupport::useService(&LibraryServices::promptLine, scriptedPrompt);
  }
};

TEST_F(RenameTest, DoubleClickOnAnInputRowAsksForThatItem) {
  TAV_OpenInputBox(0, 0, 5);
  pump();
  answer = "Speed";
  plat::test::doubleClick(boxes::inputBoxWindow(), {2, 2 * 28 + 5});
  pump();
  ASSERT_EQ(prompts, (std::vector<std::string>{"2 'Item 2' ->"}));
  EXPECT_EQ(boxes::inputBoxLabel(2), "Speed");
  EXPECT_STREQ(TAV_GetInputBoxText(2), "0");  // the field is not touched

  answer = "";
  plat::test::doubleClick(boxes::inputBoxWindow(), {2, 2 * 28 + 5});
  pump();
  EXPECT_EQ(boxes::inputBoxLabel(2), "Speed");

  // Below the last row: the prompt shows an empty label and nothing changes.
  answer = "x";
  plat::test::answerNextMenu(1056);
  plat::test::click(boxes::inputBoxWindow(), {2, 5 * 28 + 1}, plat::test::Button::Right);
  pump();
  EXPECT_EQ(prompts.back(), "5 '' ->");
  for (int i = 0; i < 5; ++i) EXPECT_NE(boxes::inputBoxLabel(i), "x");
}

TEST_F(RenameTest, ButtonRenamesFollowTheGridCell) {
  TAV_OpenButtonBox(0, 0, 2, 12);
  pump();
  answer = "prop";
  // Right of the last column in row 6: button 13.
  plat::test::doubleClick(boxes::buttonBoxWindow(), {205, 6 * 30 + 5});
  pump();
  ASSERT_EQ(prompts, (std::vector<std::string>{"13 '13' ->"}));
  EXPECT_EQ(boxes::buttonLabel(13), "prop");

  answer = "";
  plat::test::answerNextMenu(1057);
  plat::test::click(boxes::buttonBoxWindow(), {2, 2}, plat::test::Button::Right);
  pump();
  EXPECT_EQ(prompts.back(), "0 '0' ->");
  EXPECT_EQ(boxes::buttonLabel(0), "0");
}

TEST_F(RenameTest, ABoxDestroyedDuringThePromptIsLeftAlone) {
  TAV_OpenInputBox(0, 0, 3);
  TAV_OpenButtonBox(300, 0, 2, 2);
  pump();
  answer = "late";
  destroyWhileAsking = true;
  plat::test::doubleClick(boxes::inputBoxWindow(), {2, 5});
  pump();
  EXPECT_FALSE(boxes::inputBoxWindow());
  EXPECT_FALSE(boxes::buttonBoxWindow());
  EXPECT_TRUE(plat::test::messageBoxes().empty());
}

}  // namespace
