// The colour and font choosers, run by the display thread while the caller waits.
#include <QColorDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "platform/dialogs.h"
#include "platform/qt/dialog_run.h"
#include "platform/qt/display.h"
#include "platform/qt/font_qt.h"
#include "platform/test_hooks.h"

namespace plat {

namespace {

constexpr uint32_t kColorBits = 0xFFFFFF;

// QColor(QRgb) takes the colour solid, whatever the top byte holds.
QColor qcolor(uint32_t rgb) {
  return QColor(static_cast<QRgb>(rgb & kColorBits));
}
uint32_t rgbOf(const QColor& c) {
  return c.rgb() & kColorBits;
}

// The description of a chosen font. The chooser speaks in points; the description's
// height is the character height in pixels, negative, at the screen's resolution.
FontDescription descriptionOf(const QFont& f) {
  int pixels = f.pixelSize();
  if (pixels <= 0) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    pixels = qRound(f.pointSizeF() * dpi / 72.0);
  }
  FontDescription d;
  d.height = -std::max(pixels, 1);
  d.width = 0;
  d.weight = f.weight();
  d.italic = f.italic();
  d.underline = f.underline();
  d.strikeOut = f.strikeOut();
  d.face = f.family().toStdString();
  return d;
}

}  // namespace

bool chooseColor(Window owner, uint32_t& color, CustomColors& custom) {
  qt::blockIfAbandoned();
  if (auto answer = seams::takeColorAnswer(color, custom)) {
    if (answer->custom) custom = *answer->custom;
    if (!answer->color) return false;
    color = *answer->color & kColorBits;
    return true;
  }
  bool chosen = false;
  qt::runOnDisplay([&] {
    // Qt keeps one set of custom colours for the process; ours are handed in each time.
    for (int i = 0; i < static_cast<int>(custom.size()); ++i)
      QColorDialog::setCustomColor(i, qcolor(custom[i]));
    QColorDialog dialog(qcolor(color), qt::ownerWidget(owner));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    chosen = qt::runDialog(dialog) == QDialog::Accepted;
    if (chosen) color = rgbOf(dialog.selectedColor());
    for (int i = 0; i < static_cast<int>(custom.size()); ++i)
      custom[i] = rgbOf(QColorDialog::customColor(i));
  });
  return chosen;
}

bool chooseFont(Window owner, FontDescription& description) {
  qt::blockIfAbandoned();
  if (auto answer = seams::takeFontAnswer(description)) {
    if (!*answer) return false;
    description = **answer;
    return true;
  }
  bool chosen = false;
  qt::runOnDisplay([&] {
    QFontDialog dialog(qt::fontOfDescription(description), qt::ownerWidget(owner));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    chosen = qt::runDialog(dialog) == QDialog::Accepted;
    if (chosen) description = descriptionOf(dialog.selectedFont());
  });
  return chosen;
}

}  // namespace plat
