// The viewer's own thread: the panel's window (presented full screen, or a plain image
// window), the frames shown on time by the playback clock and dropped when late, the
// keys, the overlay and the status line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frame_pipeline.h"
#include "panel_tuning.h"
#include "playback_clock.h"
#include "sound_player.h"
#include "terminal_line.h"
#include "view_options.h"
#include "view_source.h"

namespace viewer {

struct PlayStats {
  int64_t shown = 0;
  int64_t dropped = 0;  // late: not composed, or composed and not shown
  long damaged = 0;     // times damaged data was passed over
};

// D for views made from a picture `width` wide: --disparity, or 2 % of the width.
double disparityOf(const ViewerOptions& o, int width);

class Viewer {
 public:
  // `o`'s tuning has the panel's size already (the screen's where none was given).
  Viewer(ViewSource& source, const ViewerOptions& o, int screen);
  ~Viewer();
  // Opens the panel's window on the screen and plays until the end (without --loop),
  // Esc, q or the window closing: 0, or 2 with the reason printed when it cannot start.
  int run();
  const PlayStats& stats() const { return stats_; }

 private:
  bool openWindow();
  void pumpMessages();
  void onKey(int key, const std::u16string& text, bool ctrl);
  void stepBy(long frames);
  void seekTo(long frame);
  void show(std::unique_ptr<ViewerFrame> frame);
  void present();
  void saveProfile();
  void openSound();
  void setPaused(bool paused);
  void updateStatus();
  std::vector<std::string> overlayLines() const;
  void say(const std::string& line);
  double frameMsec() const;
  void nameTroubles();
  void sayWhereAnEarlyEndIs();

  ViewSource& source_;
  ViewerOptions options_;
  int screen_;
  SharedTuning tuning_;
  PlaybackClock clock_;
  std::unique_ptr<SoundPlayer> sound_;  // null: silent, muted or no device
  std::unique_ptr<FramePipeline> pipeline_;
  std::unique_ptr<ViewerFrame> shown_;
  uint64_t shownVersion_ = 0;  // the tuning the picture on the panel was composed with
  int64_t lastShownMicros_ = 0;
  bool quit_ = false;
  bool stepForward_ = false;
  bool overlay_ = false;
  bool damageNamed_ = false;
  bool unmadeNamed_ = false;
  bool slowViewsNamed_ = false;
  PlayStats stats_;
  tool::TerminalLine status_;
  int64_t lastStatusMicros_ = 0;
  int64_t shownAtLastStatus_ = 0;
  double fpsShown_ = 0;
};

}  // namespace viewer
