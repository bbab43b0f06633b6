// Every action table of the library, each read as data: a menu entry shows exactly the
// key that runs it, that key finds that entry, no two rows of a table share a key, and
// the image window's keys are the shortcuts its menus show.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/action.h"
#include "base/ids.h"
#include "boxes/box_common.h"
#include "core/main_actions.h"
#include "editor/image_actions.h"
#include "imagewin/imagewin.h"
#include "platform/types.h"
#include "textwin/textwin.h"

namespace {

using action::Key;

// A shortcut text read back as the user reads it: "Ctrl+Shift+X", "Esc", "F11". A digit
// names the keypad digit as well as the top-row one; candidates lists both.
struct ShownKey {
  bool ctrl = false;
  bool shift = false;
  std::vector<int> candidates;
};
std::optional<ShownKey> readShortcut(std::string text) {
  ShownKey shown;
  for (;;) {
    if (text.rfind("Ctrl+", 0) == 0) {
      shown.ctrl = true;
      text.erase(0, 5);
    } else if (text.rfind("Shift+", 0) == 0) {
      shown.shift = true;
      text.erase(0, 6);
    } else {
      break;
    }
  }
  if (text.size() == 1 && text[0] >= 'A' && text[0] <= 'Z') {
    shown.candidates = {text[0]};
  } else if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') {
    shown.candidates = {text[0], plat::vk::Numpad0 + (text[0] - '0')};
  } else if (text == "Esc") {
    shown.candidates = {plat::vk::Escape};
  } else if (text == "Tab") {
    shown.candidates = {plat::vk::Tab};
  } else if (text.size() >= 2 && text[0] == 'F') {
    shown.candidates = {plat::vk::F1 + std::stoi(text.substr(1)) - 1};
  } else {
    return std::nullopt;
  }
  return shown;
}

// The checks of one table, whatever its rows run.
struct Table {
  std::string name;
  std::function<void(const std::string&)> check;
};

template <typename Run>
void forEachRow(std::span<const action::Row<Run>> rows,
                const std::function<void(const action::Row<Run>&)>& visit) {
  for (const action::Row<Run>& row : rows) {
    visit(row);
    forEachRow(row.submenu, visit);
  }
}

// Whether one key press could find both rows.
bool keysOverlap(Key a, Key b) {
  if (a.none() || b.none() || a.code != b.code) return false;
  const bool ctrlOverlaps = a.eitherCtrl || b.eitherCtrl || a.ctrl == b.ctrl;
  return ctrlOverlaps;  // a key without Shift is found with Shift held as well
}

// The menu built from the rows, walked beside them: each entry's text is the row's label
// and, for a row with a key, a tab and that key's shortcut, which finds this row again.
template <typename Run>
void checkMenuTexts(const std::string& table, std::span<const action::Row<Run>> all,
                    std::span<const action::Row<Run>> rows, const plat::Menu& menu) {
  ASSERT_EQ(menu.items.size(), rows.size()) << table;
  for (size_t i = 0; i < rows.size(); ++i) {
    const action::Row<Run>& row = rows[i];
    const plat::MenuItem& item = menu.items[i];
    if (!row.label) {
      EXPECT_TRUE(item.separator) << table << " row " << i;
      continue;
    }
    const std::string label = row.label;
    const size_t tab = item.text.find('\t');
    EXPECT_EQ(item.text.substr(0, tab), label) << table;
    if (row.key.none()) {
      EXPECT_EQ(tab, std::string::npos) << table << ": " << item.text;
    } else if (tab == std::string::npos) {
      ADD_FAILURE() << table << ": " << label << " shows no shortcut";
    } else {
      const std::optional<ShownKey> shown = readShortcut(item.text.substr(tab + 1));
      ASSERT_TRUE(shown) << table << ": unreadable shortcut in " << item.text;
      EXPECT_EQ(shown->ctrl, row.key.ctrl) << item.text;
      EXPECT_EQ(shown->shift, row.key.shift) << item.text;
      bool found = false;
      for (int code : shown->candidates) {
        if (code != row.key.code) continue;
        found = true;
        EXPECT_EQ(action::findByKey(all, code, shown->ctrl, shown->shift), &row) << item.text;
      }
      EXPECT_TRUE(found) << table << ": " << item.text << " is not the row's key";
    }
    if (!row.submenu.empty()) {
      plat::Menu sub;
      sub.items = item.submenu;
      checkMenuTexts(table, all, row.submenu, sub);
    }
  }
}

template <typename Run>
Table table(std::string name, std::span<const action::Row<Run>> rows, bool isMenu) {
  return {name, [rows, isMenu](const std::string& tableName) {
            if (isMenu) checkMenuTexts(tableName, rows, rows, action::buildMenu(rows));
            std::vector<const action::Row<Run>*> keyed;
            forEachRow<Run>(rows, [&](const action::Row<Run>& row) {
              if (row.key.none()) return;
              // The row's own key, with and without Shift when Shift is not asked for.
              EXPECT_EQ(action::findByKey(rows, row.key.code, row.key.ctrl, true), &row)
                  << tableName;
              if (!row.key.shift) {
                EXPECT_EQ(action::findByKey(rows, row.key.code, row.key.ctrl, false), &row)
                    << tableName;
              }
              for (const action::Row<Run>* other : keyed)
                EXPECT_FALSE(keysOverlap(other->key, row.key))
                    << tableName << ": rows " << other->id << " and " << row.id << " share a key";
              keyed.push_back(&row);
            });
          }};
}

std::vector<Table> everyTable() {
  return {
      table("image menu", editor::imageMenuActions(), true),
      table("process menu", editor::processMenuActions(), true),
      table("image key-only commands", editor::keyOnlyImageActions(), false),
      table("image window keys", imagewin::imageKeys(), false),
      table("main window menu", core::mainWindowMenuActions(), true),
      table("main window keys", core::mainWindowKeyActions(), false),
      table("text window menu", textwin::textWindowActions(), true),
      table("input box menus", boxes::inputBoxActions(), true),
      table("button box menus", boxes::buttonBoxActions(), true),
  };
}

TEST(ActionTables, MenuTextsShowTheKeysThatFindTheirRows) {
  for (const Table& t : everyTable()) {
    SCOPED_TRACE(t.name);
    t.check(t.name);
  }
}

// The image menus live in the editor, the keys in the image window: every shortcut a
// menu shows is a key of the window, standing for that entry, or posting a command of its
// own that the editor keeps for that key (Ctrl+V pastes at the origin, not at a pick).
TEST(ActionTables, ImageWindowKeysAreTheShortcutsItsMenusShow) {
  int shortcuts = 0;
  for (std::span<const editor::ImageAction> menu :
       {editor::imageMenuActions(), editor::processMenuActions()}) {
    forEachRow<void (*)(int)>(menu, [&](const editor::ImageAction& row) {
      if (row.key.none()) return;
      ++shortcuts;
      const imagewin::ImageKey* key = action::findByKey(imagewin::imageKeys(), row.key.code, true);
      ASSERT_NE(key, nullptr) << row.label;
      if (key->id == row.id) return;
      const editor::ImageAction* own = action::findById(editor::keyOnlyImageActions(), key->id);
      ASSERT_NE(own, nullptr) << row.label << " is shown with a key that runs " << key->id;
      EXPECT_EQ(own->key.code, row.key.code) << row.label;
      EXPECT_EQ(own->key.ctrl, row.key.ctrl) << row.label;
    });
  }
  EXPECT_EQ(shortcuts, 6);  // Cut, Copy, Paste, Zoom:100%, Destroy, Clipping
}

// A command id runs one row only: the editor searches its tables in turn, so an
// identifier in two of them would run the first and never the second.
TEST(ActionTables, ImageCommandIdentifiersAreUnique) {
  std::set<int> seen;
  for (std::span<const editor::ImageAction> t :
       {editor::imageMenuActions(), editor::processMenuActions(), editor::keyOnlyImageActions()}) {
    forEachRow<void (*)(int)>(t, [&](const editor::ImageAction& row) {
      if (row.id != 0) {
        EXPECT_TRUE(seen.insert(row.id).second) << row.id;
      }
    });
  }
}

// The text windows and the boxes hand these keys on to the main window, whose key
// table must run each of them.
TEST(ActionTables, MainWindowRunsEveryKeyTheOtherWindowsHandOn) {
  for (int key : ids::kMainWindowKeys)
    EXPECT_NE(action::findByKey(core::mainWindowKeyActions(), key, false), nullptr) << key;
  EXPECT_EQ(core::mainWindowKeyActions().size(), std::size(ids::kMainWindowKeys));
}

TEST(ActionKeys, ModifiersDecideWhichPressesMatch) {
  struct Case {
    Key key;
    int pressed;
    bool ctrl, shift, matches;
  };
  const Case cases[] = {
      {action::ctrlKey('X'), 'X', true, false, true},
      {action::ctrlKey('X'), 'X', false, false, false},
      {action::ctrlKey('X'), 'X', true, true, true},  // Shift not asked for
      {action::ctrlKey('X'), 'C', true, false, false},
      {action::plainKey('S'), 'S', true, false, false},
      {action::anyCtrlKey(plat::vk::Tab), plat::vk::Tab, true, false, true},
      {action::anyCtrlKey(plat::vk::Tab), plat::vk::Tab, false, false, true},
      {{.code = 'Z', .ctrl = true, .shift = true}, 'Z', true, false, false},
      {{.code = 'Z', .ctrl = true, .shift = true}, 'Z', true, true, true},
      {Key{}, 0, false, false, false},  // no key is never pressed
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.key.matches(c.pressed, c.ctrl, c.shift), c.matches)
        << action::shortcutText(c.key) << " pressed " << c.pressed << " ctrl " << c.ctrl
        << " shift " << c.shift;
}

}  // namespace
