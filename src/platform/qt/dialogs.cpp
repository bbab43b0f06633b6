// Message boxes and file dialogs, run by the display thread while the caller waits.
#include "platform/dialogs.h"

#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "platform/qt/dialog_run.h"
#include "platform/qt/display.h"
#include "platform/qt/frame_widget.h"
#include "platform/test_hooks.h"
#include "platform/window_table.h"

namespace plat {

namespace qt {

QWidget* ownerWidget(Window owner) {
  auto r = findRecord(owner);
  return r ? r->frame : nullptr;
}

int runDialog(QDialog& dialog) {
  dialog.setWindowModality(dialog.parentWidget() ? Qt::WindowModal : Qt::NonModal);
  QEventLoop loop;
  int result = QDialog::Rejected;
  QObject::connect(&dialog, &QDialog::finished, &loop, [&](int r) {
    result = r;
    loop.quit();
  });
  dialog.show();
  dialog.raise();
  dialog.activateWindow();
  loop.exec();
  return result;
}

}  // namespace qt

namespace {

using qt::ownerWidget;
using qt::runDialog;

// "*.AVI" becomes "*.[aA][vV][iI]": the dialog's own matching may be case-sensitive.
QString caseless(const std::string& pattern) {
  QString out;
  for (QChar c : QString::fromStdString(pattern)) {
    if (c.isLetter() && c.toLower() != c.toUpper())
      out += QStringLiteral("[%1%2]").arg(c.toLower()).arg(c.toUpper());
    else
      out += c;
  }
  return out;
}

QStringList qtFilters(const std::vector<FileFilter>& filters) {
  QStringList list;
  for (const FileFilter& f : filters) {
    QStringList patterns;
    for (const std::string& p : f.patterns) patterns << caseless(p);
    // The label keeps its own text; the details the dialog matches with are hidden.
    list << QString::fromStdString(f.label) + " (" + patterns.join(' ') + ")";
  }
  return list;
}

// The 1-based index of the filter the user left chosen. With the details hidden, Qt 6.4
// reports the text it shows (our label) rather than the filter it was given.
int chosenFilterIndex(const std::vector<FileFilter>& ours, const QStringList& given,
                      const QString& chosen, int unchanged) {
  const int index = given.indexOf(chosen);
  if (index >= 0) return index + 1;
  for (size_t i = 0; i < ours.size(); ++i)
    if (QString::fromStdString(ours[i].label) == chosen) return static_cast<int>(i) + 1;
  return unchanged;
}

// The file a save would replace: the name the caller writes for the chosen one and the
// filter, when that is an existing file. Empty when nothing is replaced (or nobody asked
// to be told).
std::string replacedFile(const FileDialogParams& params, const std::string& chosen,
                         int filterIndex) {
  if (!params.overwritePrompt) return {};
  const std::string written = params.writtenName ? params.writtenName(chosen, filterIndex) : chosen;
  const QFileInfo info(QString::fromStdString(written));
  return info.exists() && !info.isDir() ? written : std::string();
}

// The overwrite question, in the words Qt's own dialog uses.
std::string replaceQuestion(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).fileName().toStdString() +
         " already exists.\nDo you want to replace it?";
}

// A file dialog that may hold back its acceptance: the save dialog asks its overwrite
// question itself, about the name that will be written rather than the one typed.
class FileDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;
  std::function<bool(const QString& chosen)> mayAccept;

  void accept() override {
    const QStringList files = selectedFiles();
    // A folder is opened by the dialog itself, never asked about.
    if (mayAccept && !files.isEmpty() && !QFileInfo(files.front()).isDir() &&
        !mayAccept(files.front()))
      return;
    QFileDialog::accept();
  }
};

std::string runFileDialog(FileDialogParams& params, bool save) {
  // Without a title of its own the dialog says what it does.
  const std::string title = !params.title.empty() ? params.title : save ? "Save As" : "Open";
  if (auto answer = seams::takeFileAnswer()) {
    if (answer->path.empty()) return {};
    const int index = answer->filterIndex > 0 ? answer->filterIndex : params.filterIndex;
    const std::string replaced = save ? replacedFile(params, answer->path, index) : "";
    // The question is recorded; No leaves the dialog open, and the test's answer ends it.
    if (!replaced.empty()) {
      seams::noteMessageBox(replaceQuestion(replaced), title, kMbYesNo);
      if (!answer->replace) return {};
    }
    params.filterIndex = index;
    return answer->path;
  }
  std::string chosen;
  qt::runOnDisplay([&] {
    FileDialog dialog(ownerWidget(params.owner), QString::fromStdString(title),
                      QString::fromStdString(params.initialFolder));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(!save && params.fileMustExist ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
    // Qt would ask about the typed name; ours asks about the name that will be written.
    if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters = qtFilters(params.filters);
    if (save && params.overwritePrompt) {
      dialog.mayAccept = [&](const QString& typed) {
        const int index = chosenFilterIndex(params.filters, filters, dialog.selectedNameFilter(),
                                            params.filterIndex);
        const std::string replaced = replacedFile(params, typed.toStdString(), index);
        if (replaced.empty()) return true;
        return QMessageBox::warning(
                   &dialog, dialog.windowTitle(), QString::fromStdString(replaceQuestion(replaced)),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
      };
    }
    if (!filters.isEmpty()) {
      dialog.setNameFilters(filters);
      int index = params.filterIndex >= 1 && params.filterIndex <= filters.size()
                      ? params.filterIndex - 1
                      : 0;
      dialog.selectNameFilter(filters[index]);
    }
    if (!params.initialName.empty()) dialog.selectFile(QString::fromStdString(params.initialName));
    if (runDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    QString path = dialog.selectedFiles().front();
    if (params.pathMustExist && !QFileInfo(path).absoluteDir().exists()) return;
    chosen = path.toStdString();
    params.filterIndex =
        chosenFilterIndex(params.filters, filters, dialog.selectedNameFilter(), params.filterIndex);
  });
  return chosen;
}

}  // namespace

void messageBox(Window owner, const std::string& text, const std::string& title, unsigned flags) {
  if (seams::noteMessageBox(text, title, flags)) return;
  qt::runOnDisplay([&] {
    QMessageBox box((flags & kMbIconError) ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok,
                    ownerWidget(owner));
    runDialog(box);
  });
}

std::string openFileDialog(FileDialogParams& params) {
  return runFileDialog(params, false);
}
std::string saveFileDialog(FileDialogParams& params) {
  return runFileDialog(params, true);
}

}  // namespace plat
