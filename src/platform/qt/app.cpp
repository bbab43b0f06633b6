#include "platform/app.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/qt/display.h"
#include "platform/window_table.h"

namespace plat {

namespace {

// The offscreen plugin's default screen is 800 x 800; tests pin 1280 x 1024.
// Returns the screen file, which the plugin reads once, while the application starts.
QString useOffscreenScreen() {
  if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return {};
  QString path = QDir::temp().filePath(QStringLiteral("direvo-offscreen-%1.json").arg(getpid()));
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    f.write(R"({"screens":[{"name":"s0","x":0,"y":0,"width":1280,"height":1024,)"
            R"("logicalDpiX":96,"logicalDpiY":96,"dpr":1}]})");
    f.close();
  }
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).toUtf8());
  return path;
}

}  // namespace

int runApplication(int argc, char** argv, std::function<int()> entry, bool offscreenByDefault) {
  const QString screenFile = offscreenByDefault ? useOffscreenScreen() : QString();
  // One library pixel is one device pixel.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);
  QApplication app(argc, argv);
  if (!screenFile.isEmpty()) QFile::remove(screenFile);  // read: nothing is left behind
  QApplication::setQuitOnLastWindowClosed(false);
  initWindowSystem();
  qt::startDisplayQueue();

  int result = 0;
  std::thread program([&] {
    result = entry();
    qt::postToDisplay([] { QCoreApplication::exit(0); });
  });
  QApplication::exec();
  program.join();
  qt::stopDisplayQueue();
  shutdownWindowSystem();
  return result;
}

void quickExit(int code) {
  std::fflush(nullptr);
  std::quick_exit(code);
}

}  // namespace plat
