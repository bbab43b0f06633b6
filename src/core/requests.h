// Window requests: every library window but the main window belongs to the worker, so
// the main window's thread does not make windows itself. It fills the one request slot
// and waits (still pumping its own messages) until the worker has carried it out.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "platform/surface.h"

struct RequestSlotRecord {
  // 0 empty, else a request kind (ids::request). Stored last, with release, so the
  // worker that reads it with acquire sees every other field.
  std::atomic<int> kind{0};
  // 1 once the worker has carried a request out (and at start), stored with release.
  std::atomic<int> done{1};
  int number = 0;  // image or text window number; the input box's number of items
  int left = -1;   // -1: the platform's choice
  int top = -1;
  int width = -1;   // the button box: columns
  int height = -1;  // the button box: rows
  int zoom = 100;
  int depth = 32;
  std::string title;
  std::string path;
  std::unique_ptr<plat::Surface> bitmap;  // handed to the worker as the paste bitmap
  int result = 0;
  // Where the requester wants its result: a request made while an earlier one waits
  // runs inside that one's wait, and would otherwise overwrite its result.
  int* resultTo = nullptr;
};

// The slot itself: RequestSlot (core/core.h).

// Requests, made on the main window's thread. Once the worker runs its main routine (or
// has ended) no request is ever served: a request is then refused at once, creates
// nothing, and the creating and loading requests return 1.
int RequestCreateImage(int number, const std::string& title, int width, int height, int depth);
// Returns at once when the previous request is complete; the worker shows it next.
void RequestShowImage(int number);
int RequestLoadImage(int number, const std::string& path);
void RequestPutBitmap(std::unique_ptr<plat::Surface> bitmap);
// An open window is only brought to the front; no request is made.
void RequestOpenTextWindow(int number);
// Replaces an open input box or button box.
void RequestOpenInputBox(int items);
void RequestOpenButtonBox(int columns, int rows);

// The worker's side: carries out a pending request of a known kind and empties the
// slot; any other kind is left untouched.
void ServeWindowRequest();

namespace core {
// Empties the slot (kind 0, done 1) and drops what it holds.
void resetRequestSlot();
}  // namespace core
