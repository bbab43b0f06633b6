// What the file dialogs are shown with, built from their remembered state.
#pragma once

#include "platform/dialogs.h"

namespace interchange {

plat::FileDialogParams OpenDialogParams(const char* title);
plat::FileDialogParams SaveDialogParams();
// The remembered folders, ending in "/" (empty until a start directory is set).
const std::string& OpenDialogFolder();
const std::string& SaveDialogFolder();
int OpenDialogFilterIndex();

}  // namespace interchange
