// Movies for the player: a file opened through FFmpeg's libraries, frames handed out
// as the decoder made them, the capture properties by their numbers, and the
// conversion of a frame straight into a 32-bit image buffer.
//
// A seek decodes forward from the key frame at or before the frame asked for, or from
// where the decoder stands when no key frame lies between; the recently decoded
// frames are kept, so a step back to one of them needs no decoding at all.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "movie/movie_decoder.h"
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

// One frame: either a decoded picture in the decoder's own layout, or rows top-down
// of 3 bytes a pixel in the order blue, green, red, `stride` bytes from one row to the
// next (at least 3 * width).
struct MovieFrame {
  const uint8_t* bgr = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
  const AVFrame* picture = nullptr;  // when set, the pixels are there, not in `bgr`
};

// Why a movie could not be opened: the kind, and the line that says so (it names the file).
struct MovieOpenError {
  enum Kind {
    None,
    NotAFile,    // missing, or not a plain file
    NoFullPath,  // the path could not be made absolute
    NotAMovie,   // the decoder does not read it
    NoPicture,   // it has no frames of any size
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
  // The frame stays valid until the next queryFrame or the capture's release.
  const MovieFrame* queryFrame();

  // Property 0..7; any other number, or one the decoder does not know, gives 0.
  // kPosAviRatio is kPosFrames / kFrameCount within 0..1 (0 when the count is unknown).
  double property(int id) const;
  // True when the decoder took the value. Numbers outside 0..7 and values that are
  // not finite are refused.
  bool setProperty(int id, double value);

  // How the frames handed out after a seek were come by, counted since the movie was
  // opened.
  struct SeekCounts {
    int plainSeeks = 0;      // the container sought a key frame before it
    int forwardDecodes = 0;  // the decoder read forward to it from where it stood
    int fromMemory = 0;      // a frame kept from before
  };
  SeekCounts seekCounts() const;
  // The frame with this number, once read, stays in memory beyond the budget of
  // recent frames until another is kept (-1: none), so that coming back to it after
  // many others costs no decoding.
  void keepFrame(int frame);
  // Recent frames kept: this many at most, and no more than kCacheBytes of pixels
  // (41 frames of 1920 x 1080).
  static constexpr size_t kCacheFrames = 64;
  static constexpr size_t kCacheBytes = size_t{256} << 20;

 private:
  struct Reader;  // the decoder, its read-ahead thread and the frames kept
  explicit MovieCapture(std::unique_ptr<Reader> state);
  std::unique_ptr<Reader> state_;
};

// Copies a frame into a 32-bit buffer of destWidth x destHeight words 0x00RRGGBB
// (destWidth words a row): pixel (x, y) becomes red * 65536 + green * 256 + blue. Only
// the area the two share at their top-left corner is written; the rest of the buffer
// is left as it was. A decoded picture is converted by the stream's own colour matrix
// and range, as FFmpeg's own tools convert it to blue-green-red, on several threads.
void convertFrameToImage(const MovieFrame& frame, uint32_t* dest, int destWidth, int destHeight);

}  // namespace movie
