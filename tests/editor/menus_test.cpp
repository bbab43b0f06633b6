// The two popup menus as the user opens them: entries, identifiers, separators, checks
// and the depth-dependent Information submenu, and which button opens which.
#include <optional>
#include <string>
#include <vector>

#include "editor_fixture.h"
#include "textwin/textwin.h"

namespace {

using Button = plat::test::Button;

// One line per entry: "label id", "-" for a separator, "label [x]" when checked, and
// "label > a b c" for a submenu with its entries' lines joined by " | ".
std::string describe(const plat::MenuItem& item) {
  if (item.separator) return "-";
  if (!item.submenu.empty()) {
    std::string s = item.text + " >";
    for (size_t i = 0; i < item.submenu.size(); ++i)
      s += (i ? " | " : " ") + describe(item.submenu[i]);
    return s;
  }
  return item.text + " " + std::to_string(item.id) + (item.checked ? " [x]" : "") +
         (item.grayed ? " (grey)" : "");
}
std::vector<std::string> describe(const plat::Menu& m) {
  std::vector<std::string> lines;
  for (const plat::MenuItem& item : m.items) lines.push_back(describe(item));
  return lines;
}

const std::vector<std::string> kImageMenuAt100 = {
    "Cut\tCtrl+X 1011",
    "Copy\tCtrl+C 1012",
    "Paste\tCtrl+V 1013",
    "-",
    "&Load image file 1004",
    "&Save as 1010",
    "-",
    "Zoom: 50% 1007",
    "Zoom:100%\tCtrl+0 1008 [x]",
    "Zoom:200% 1009",
    "&Zoom... 1046",
    "-",
    "&Resize... 1047",
    "&Destroy\tCtrl+Q 1005",
};

std::vector<std::string> processMenuWith(const std::string& information) {
  return {
      "Process... > Invert 1058 | - | R. Rotate 1061 | L. Rotate 1062 | - | Horz. Flip 1059 | "
      "Vert. Flip 1060 | - | Size 50.0% 1063 | Size 70.7% 1064 | Size 141.4% 1065 | "
      "Size 200.0% 1066",
      "-",
      "Information... > " + information,
      "-",
      "Test Pattern... > RGB 1053 | HSV 1054 | YCrCb 1055 | Yuv 1067 | YIQ 1068 | Grey 1071",
      "-",
      "Clipping\tCtrl+R 1019",
      "-",
      "Color... > Change 1031 | Pick 1052",
      "Draw Line... > Normal 1032 | Horz. 1034 | Vert. 1035",
      "Draw Box... > Normal 1036 | Fill 1037 | Fill XOR 1038",
      "Draw Circle... > Normal 1039 | Fill 1040 | Fill XOR 1041",
      "TrueType... > Draw 1048 | Font Change 1049",
      "Draw Text 1042",
      "Paint 1043",
  };
}
const std::string kInformation32 =
    "Pixel 1015 | Line(RGB) 1016 | Line(HSV) 1017 | Line(YCrCb) 1018 | Line(CrCb) 1021 | - | "
    "Area(CrCb) 1022";
const std::string kInformation8 = "Pixel 1015 | Line(Lumi) 1070";

class Menus : public Editor {
 protected:
  // Presses a button in window n with nothing chosen from a menu it opens; the menu shown,
  // if one was.
  static std::optional<plat::Menu> press(int n, Button b, bool ctrl = false) {
    plat::test::reset();
    plat::test::answerNextMenu(0);
    plat::test::click(win(n), {3, 3}, b, ctrl);
    pump();
    return plat::test::lastMenu();
  }
};

TEST_F(Menus, TheRightButtonOpensImageMenu) {
  open32(0, 120, 60);
  const auto menu = press(0, Button::Right);
  ASSERT_TRUE(menu);
  EXPECT_EQ(describe(*menu), kImageMenuAt100);
}

TEST_F(Menus, OnlyTheZoomEntryOfTheWindowsZoomIsChecked) {
  open32(0, 300, 200);
  auto checkedAt = [&](int zoom) {
    EXPECT_EQ(TAV_SetImageZoom(zoom, 0), 0);
    const auto menu = press(0, Button::Right);
    std::vector<int> checked;
    for (const plat::MenuItem& item : menu->items)
      if (item.checked) checked.push_back(item.id);
    return checked;
  };
  EXPECT_EQ(checkedAt(50), std::vector<int>{1007});
  EXPECT_EQ(checkedAt(100), std::vector<int>{1008});
  EXPECT_EQ(checkedAt(111), std::vector<int>{});
  EXPECT_EQ(checkedAt(200), std::vector<int>{1009});
}

TEST_F(Menus, MiddleOrCtrlRightOpensProcessMenuWithTheDepthsInformation) {
  open32(0, 120, 60);
  open8(1, 120, 60);
  for (auto [button, ctrl] : {std::pair{Button::Middle, false}, std::pair{Button::Middle, true},
                              std::pair{Button::Right, true}}) {
    const auto menu32 = press(0, button, ctrl);
    ASSERT_TRUE(menu32);
    EXPECT_EQ(describe(*menu32), processMenuWith(kInformation32));
    const auto menu8 = press(1, button, ctrl);
    ASSERT_TRUE(menu8);
    EXPECT_EQ(describe(*menu8), processMenuWith(kInformation8));
  }
}

TEST_F(Menus, TheChosenEntryIsRunOnTheWindowItWasOpenedIn) {
  open32(0, 300, 200);
  open32(1, 300, 200);
  plat::test::answerNextMenu(1009);  // Zoom:200%
  plat::test::click(win(1), {3, 3}, Button::Right);
  pump();
  EXPECT_EQ(ImageTable[1].zoom, 200);
  EXPECT_EQ(ImageTable[0].zoom, 100);
}

TEST_F(Menus, NoMenuWhileALineIsRead) {
  open32(0, 120, 60);
  InputOwner.store(1);
  EXPECT_FALSE(press(0, Button::Right));
  EXPECT_FALSE(press(0, Button::Middle));
  InputOwner.store(0);
  EXPECT_TRUE(press(0, Button::Middle));
}

}  // namespace
