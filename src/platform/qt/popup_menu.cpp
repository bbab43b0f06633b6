// Showing a popup menu: a QMenu built from the plain data, run on the display thread.
#include <QMenu>

#include "platform/menu.h"
#include "platform/message.h"
#include "platform/qt/display.h"
#include "platform/test_hooks.h"

namespace plat {

namespace {

void fill(QMenu* q, const std::vector<MenuItem>& items) {
  for (const MenuItem& item : items) {
    if (item.separator) {
      q->addSeparator();
      continue;
    }
    // Qt separates a shortcut label with a tab, as the menus here are written.
    QString text = QString::fromStdString(item.text);
    if (!item.submenu.empty()) {
      QMenu* sub = q->addMenu(text);
      sub->setEnabled(!item.grayed);
      fill(sub, item.submenu);
      continue;
    }
    QAction* a = q->addAction(text);
    a->setData(item.id);
    a->setEnabled(!item.grayed);
    a->setCheckable(item.checked);
    a->setChecked(item.checked);
  }
}

}  // namespace

int trackPopupMenu(const Menu& m, Point screen, Window owner) {
  qt::blockIfAbandoned();
  int chosen = 0;
  if (!seams::takeMenuAnswer(m, &chosen)) {
    qt::runOnDisplay([&] {
      QMenu q;
      fill(&q, m.items);
      if (QAction* a = q.exec(QPoint(screen.x, screen.y))) chosen = a->data().toInt();
    });
  }
  if (chosen != 0) postCommand(owner, chosen);
  return chosen;
}

}  // namespace plat
