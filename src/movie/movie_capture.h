// Movies for the player: a file opened through OpenCV's video capture (FFmpeg), frames
// handed out as packed blue-green-red bytes, the capture properties by their numbers,
// and the conversion of a frame into a 32-bit image buffer.
//
// Seeking is made cheap without changing what it gives: the frames handed out, the
// positions read back and the time stamps are those of a plain seek. A seek to a frame
// a little ahead decodes forward from where the decoder is, when that costs less than
// the seek would (what a seek costs, in frame decodes, is learnt from the seeks made);
// the recently decoded frames are kept, so a step back to one of them needs no
// decoding at all.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/made.h"

namespace movie {

// Capture property numbers, as the player prints and sets them.
enum MovieProperty : int {
  kPosMsec = 0,
  kPosFrames = 1,  // the number of the next frame to be read
  kPosAviRatio = 2,
  kFrameWidth = 3,
  kFrameHeight = 4,
  kFps = 5,
  kFourcc = 6,
  kFrameCount = 7,
};
inline constexpr int kMoviePropertyCount = 8;

// One decoded frame: rows top-down, 3 bytes a pixel in the order blue, green, red,
// `stride` bytes from one row to the next (at least 3 * width).
struct MovieFrame {
  const uint8_t* bgr = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
};

// Why a movie could not be opened: the kind, and the line that says so (it names the file).
struct MovieOpenError {
  enum Kind {
    None,
    NotAFile,       // missing, or not a plain file
    NoFullPath,     // the path could not be made absolute
    NotAMovie,      // the decoder does not read it
    NoPicture,      // it has no frames of any size
    DecoderFailed,  // the decoder threw
  } kind = None;
  std::string text;
};

class MovieCapture;
using MadeMovieCapture = plat::Made<MovieCapture, MovieOpenError>;

class MovieCapture {
 public:
  // The movie at `path` (UTF-8), or none and why. Never throws.
  static MadeMovieCapture open(const std::string& path);
  ~MovieCapture();  // releases the decoder and the file
  MovieCapture(const MovieCapture&) = delete;
  MovieCapture& operator=(const MovieCapture&) = delete;

  // Decodes the next frame; null at the end of the movie or when it cannot be decoded.
  // The frame stays valid until the next queryFrame or the capture's release. A frame
  // the decoder gives in another layout (grey, four channels, 16 bits) is converted.
  const MovieFrame* queryFrame();

  // Property 0..7; any other number, or one the decoder does not know, gives 0.
  // kPosAviRatio is kPosFrames / kFrameCount within 0..1 (0 when the count is unknown).
  double property(int id) const;
  // True when the decoder took the value. Numbers outside 0..7 and values that are
  // not finite are refused.
  bool setProperty(int id, double value);

  // How the frames handed out were come by, counted since the movie was opened.
  struct SeekCounts {
    int plainSeeks = 0;      // the decoder sought to the frame
    int forwardDecodes = 0;  // the decoder read forward to it
    int fromMemory = 0;      // a frame kept from before
  };
  SeekCounts seekCounts() const;
  // The frame with this number, once read, stays in memory beyond the budget of
  // recent frames until another is kept (-1: none), so that coming back to it after
  // many others costs no decoding.
  void keepFrame(int frame);
  // How many frames ahead a seek may be served by decoding forward: -1 (the start)
  // learns it from what seeks cost; 0 never decodes forward.
  void setForwardLimit(int frames);

  // Recent frames kept: this many at most, and no more than kCacheBytes of pixels
  // (41 frames of 1920 x 1080).
  static constexpr size_t kCacheFrames = 64;
  static constexpr size_t kCacheBytes = size_t{256} << 20;

 private:
  struct Reader;  // the decoder, its read-ahead thread and the frames kept
  explicit MovieCapture(std::unique_ptr<Reader> state);
  std::unique_ptr<Reader> state_;
};

// Keeps FFmpeg's own messages about damaged input off the terminal: the programs say
// what could not be read in their own lines. Called at the start of main, before any
// other thread runs and before the first movie is opened (OpenCV reads the setting
// once, when it first starts FFmpeg). OPENCV_FFMPEG_LOGLEVEL set by hand is kept.
void silenceDecoderLog();

// Copies a frame into a 32-bit buffer of destWidth x destHeight words 0x00RRGGBB
// (destWidth words a row): pixel (x, y) becomes red * 65536 + green * 256 + blue. Only
// the area the two share at their top-left corner is written; the rest of the buffer
// is left as it was.
void convertFrameToImage(const MovieFrame& frame, uint32_t* dest, int destWidth, int destHeight);

}  // namespace movie
