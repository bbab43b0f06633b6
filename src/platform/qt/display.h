// The display thread: where every Qt object lives. Client threads hand it work here, and
// the window records ask it to make, move and show their widgets. Free of Qt itself, so
// the platform's other files may include it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"

namespace plat {
struct WindowRecord;
using RecordPtr = std::shared_ptr<WindowRecord>;
}  // namespace plat

namespace plat::qt {

bool isDisplayThread();
// Runs fn on the display thread and waits until it has run (directly when called there).
void runOnDisplay(const std::function<void()>& fn);
// Queues fn for the display thread and returns at once.
void postToDisplay(std::function<void()> fn);
// The queue of work for the display thread: made on it once Qt runs, ended (dropping
// what is left, as Qt drops its own events) once the client threads are gone.
void startDisplayQueue();
void stopDisplayQueue();
// A platform call made by an abandoned thread never returns.
void blockIfAbandoned();

// The widgets of a record; display thread only.
void createFrameWidget(const RecordPtr& r);
void createControlWidget(const RecordPtr& r, const std::string& text, bool sunken);
void destroyWidgets(const RecordPtr& r);
// Geometry, title, visibility, drops and menu bar from the record.
void syncGeometry(const RecordPtr& r);
void raiseFrame(const RecordPtr& r);

// Asks the display to repaint the client area from the retained surface (any thread).
void presentClient(const RecordPtr& r);

// The screens' rectangles, primary first; display thread only.
std::vector<Rect> screenGeometries();
// Puts a record's frame over the whole of a screen (the record already says where) with
// the pointer hidden, or back into its frame; display thread only.
void enterFullScreen(const RecordPtr& r, int screen);
void leaveFullScreen(const RecordPtr& r);

}  // namespace plat::qt
