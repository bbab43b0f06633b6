#include "base/services.h"

namespace {

LibraryServices withDefaults(LibraryServices s) {
  const LibraryServices d;
  if (!s.mainWindow) s.mainWindow = d.mainWindow;
  if (!s.refreshWindowEdges) s.refreshWindowEdges = d.refreshWindowEdges;
  if (!s.snapMovingWindow) s.snapMovingWindow = d.snapMovingWindow;
  if (!s.promptLine) s.promptLine = d.promptLine;
  if (!s.openTextWindow) s.openTextWindow = d.openTextWindow;
  if (!s.imageEditor) s.imageEditor = d.imageEditor;
  if (!s.pickInProgress) s.pickInProgress = d.pickInProgress;
  if (!s.pickMouse) s.pickMouse = d.pickMouse;
  if (!s.statusLine) s.statusLine = d.statusLine;
  if (!s.stopRequested) s.stopRequested = d.stopRequested;
  if (!s.clearStopRequest) s.clearStopRequest = d.clearStopRequest;
  if (!s.allowMainWindowDrops) s.allowMainWindowDrops = d.allowMainWindowDrops;
  if (!s.dialogBoxes) s.dialogBoxes = d.dialogBoxes;
  if (!s.instanceNumber) s.instanceNumber = d.instanceNumber;
  if (!s.startDirectory) s.startDirectory = d.startDirectory;
  if (!s.boxesLayout) s.boxesLayout = d.boxesLayout;
  if (!s.pump) s.pump = d.pump;
  return s;
}

LibraryServices services = withDefaults({});

}  // namespace

const LibraryServices& libraryServices() {
  return services;
}

void installLibraryServices(const LibraryServices& s) {
  services = withDefaults(s);
}
