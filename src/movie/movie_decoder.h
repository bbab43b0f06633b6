// A movie's picture stream through FFmpeg's libraries: demuxed, decoded on the
// decoder's own threads, and handed out frame by frame in display order, each with its
// number and time. A seek goes to the key frame at or before the frame asked for and
// decodes forward from there, unless decoding on from where the decoder stands costs
// no more.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct AVFrame;

namespace movie {

// One decoded picture as the decoder gave it (planes in its own layout), shared by the
// frames kept in memory and the frame handed out.
struct DecodedFrame {
  std::shared_ptr<const AVFrame> picture;
  long number = -1;  // in display order, from 0
  double msec = 0;   // its time from the start of the stream
  size_t bytes = 0;  // the memory its planes take
};

// What the container says of the picture stream, as the capture properties give it.
struct StreamFacts {
  int width = 0;
  int height = 0;
  double fps = 0;
  double fourcc = 0;
  double frameCount = 0;
};

class MovieDecoder {
 public:
  // The movie at `path`, or null with the reason in *why: 1 not a movie, 2 no picture.
  static std::unique_ptr<MovieDecoder> open(const std::string& path, int* why);
  ~MovieDecoder();
  MovieDecoder(const MovieDecoder&) = delete;
  MovieDecoder& operator=(const MovieDecoder&) = delete;

  const StreamFacts& facts() const;
  // The next frame in display order; false at the end, or where nothing more can be
  // decoded. Frames the decoder cannot make of damaged data are passed over.
  bool read(DecodedFrame& out);
  // Places the decoder so that the next read gives frame `n`; false when the movie
  // has no such frame. Counts a seek in the container when it made one.
  bool seekTo(long n);
  // The number of the frame the next read gives; -1 when not known.
  long next() const;
  // The number of the last frame the decoder made; -1 before the first.
  long lastDecoded() const;
  // How many seeks the container has made.
  int containerSeeks() const;
  // While on, the frames no other frame is decoded from are passed over, not decoded: a
  // player that has fallen behind catches up. The frames given keep their own numbers.
  void passOverUnreferenced(bool on);
  // How often damaged data was met: packets the decoder refused, pictures it made with
  // parts missing.
  long damagedData() const;

 private:
  struct State;
  explicit MovieDecoder(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// Keeps FFmpeg's own messages about damaged input off the terminal: the programs say
// what could not be read in their own lines. DIREVO_FFMPEG_LOGLEVEL (an FFmpeg level
// number) set by hand is kept, to see what FFmpeg says.
void silenceDecoderLog();

}  // namespace movie
