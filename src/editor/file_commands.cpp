// Pictures in and out of an image window: image files through the dialogs, and the
// clipboard.
#include "editor/commands.h"
#include "imagewin/imagewin.h"
#include "interchange/interchange.h"

namespace editor {

// Drawn at the top-left corner of this window (the current image); its size stays.
void loadImageFile(int) {
  char name[kFileNameBytes] = "";
  if (TAV_OpenFileDialog("Load image file", name) != kDialogChosen) return;
  interchange::LoadImageFileTelling(name, 0, 0);
}

// The whole picture of this window (the current image), in the type of the chosen filter.
void saveImageAs(int) {
  interchange::SaveImageAs();
}

void cutImage(int number) {
  interchange::CutImageToClipboard(number);
}
void copyImage(int number) {
  TAV_CopyImageToClipboard(number);
}
// The menu entry asks for the place; Ctrl+V pastes at the corner without asking.
void pasteAtPickedPlace(int number) {
  TAV_PasteImage(-1, number, -1);
}
void pasteAtOrigin(int number) {
  TAV_PasteImage(0, number, 0);
}

}  // namespace editor
