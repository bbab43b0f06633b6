// Log files: what is stored and when, the start, stop and copy results, the popup menu
// and the keys that drive them.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/clipboard.h"
#include "platform/utf8.h"
#include "textwin_fixture.h"

namespace {

using twtest::TextWindowTest;

// The folder the program "started in" and its instance number, as the services say.
std::string startFolder;
int instance = 0;

class LogFileTest : public TextWindowTest {
 protected:
  void SetUp() override {
    TextWindowTest::SetUp();
    char dir[] = "/tmp/direvo-logs-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    startFolder = std::string(dir) + "/";
    instance = 0;
    testsupport::useService(
        &LibraryServices::startDirectory, +[] { return startFolder; });
    testsupport::useService(
        &LibraryServices::instanceNumber, +[] { return instance; });
  }
  void TearDown() override {
    TextWindowTest::TearDown();
    std::filesystem::remove_all(startFolder);
  }
  static std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static std::string logText(int n) { return fileText(textwin::logFileName(n)); }
  static std::string clipboard() { return plat::toUtf8(plat::clipboardText()); }
  plat::Window openWindow(int n) {
    EXPECT_EQ(TAV_OpenTextWindow(n, 30, 30, 300, 200), 0);
    return windowOf(n);
  }
};

TEST_F(LogFileTest, FileIsNamedAfterStartFolderInstanceAndWindow) {
  EXPECT_EQ(textwin::logFileName(0), startFolder + "DIREVO00.LOG");
  instance = 1;
  EXPECT_EQ(textwin::logFileName(12), startFolder + "DIREVO112.LOG");
}

TEST_F(LogFileTest, OnlyWhatIsPrintedWhileLoggingIsKeptWithCrLfLineEnds) {
  openWindow(0);
  EXPECT_EQ(TAV_StartLog(0), 0);
  TAV_Printf("a\n");
  TAV_Printf("b\n");
  EXPECT_EQ(TAV_StopLog(0), 0);
  EXPECT_EQ(TAV_StopLog(0), 0);  // already paused
  TAV_Printf("c\n");
  EXPECT_EQ(TAV_StartLog(0), 0);  // resumed in the same file
  TAV_Printf("d\n");
  TAV_CloseAllLogs();
  EXPECT_EQ(TextWindowTable[0].logState, 0);
  EXPECT_EQ(logText(0), "a\r\nb\r\nd\r\n");

  // Closed logs write nothing more; a lone carriage return is stored as it is.
  TAV_Printf("e\n");
  EXPECT_EQ(logText(0), "a\r\nb\r\nd\r\n");
  EXPECT_EQ(TAV_StartLog(0), 0);  // a new log truncates the old file
  TAV_Printf("x\ry\n\n");
  TAV_CloseAllLogs();
  EXPECT_EQ(logText(0), "x\ry\r\n\r\n");
}

TEST_F(LogFileTest, TypedLinesAreLoggedAfterWhatWasPrinted) {
  const plat::Window w = openWindow(0);
  ASSERT_EQ(TAV_StartLog(0), 0);
  TAV_Printf("Name>");
  EXPECT_EQ(readLine({[w] { plat::test::typeText(w, u"Käthe\r"); }}), "Käthe");
  TAV_CloseAllLogs();
  EXPECT_EQ(logText(0), "Name>Käthe\r\n");
}

TEST_F(LogFileTest, StartAndStopRefuseWhatTheyCannotDo) {
  openWindow(0);
  EXPECT_EQ(TAV_StopLog(0), 1);  // no log
  EXPECT_EQ(TAV_StopLog(1), 2);  // not open
  EXPECT_EQ(TAV_StopLog(256), 2);
  EXPECT_EQ(TAV_StopLog(-1), 2);
  EXPECT_EQ(TAV_StartLog(1), 3);
  EXPECT_EQ(TAV_StartLog(256), 3);
  EXPECT_FALSE(std::filesystem::exists(textwin::logFileName(1)));

  // A second start neither truncates nor reopens.
  ASSERT_EQ(TAV_StartLog(0), 0);
  TAV_Printf("kept\n");
  EXPECT_EQ(TAV_StartLog(0), 1);
  TAV_Printf("more\n");
  TAV_CloseAllLogs();
  EXPECT_EQ(logText(0), "kept\r\nmore\r\n");
  EXPECT_TRUE(plat::test::messageBoxes().empty());
}

TEST_F(LogFileTest, FileThatCannotBeCreatedIsReportedAndLeavesNoLog) {
  openWindow(0);
  startFolder += "missing/";
  EXPECT_EQ(TAV_StartLog(0), 2);
  EXPECT_EQ(TextWindowTable[0].logState, 0);
  EXPECT_EQ(TextWindowTable[0].logFile, nullptr);
  const auto boxes = plat::test::messageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Can't create file for LOG!");
  EXPECT_EQ(boxes[0].title, "Error");
}

TEST_F(LogFileTest, ClosingTheWindowClosesItsLogAndANewWindowStartsWithout) {
  openWindow(3);
  ASSERT_EQ(TAV_StartLog(3), 0);
  TAV_Printf("one\n");
  ASSERT_EQ(TAV_CloseTextWindow(3), 0);
  EXPECT_EQ(logText(3), "one\r\n");
  openWindow(3);
  EXPECT_EQ(TextWindowTable[3].logState, 0);
  EXPECT_EQ(TAV_StopLog(3), 1);
}

TEST_F(LogFileTest, CopyPutsTheStoredBytesOnTheClipboardAndKeepsTheState) {
  openWindow(0);
  ASSERT_EQ(TAV_StartLog(0), 0);
  TAV_Printf("a\nb\n");
  ASSERT_EQ(TAV_StopLog(0), 0);
  TAV_Printf("hidden\n");

  // Paused: everything logged so far, and the log stays paused.
  EXPECT_EQ(CopyLogToClipboard(0), 0);
  EXPECT_EQ(clipboard(), "a\r\nb\r\n");
  EXPECT_EQ(TextWindowTable[0].logState, 2);
  TAV_Printf("still hidden\n");

  // Resumed after the copy: appended to the reopened file, never truncated.
  ASSERT_EQ(TAV_StartLog(0), 0);
  TAV_Printf("c\n");
  EXPECT_EQ(CopyLogToClipboard(0), 0);  // while logging: flushed first
  EXPECT_EQ(clipboard(), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(TextWindowTable[0].logState, 1);
  TAV_Printf("d\n");

  // Without a log, a file of that name left from before is still copied.
  TAV_CloseAllLogs();
  EXPECT_EQ(CopyLogToClipboard(0), 0);
  EXPECT_EQ(clipboard(), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(TextWindowTable[0].logFile, nullptr);
  EXPECT_TRUE(plat::test::messageBoxes().empty());
}

TEST_F(LogFileTest, CopyWithoutAFileSaysSoAndCopyOfAClosedNumberIsRefused) {
  openWindow(5);
  plat::setClipboardText("before");
  EXPECT_EQ(CopyLogToClipboard(5), 2);
  const auto boxes = plat::test::messageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Can't open LOG file!");
  EXPECT_EQ(boxes[0].title, "Pause");
  EXPECT_EQ(clipboard(), "before");
  EXPECT_EQ(CopyLogToClipboard(6), 4);
  EXPECT_EQ(CopyLogToClipboard(256), 4);

  // A logging window whose file vanished: reported, and logging goes on in a new file.
  ASSERT_EQ(TAV_StartLog(5), 0);
  std::filesystem::remove(textwin::logFileName(5));
  EXPECT_EQ(CopyLogToClipboard(5), 2);
  EXPECT_EQ(TextWindowTable[5].logState, 1);
  TAV_Printf("after\n");
  TAV_CloseAllLogs();
  EXPECT_EQ(logText(5), "after\r\n");
}

// ------------------------------------------------------------------ menu and keys

struct Shown {
  std::string text;
  int id;
  bool checked;
  bool separator;
};
std::vector<Shown> entries(const plat::Menu& m) {
  std::vector<Shown> out;
  for (const plat::MenuItem& i : m.items) out.push_back({i.text, i.id, i.checked, i.separator});
  return out;
}
std::vector<std::string> checkedTexts(const plat::Menu& m) {
  std::vector<std::string> out;
  for (const plat::MenuItem& i : m.items)
    if (i.checked) out.push_back(i.text);
  return out;
}

TEST_F(LogFileTest, RightClickShowsTheMenuWithItsChecksAndRunsTheChosenCommand) {
  instance = 3;
  openWindow(12);
  const plat::Window w = openWindow(4);  // 4 is current
  plat::test::answerNextMenu(ids::text::kStartLog);
  plat::test::click(w, {10, 10}, plat::test::Button::Right);
  twtest::pumpOnce();
  twtest::pumpOnce();
  std::optional<plat::Menu> menu = plat::test::lastMenu();
  ASSERT_TRUE(menu);
  const std::vector<Shown> shown = entries(*menu);
  ASSERT_EQ(shown.size(), 11u);
  const char* texts[] = {"&Select\tCtrl+S",
                         "&Window Info.\tCtrl+W",
                         "Command",
                         "",
                         "Start Log",
                         "Stop Log",
                         "&Copy DIREVO34.LOG\tCtrl+C",
                         "",
                         "&About DIREVO\tCtrl+A",
                         "",
                         "&Destroy\tCtrl+Q"};
  const int idsShown[] = {1069, 1045, 1029, 0, 1024, 1025, 1030, 0, 1020, 0, 1006};
  for (size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(shown[i].separator, texts[i][0] == '\0') << i;
    if (!shown[i].separator) {
      EXPECT_EQ(shown[i].text, texts[i]) << i;
      EXPECT_EQ(shown[i].id, idsShown[i]) << i;
    }
  }
  // Shown before the command ran: current, no log.
  EXPECT_EQ(checkedTexts(*menu), std::vector<std::string>{"&Select\tCtrl+S"});
  EXPECT_EQ(TextWindowTable[4].logState, 1);  // the chosen Start Log ran

  EXPECT_EQ(checkedTexts(textwin::textWindowMenu(4)),
            (std::vector<std::string>{"&Select\tCtrl+S", "Start Log"}));
  ASSERT_EQ(TAV_StopLog(4), 0);
  EXPECT_EQ(checkedTexts(textwin::textWindowMenu(4)),
            (std::vector<std::string>{"&Select\tCtrl+S", "Stop Log"}));
  EXPECT_TRUE(checkedTexts(textwin::textWindowMenu(12)).empty());
  EXPECT_EQ(textwin::textWindowMenu(12).items[6].text, "&Copy DIREVO312.LOG\tCtrl+C");
}

TEST_F(LogFileTest, NoMenuWhileALineIsReadOrAPickRuns) {
  const plat::Window w = openWindow(0);
  InputOwner = 1;
  plat::test::click(w, {10, 10}, plat::test::Button::Right);
  twtest::pumpOnce();
  EXPECT_FALSE(plat::test::lastMenu());
  InputOwner = 0;

  testsupport::useService(
      &LibraryServices::pickInProgress, +[] { return true; });
  plat::test::click(w, {10, 10}, plat::test::Button::Right);
  twtest::pumpOnce();
  EXPECT_FALSE(plat::test::lastMenu());
}

TEST_F(LogFileTest, CtrlKeysRunTheMenuCommandsOnTheirOwnWindow) {
  openWindow(1);
  const plat::Window w = openWindow(2);
  const plat::Window w1 = windowOf(1);
  ASSERT_EQ(TAV_StartLog(1), 0);
  TAV_SelectTextWindow(1);
  TAV_Printf("logged\n");
  ASSERT_EQ(TAV_StopLog(1), 0);

  plat::test::key(w1, 'C', true);  // copy window 1's log
  twtest::pumpOnce();
  EXPECT_EQ(clipboard(), "logged\r\n");

  plat::test::key(w, 'S', true);  // select 2
  twtest::pumpOnce();
  EXPECT_EQ(CurrentTextWindow, 2);

  ASSERT_EQ(TAV_StartLog(1), 0);
  plat::test::key(w1, 'A', true);  // About selects window 1 and prints the banner there
  twtest::pumpOnce();
  EXPECT_EQ(CurrentTextWindow, 1);
  TAV_CloseAllLogs();
  EXPECT_EQ(logText(1), "logged\r\nDIREVO --- image and text window library\r\n");

  plat::test::key(w, 'Q', true);  // destroy 2
  twtest::pumpOnce();
  EXPECT_FALSE(TextWindowTable[2].inUse);
}

}  // namespace
