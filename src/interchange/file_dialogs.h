// What the file dialogs are shown with, built from their remembered state.
#pragma once

#include "platform/dialogs.h"

namespace interchange {

plat::FileDialogParams openDialogParams(const char* title);
plat::FileDialogParams saveDialogParams();
// The remembered folders, ending in "/" (empty until a start directory is set).
const std::string& openDialogFolder();
const std::string& saveDialogFolder();
int openDialogFilterIndex();

}  // namespace interchange
