// What the frame, the client area and the controls share: which window a widget stands
// for, and Qt input turned into messages. Display thread only.
#pragma once

#include <QKeyEvent>
#include <QWidget>

#include "platform/message.h"
#include "platform/window_table.h"

namespace plat::qt {

// Posts a key press for the window as KeyDown (with its text) or KeyUp.
void postKey(const RecordPtr& r, QKeyEvent* e, bool down);
// The window a widget stands for (its own, or the nearest ancestor's).
Window windowOfWidget(const QWidget* w);
void tagWidget(QWidget* w, Window handle);
// A pointer message at p with the modifier state of the event.
Message mouseMessage(Msg kind, QPoint p, Qt::KeyboardModifiers mods);

}  // namespace plat::qt
