// The command console, the status line, and the prompt service the boxes use.
#include "textwin_fixture.h"

namespace {

using twtest::TextWindowTest;

class ConsoleTest : public TextWindowTest {
 protected:
  void SetUp() override {
    TextWindowTest::SetUp();
    ASSERT_EQ(TAV_OpenTextWindow(0, 20, 20, 400, 300), 0);
    capture(0);
  }
  // Runs one console command with this line typed after the prompt.
  int run(const std::u16string& typed) {
    script = {[this, typed] { plat::test::typeText(windowOf(CurrentTextWindow), typed); }};
    twtest::usePump(twtest::scriptedPump);
    const int result = RunConsoleCommand();
    twtest::usePump(nullptr);
    return result;
  }
  std::deque<std::function<void()>>& script = twtest::script;
};

TEST_F(ConsoleTest, OnlyTheExactLowerCaseNamesAreCommands) {
  EXPECT_EQ(run(u"help\r"), 0);
  EXPECT_EQ(printed(0), "Cmd>help\nCommand list:exit help start ver color\n");
  for (const char16_t* wrong : {u"HELP\r", u"help \r", u" help\r", u"\r", u"exit \r", u"Exit\r"}) {
    const size_t before = printed(0).size();
    EXPECT_EQ(run(wrong), 1);
    EXPECT_EQ(printed(0).substr(printed(0).size() - 16), "Invalid command\n");
    EXPECT_GT(printed(0).size(), before);
  }
  EXPECT_TRUE(twtest::mainKeys.empty());
}

TEST_F(ConsoleTest, ExitAndStartAreKeysForTheMainWindow) {
  EXPECT_EQ(run(u"exit\r"), 0);
  EXPECT_EQ(run(u"start\r"), 0);
  twtest::pumpOnce();
  ASSERT_EQ(twtest::mainKeys.size(), 2u);
  EXPECT_EQ(twtest::mainKeys[0].key, plat::vk::Escape);
  EXPECT_EQ(twtest::mainKeys[1].key, 'S');
  EXPECT_FALSE(twtest::mainKeys[1].ctrl);
}

TEST_F(ConsoleTest, VerAsksTheCurrentWindowForItsBanner) {
  EXPECT_EQ(run(u"ver\r"), 0);
  plat::Message m;
  bool about = false;
  while (plat::peekMessage(m, plat::Peek::Remove)) {
    about |= m.kind == plat::Msg::Command && m.commandId == 1020 && m.window == windowOf(0);
    plat::dispatchMessage(m);
  }
  EXPECT_TRUE(about);
}

TEST_F(ConsoleTest, ColorListsTheImageDrawingColours) {
  DrawColor = 0x10FF80;
  tav_tttc = 0xABCDEF;
  tav_tc = 0x000102;
  EXPECT_EQ(run(u"color\r"), 0);
  EXPECT_EQ(printed(0),
            "Cmd>color\nRed  : 16\nGreen:255\nBlue :128\ntav_tttc=abcdef\ntav_tc=000102\n");
  // They are not the text window's colours.
  EXPECT_EQ(TextWindowTable[0].textColor, 0xFFFFFFu);
}

TEST_F(ConsoleTest, SpaceSelectsItsWindowAndOpensTheConsoleWithAnEmptyLine) {
  ASSERT_EQ(TAV_OpenTextWindow(2, 500, 20, 300, 200), 0);
  capture(2);
  TAV_SelectTextWindow(0);
  script = {[this] { plat::test::typeText(windowOf(2), u"help\r"); }};
  twtest::usePump(twtest::scriptedPump);
  plat::test::key(windowOf(2), plat::vk::Space);
  twtest::pumpOnce();
  twtest::usePump(nullptr);
  EXPECT_TRUE(script.empty());
  EXPECT_EQ(CurrentTextWindow, 2);
  EXPECT_EQ(printed(2), "Cmd>help\nCommand list:exit help start ver color\n");
  EXPECT_EQ(printed(0), "");

  // A space typed into a later line is kept.
  EXPECT_EQ(run(u" x\r"), 1);
  EXPECT_NE(printed(2).find("Cmd> x\n"), std::string::npos);
}

TEST_F(ConsoleTest, TheMenuRouteLeavesTheCurrentWindowAlone) {
  ASSERT_EQ(TAV_OpenTextWindow(2, 500, 20, 300, 200), 0);
  TAV_SelectTextWindow(0);
  script = {[this] { plat::test::typeText(windowOf(0), u"help\r"); }};
  twtest::usePump(twtest::scriptedPump);
  plat::postCommand(windowOf(2), 1029);
  twtest::pumpOnce();
  twtest::usePump(nullptr);
  EXPECT_TRUE(script.empty());
  EXPECT_EQ(CurrentTextWindow, 0);
  EXPECT_EQ(printed(0), "Cmd>help\nCommand list:exit help start ver color\n");
}

TEST_F(ConsoleTest, TheStatusLineCentresShortTextsIn63Columns) {
  StatusLine("Input text");
  EXPECT_EQ(statusText(), std::string(13, ' ') + "Input text");
  StatusLine("あいう");  // six columns
  EXPECT_EQ(statusText(), std::string(15, ' ') + "あいう");
  const std::string longText(70, 'L');
  StatusLine(longText.c_str());
  EXPECT_EQ(statusText(), std::string(63, 'L'));
  StatusLine((std::string(30, 'k') + "漢字").c_str());  // 34 columns, 1 space
  EXPECT_EQ(statusText(), " " + std::string(30, 'k') + "漢字");
  StatusLine((std::string(61, 'k') + "漢").c_str());  // ends exactly at column 63
  EXPECT_EQ(statusText(), std::string(61, 'k') + "漢");
  StatusLine((std::string(62, 'k') + "漢").c_str());  // the wide one would pass it
  EXPECT_EQ(statusText(), std::string(62, 'k'));
}

TEST_F(ConsoleTest, TheBoxesAskTheirLabelsThroughThePrompt) {
  TAV_CloseTextWindow(0);  // the prompt opens text window 0 itself
  TAV_OpenInputBox(0, 0, 3);
  twtest::pumpOnce();
  script = {[] { plat::test::typeText(TextWindowTable[0].window, u"Speed\r"); }};
  twtest::usePump(twtest::scriptedPump);
  plat::test::doubleClick(boxes::inputBoxWindow(), {2, 2 * 28 + 5});
  twtest::pumpOnce();
  twtest::usePump(nullptr);
  EXPECT_TRUE(script.empty());
  EXPECT_TRUE(TextWindowTable[0].inUse);
  EXPECT_EQ(boxes::inputBoxLabel(2), "Speed");
}

}  // namespace
