#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/qt/display.h"

namespace plat {

std::u16string clipboardText() {
  std::u16string text;
  qt::runOnDisplay([&] { text = QGuiApplication::clipboard()->text().toStdU16String(); });
  return text;
}

void setClipboardText(const std::string& utf8) {
  qt::runOnDisplay([&] { QGuiApplication::clipboard()->setText(QString::fromUtf8(utf8)); });
}

}  // namespace plat
