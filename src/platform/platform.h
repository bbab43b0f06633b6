// The window system stand-in: everything the library asks of its platform.
#pragma once

#include "platform/app.h"
#include "platform/canvas.h"
#include "platform/clipboard.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/font.h"
#include "platform/instance.h"
#include "platform/menu.h"
#include "platform/message.h"
#include "platform/surface.h"
#include "platform/thread.h"
#include "platform/types.h"
#include "platform/window.h"
