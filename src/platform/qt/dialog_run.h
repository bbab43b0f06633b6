// What every dialog of the display thread shares: the owner's widget and the modal run.
#pragma once

#include <QDialog>

#include "platform/types.h"

namespace plat::qt {

// The frame widget of a library window, or null (the dialog then has no owner).
QWidget* ownerWidget(Window owner);
// Runs a dialog until it closes and returns its result. It blocks input to its owner
// only, never to the rest of the program: a dialog the worker shows leaves the main
// window's Exit usable.
int runDialog(QDialog& dialog);

}  // namespace plat::qt
