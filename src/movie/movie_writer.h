// Movies written frame by frame through FFmpeg's libraries, the container and codec
// chosen by the file name's extension. The movie is written to a staged file
// beside the destination and takes its name only when it is complete; a writer that is
// dropped before that removes what it wrote, so a failed or interrupted run leaves the
// destination as it was.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "movie/movie_capture.h"
#include "platform/made.h"

namespace movie {

// The extensions a movie is written by, compared in any case.
struct MovieCodec {
  const char* extension;  // ".mkv"
  char fourcc[5];         // the codec's four letters
  const char* name;       // for people to read
  const char* encoder;    // FFmpeg's encoder
};
inline constexpr MovieCodec kMovieCodecs[] = {
    {".mkv", "FFV1", "FFV1 (lossless)", "ffv1"},
    {".avi", "FFV1", "FFV1 (lossless)", "ffv1"},
    {".mp4", "avc1", "H.264", "libx264"},
};
inline constexpr MovieCodec kH264InMatroska = {".mkv", "avc1", "H.264", "libx264"};

// Colour resolution of an H.264 movie: every pixel its own colour (4:4:4, which keeps
// each sub-pixel's view apart), or one colour per 2 x 2 pixels (4:2:0, which every
// player shows but which blends neighbouring sub-pixels).
enum class Chroma { Full, Quarter };

// How H.264 is encoded (FFV1 is always lossless and takes none of it), and the sound.
struct MovieEncoding {
  double crf = 18;                // constant quality, 0 (best) .. 51
  std::string preset = "medium";  // x264's speed against size
  Chroma chroma = Chroma::Full;
  bool lossless = false;  // quantiser 0: the encoded picture is the converted one exactly
  std::string soundFrom;  // a movie whose sound is copied in unchanged; empty: none
};
// x264's presets, fastest first.
inline constexpr const char* kH264Presets[] = {
    "ultrafast", "superfast", "veryfast", "faster", "fast", "medium", "slow", "slower", "veryslow"};
// The codec for a file name, or null when its extension is not one of them.
const MovieCodec* movieCodecFor(const std::string& path);
// ".mkv, .avi or .mp4"
std::string movieExtensionList();

enum class MovieWriteError {
  None,
  UnknownExtension,  // the name does not end in a movie extension
  OddSize,           // the encoders take only even widths and heights
  BadFrameRate,      // not a positive finite number
  CannotCreate,      // no file can be made beside the destination
  NoEncoder,         // the installed FFmpeg does not write this codec or size
  CannotFinish,      // the finished movie could not take the destination's name
};

class MovieWriter;
using MadeMovieWriter = plat::Made<MovieWriter, MovieWriteError>;

class MovieWriter {
 public:
  // A movie of width x height frames at fps frames a second, with the codec that
  // `path`'s extension stands for.
  static MadeMovieWriter open(const std::string& path, int width, int height, double fps,
                              const MovieEncoding& encoding = {});
  // The same with a codec of the caller's choice (tests ask for one FFmpeg lacks).
  static MadeMovieWriter open(const std::string& path, const MovieCodec& codec, int width,
                              int height, double fps, const MovieEncoding& encoding = {});
  ~MovieWriter();  // uncommitted: the staged file is removed
  MovieWriter(const MovieWriter&) = delete;
  MovieWriter& operator=(const MovieWriter&) = delete;

  // Appends one frame of the movie's size (packed blue-green-red bytes; a frame without
  // them fails the movie).
  void write(const MovieFrame& frame);
  // Finishes the movie and gives it the destination's name, replacing a file there.
  [[nodiscard]] MovieWriteError commit();

  const MovieCodec& codec() const;
  // Why the sound of `soundFrom` was left out, when some was; empty otherwise.
  const std::string& soundNote() const;
  const std::string& stagedPath() const;

 private:
  struct State;
  explicit MovieWriter(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// One line for people: what went wrong, with the codec where it matters.
std::string movieWriteErrorText(MovieWriteError e, const MovieCodec* codec);

// A 32-bit picture (words 0x00RRGGBB, width words a row) as packed blue-green-red bytes,
// 3 * width bytes a row, into `bgr` (resized to fit).
void convertImageToFrame(const uint32_t* pixels, int width, int height, std::vector<uint8_t>& bgr);

}  // namespace movie
