// The window information: the listing in its colours and the layout source, for the
// smallest layout, a full one, and at the limits of its lines and of its buffer.
#include "platform/clipboard.h"
#include "platform/utf8.h"
#include "textwin_fixture.h"

namespace {

using twtest::TextWindowTest;

constexpr const char* kNotice = "クリップボードにレイアウト作成ソースリストを保存しました．\n";

class WindowInfoTest : public TextWindowTest {
 protected:
  void SetUp() override {
    TextWindowTest::SetUp();
    testsupport::useService(&LibraryServices::boxesLayout, boxes::layout);
  }
  static std::string clipboard() { return plat::toUtf8(plat::clipboardText()); }
  // Pixels of one colour in text line `line` of window n's picture.
  int pixelsIn(int n, int line, uint32_t color) const {
    const plat::Surface& s = *TextWindowTable[n].picture;
    int count = 0;
    for (int y = line * lh; y < (line + 1) * lh && y < s.height(); ++y)
      for (int x = 0; x < s.width(); ++x)
        if ((s.row32(y)[x] & 0xFFFFFF) == color) ++count;
    return count;
  }
};

TEST_F(WindowInfoTest, OneTextWindowGivesFourSourceLinesAndTheListingInItsColours) {
  ASSERT_EQ(TAV_OpenTextWindow(0, 216, 0, 152 + 400, 469), 0);
  TextWindowRecord& rec = TextWindowTable[0];
  TAV_PushTextColor(0x102030, 0x405060);  // the window's own colours, back afterwards
  capture(0);
  plat::setClipboardText("old");
  // A narrow window wraps the long lines; the listing is checked in a wide one first.
  GenerateWindowInfo(0);
  EXPECT_EQ(printed(0), std::string("******* Window information *******\n"
                                    "[Text Window]\n"
                                    " 0 X:216 Y:0 W:552 H:469\n"
                                    "**********************************\n") +
                            kNotice);
  EXPECT_EQ(rec.textColor, 0x405060u);
  EXPECT_EQ(rec.backColor, 0x102030u);

  // Line by line: yellow header, green section, white entry, yellow footer, the notice
  // yellow on navy.
  EXPECT_GT(pixelsIn(0, 0, 0xFFFF00), 0);
  EXPECT_EQ(pixelsIn(0, 0, 0x00FF00), 0);
  EXPECT_GT(pixelsIn(0, 1, 0x00FF00), 0);
  EXPECT_EQ(pixelsIn(0, 1, 0xFFFFFF), 0);
  EXPECT_GT(pixelsIn(0, 2, 0xFFFFFF), 0);
  EXPECT_EQ(pixelsIn(0, 2, 0x00FF00), 0);
  EXPECT_GT(pixelsIn(0, 3, 0xFFFF00), 0);
  EXPECT_GT(pixelsIn(0, 4, 0x000080), 0);
  EXPECT_GT(pixelsIn(0, 4, 0xFFFF00), 0);
  EXPECT_EQ(pixelsIn(0, 2, 0x000080), 0);

  // The example layout: client 152 x 469 at (216, 0).
  TAV_CloseTextWindow(0);
  ASSERT_EQ(TAV_OpenTextWindow(0, 216, 0, 152, 469), 0);
  GenerateWindowInfo(0);
  const std::string expected =
      "\t// DIREVO --- Automatic Source Generator\n"
      "\t// [Text Window]\n"
      "\tTAV_OpenTextWindow(0,216,0,152,469);\n"
      "\tTAV_SetForeground(TAVMAINWINDOW);\n";
  EXPECT_EQ(clipboard(), expected);
  EXPECT_EQ(textwin::windowInfoSource(), expected);
}

TEST_F(WindowInfoTest, FullLayoutListsEveryWindowKindInNumberOrder) {
  ASSERT_EQ(TAV_CreateImage8FL(7, "日本", 300, 20, 120, 90, 100), 0);
  ASSERT_EQ(TAV_CreateImage(0, "frame", 10, 20, 128, 96, 100), 0);
  ASSERT_EQ(TAV_CreateImageFL(1, "multi", 100, 20, 64, 48, 200), 0);
  ASSERT_EQ(TAV_CreateImage8(2, "grey", 200, 20, 240, 180, 50), 0);
  ASSERT_EQ(TAV_OpenTextWindow(3, 20, 400, 200, 150), 0);
  ASSERT_EQ(TAV_OpenTextWindow(0, 300, 400, 600, 300), 0);
  TAV_OpenInputBox(700, 30, 2);
  TAV_SetInputBoxTitle(0, "Width");
  TAV_SetInputBoxTitle(1, "Pitch \"x\"");
  TAV_ResizeInputBox(90, 60);
  TAV_OpenButtonBox(700, 300, 2, 1);
  TAV_SetButtonBoxTitle(0, "play\nfast");
  TAV_SetButtonBoxTitle(1, "stop");
  TAV_ResizeButtonBox(220, 40);

  capture(0);
  GenerateWindowInfo(0);
  const plat::Rect in = plat::getWindowRect(boxes::inputBoxWindow());
  const plat::Rect bb = plat::getWindowRect(boxes::buttonBoxWindow());
  EXPECT_EQ(in.left, 700);
  EXPECT_EQ(bb.top, 300);
  auto line = [](const char* format, auto... values) {
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return std::string(text);
  };
  const std::string source =
      "\t// DIREVO --- Automatic Source Generator\n"
      "\t// [Image Window]\n"
      "\tTAV_CreateImage(0,\"frame\",10,20,128,96,100);\n"
      "\tTAV_CreateImageFL(1,\"multi\",100,20,64,48,200);\n"
      "\tTAV_CreateImage8(2,\"grey\",200,20,240,180,50);\n"
      "\tTAV_CreateImage8FL(7,\"日本\",300,20,120,90,100);\n"
      "\t// [Text Window]\n"
      "\tTAV_OpenTextWindow(0,300,400,600,300);\n"
      "\tTAV_OpenTextWindow(3,20,400,200,150);\n"
      "\t// [Input Box]\n" +
      line("\tTAV_OpenInputBox(%d,%d,2);\n", in.left, in.top) +
      "\tTAV_ResizeInputBox(90,60);\n"
      "\tTAV_SetInputBoxTitle(0,\"Width\");\n"
      "\tTAV_SetInputBoxTitle(1,\"Pitch \"x\"\");\n"
      "\t// [Button Box]\n" +
      line("\tTAV_OpenButtonBox(%d,%d,2,1);\n", bb.left, bb.top) +
      "\tTAV_ResizeButtonBox(220,40);\n"
      "\tTAV_SetButtonBoxTitle(0,\"play\\nfast\");\n"
      "\tTAV_SetButtonBoxTitle(1,\"stop\");\n"
      "\tTAV_SetForeground(TAVMAINWINDOW);\n";
  EXPECT_EQ(clipboard(), source);

  const std::string listing =
      "******* Window information *******\n"
      "[Image Window]\n"
      " 0 32 1  'frame' X:10 Y:20 W:128 H:96 ZM:100%\n"
      " 1 32 0  'multi' X:100 Y:20 W:64 H:48 ZM:200%\n"
      " 2 8 1  'grey' X:200 Y:20 W:240 H:180 ZM:50%\n"
      " 7 8 0  '日本' X:300 Y:20 W:120 H:90 ZM:100%\n"
      "[Text Window]\n"
      " 0 X:300 Y:400 W:600 H:300\n"
      " 3 X:20 Y:400 W:200 H:150\n"
      "[Input Box]\n" +
      line(" X:%d Y:%d ITEM:2 ISIZE:90 ESIZE:60\n", in.left, in.top) + "[Button Box]\n" +
      line(" X:%d Y:%d NX:2 NY:1 SIZE:220x40\n", bb.left, bb.top) +
      "**********************************\n" + kNotice;
  EXPECT_EQ(printed(0), listing);
  // The depth and the limit mode of an image window have colours of their own.
  EXPECT_GT(pixelsIn(0, 2, 0x0080FF), 0);
  EXPECT_GT(pixelsIn(0, 2, 0xFF00FF), 0);
}

TEST_F(WindowInfoTest, LongLinesAndALongSourceAreCutAtCharacterBoundaries) {
  // One line holds at most 511 bytes; a cut line runs into the next.
  const std::string title(600, 't');
  ASSERT_EQ(TAV_CreateImage(0, title.c_str(), 10, 20, 64, 48, 100), 0);
  ASSERT_EQ(TAV_OpenTextWindow(0, 300, 400, 600, 300), 0);
  std::string source = textwin::windowInfoSource();
  const std::string head = "\t// DIREVO --- Automatic Source Generator\n\t// [Image Window]\n";
  ASSERT_EQ(source.rfind(head, 0), 0u);
  const std::string cut = "\tTAV_CreateImage(0,\"" + std::string(511 - 20, 't');
  EXPECT_EQ(source.substr(head.size(), 511 + 18), cut + "\t// [Text Window]\n");
  TAV_DestroyImage(0);

  // Labels are copied with at most 254 characters; the whole source stops below 30000
  // bytes, without splitting a character.
  TAV_OpenButtonBox(10, 10, 16, 8);
  std::string label;
  for (int i = 0; i < 300; ++i) label += "é";
  for (int i = 0; i < 128; ++i) TAV_SetButtonBoxTitle(i, label.c_str());
  TAV_SetButtonBoxTitle(0, std::string(300, 'a').c_str());
  source = textwin::windowInfoSource();
  EXPECT_NE(source.find("\tTAV_SetButtonBoxTitle(0,\"" + std::string(254, 'a') + "\");\n"),
            std::string::npos);
  std::string labelCut;
  for (int i = 0; i < 127; ++i) labelCut += "é";  // 254 bytes
  EXPECT_NE(source.find("\tTAV_SetButtonBoxTitle(1,\"" + labelCut + "\");\n"), std::string::npos);
  EXPECT_LE(source.size(), 29999u);
  EXPECT_GE(source.size(), 29998u);  // filled up to the last whole character
  EXPECT_EQ(plat::toUtf8(plat::toUtf16(source)), source);
  EXPECT_EQ(source.find("TAV_SetForeground"), std::string::npos);

  // The listing still ends properly, and the clipboard gets the cut source.
  capture(0);
  GenerateWindowInfo(0);
  EXPECT_EQ(clipboard(), source);
  const std::string listing = printed(0);
  EXPECT_NE(listing.find("**********************************\n"), std::string::npos);
}

}  // namespace
