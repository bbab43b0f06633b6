// Runs an image window's command: the row of its identifier in the action tables says
// what runs, whether the window is made current first and whether the current image is
// redrawn when the command is done.
#include "editor/commands.h"

#include "base/ids.h"
#include "editor/editor.h"
#include "editor/image_actions.h"
#include "imagewin/imagewin.h"
#include "inspection/inspection.h"
#include "platform/message.h"

namespace editor {

namespace {

const ImageAction* findImageAction(int commandId) {
  for (std::span<const ImageAction> table :
       {imageMenuActions(), processMenuActions(), keyOnlyImageActions()}) {
    if (const ImageAction* row = action::findById(table, commandId)) return row;
  }
  return nullptr;
}

void redrawCurrentImage() {
  if (static_cast<unsigned>(CurrentImage) < kImageWindowCount && ImageTable[CurrentImage].inUse)
    plat::invalidate(ImageTable[CurrentImage].window);
}

}  // namespace

void runImageCommand(int number, int commandId) {
  if (static_cast<unsigned>(number) >= kImageWindowCount || !ImageTable[number].inUse) return;
  // Pixel, the Line entries and Area(CrCb) inspect the picture.
  if (inspection::runInspection(commandId, number) >= 0) return;
  const ImageAction* row = findImageAction(commandId);
  if (!row || !row->run) return;
  if (row->flags & kSelectFirst) TAV_SelectImage(number);
  row->run(number);
  if (row->flags & kRedrawAfter) redrawCurrentImage();
}

}  // namespace editor
