// What the viewer shows: a movie, frame by frame, or a picture, each frame laid out as V
// views side by side.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "compose/compose_pixels.h"
#include "view_layout.h"

namespace movie {
class MovieDecoder;
}

namespace viewer {

class ViewSource {
 public:
  // The movie or picture at `path`; null with the reason for people when it is neither,
  // or when its frames cannot hold the views as laid out.
  static std::unique_ptr<ViewSource> open(const std::string& path, const ViewLayout& layout,
                                          std::string* why);
  ~ViewSource();

  bool isStill() const { return decoder_ == nullptr; }
  double fps() const;       // 0 when the movie does not say (and for a picture)
  long frameCount() const;  // as the movie announces it; 1 for a picture
  ViewsSize viewsSize() const { return size_; }
  const ViewLayout& layout() const { return layout_; }

  // The next frame's views into `views` (resized to viewsSize), its number and time;
  // false at the end. A picture gives one frame.
  bool read(compose::MultiViewPicture& views, long& number, double& msec);
  // Goes on from frame n; false when the movie has no such frame.
  bool seekTo(long n);
  // While on, a movie's frames that no other is decoded from are passed over: the
  // reading catches up when it has fallen behind.
  void passOverUnreferenced(bool on);
  // The frames passed over so, until now.
  long passedOver() const { return passedOver_; }
  // How often damaged data has been passed over so far, counting each frame missing
  // from the run of time stamps as once.
  long damagedData() const;

 private:
  ViewSource() = default;
  ViewLayout layout_;
  ViewsSize size_;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
  std::unique_ptr<movie::MovieDecoder> decoder_;
  std::vector<uint32_t> frame_;  // a frame as read, for layouts that are not read as is
  bool stillGiven_ = false;
  double lastMsec_ = -1;  // the last frame's time, -1 after a seek
  long missing_ = 0;
  bool skipping_ = false;     // the decoder passes over unreferenced frames
  bool passingOver_ = false;  // gaps come from that, not from damage
  long passedOver_ = 0;
};

}  // namespace viewer
