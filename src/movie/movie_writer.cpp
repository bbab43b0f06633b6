#include "movie/movie_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <system_error>

namespace movie {

namespace fs = std::filesystem;

namespace {

bool endsWithNoCase(const std::string& s, const std::string& tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    const auto a = static_cast<unsigned char>(s[s.size() - tail.size() + i]);
    if (std::tolower(a) != static_cast<unsigned char>(tail[i])) return false;
  }
  return true;
}

// A new, empty file beside `path`, hidden, ending in the codec's extension so that
// FFmpeg picks the same container for it. Empty on failure.
std::string createStagedFile(const std::string& path, const MovieCodec& codec) {
  static std::atomic<int> counter{0};
  const fs::path target(path);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = "." + target.filename().string() + "." + std::to_string(::getpid()) +
                             "-" + std::to_string(counter++) + codec.extension;
    const std::string staged = (folder / name).string();
    const int fd = ::open(staged.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return staged;
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

}  // namespace

const MovieCodec* movieCodecFor(const std::string& path) {
  for (const MovieCodec& c : kMovieCodecs) {
    if (endsWithNoCase(path, c.extension) && path.size() > std::string(c.extension).size())
      return &c;
  }
  return nullptr;
}

std::string movieExtensionList() {
  std::string list;
  const size_t n = std::size(kMovieCodecs);
  for (size_t i = 0; i < n; ++i) {
    if (i > 0) list += i + 1 == n ? " or " : ", ";
    list += kMovieCodecs[i].extension;
  }
  return list;
}

struct MovieWriter::State {
  const MovieCodec* codec = nullptr;
  std::string path;
  std::string staged;
  cv::VideoWriter writer;
  cv::Size size;
  bool committed = false;
};

MovieWriter::MovieWriter(std::unique_ptr<State> state) : state_(std::move(state)) {}

MovieWriter::~MovieWriter() {
  if (state_->committed) return;
  try {
    state_->writer.release();
  } catch (...) {
  }
  std::error_code ec;
  fs::remove(state_->staged, ec);
}

MadeMovieWriter MovieWriter::open(const std::string& path, int width, int height, double fps) {
  const MovieCodec* codec = movieCodecFor(path);
  if (!codec) return MadeMovieWriter::failed(MovieWriteError::UnknownExtension);
  return open(path, *codec, width, height, fps);
}

MadeMovieWriter MovieWriter::open(const std::string& path, const MovieCodec& codec, int width,
                                  int height, double fps) {
  // OpenCV's FFmpeg writer would quietly cut an odd width or height by one.
  if (width < 2 || height < 2 || width % 2 != 0 || height % 2 != 0) {
    return MadeMovieWriter::failed(MovieWriteError::OddSize);
  }
  if (!(fps > 0) || !std::isfinite(fps))
    return MadeMovieWriter::failed(MovieWriteError::BadFrameRate);
  auto state = std::make_unique<State>();
  state->codec = &codec;
  state->path = path;
  state->staged = createStagedFile(path, codec);
  if (state->staged.empty()) return MadeMovieWriter::failed(MovieWriteError::CannotCreate);
  // From here on the writer's destructor removes the staged file.
  std::unique_ptr<MovieWriter> made(new MovieWriter(std::move(state)));
  State& s = *made->state_;
  s.size = cv::Size(width, height);
  const int fourcc =
      cv::VideoWriter::fourcc(codec.fourcc[0], codec.fourcc[1], codec.fourcc[2], codec.fourcc[3]);
  bool opened = false;
  try {
    opened =
        s.writer.open(s.staged, cv::CAP_FFMPEG, fourcc, fps, s.size, true) && s.writer.isOpened();
  } catch (...) {
    opened = false;
  }
  if (!opened) return MadeMovieWriter::failed(MovieWriteError::NoEncoder);
  return MadeMovieWriter{std::move(made), MovieWriteError::None};
}

void MovieWriter::write(const MovieFrame& frame) {
  State& s = *state_;
  if (frame.width != s.size.width || frame.height != s.size.height || s.committed) return;
  const cv::Mat mat(s.size, CV_8UC3, const_cast<uint8_t*>(frame.bgr),
                    static_cast<size_t>(frame.stride));
  s.writer.write(mat);
}

MovieWriteError MovieWriter::commit() {
  State& s = *state_;
  if (s.committed) return MovieWriteError::None;
  try {
    s.writer.release();
  } catch (...) {
    return MovieWriteError::CannotFinish;
  }
  std::error_code ec;
  if (fs::file_size(s.staged, ec) == 0 || ec) return MovieWriteError::CannotFinish;
  fs::rename(s.staged, s.path, ec);
  if (ec) return MovieWriteError::CannotFinish;
  s.committed = true;
  return MovieWriteError::None;
}

const MovieCodec& MovieWriter::codec() const {
  return *state_->codec;
}
const std::string& MovieWriter::stagedPath() const {
  return state_->staged;
}

std::string movieWriteErrorText(MovieWriteError e, const MovieCodec* codec) {
  const std::string name = codec ? codec->name : "the codec";
  switch (e) {
    case MovieWriteError::None:
      return "no error";
    case MovieWriteError::UnknownExtension:
      return "a movie is written as " + movieExtensionList();
    case MovieWriteError::OddSize:
      return "a movie needs an even width and height";
    case MovieWriteError::BadFrameRate:
      return "no frame rate to write the movie at";
    case MovieWriteError::CannotCreate:
      return "no file can be made in its folder";
    case MovieWriteError::NoEncoder:
      return "the installed FFmpeg cannot write " + name +
             (codec ? std::string(" into a ") + codec->extension + " file" : "");
    case MovieWriteError::CannotFinish:
      return "the movie could not be finished";
  }
  return "unknown error";
}

void convertImageToFrame(const uint32_t* pixels, int width, int height, std::vector<uint8_t>& bgr) {
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  bgr.resize(3 * count);
  uint8_t* out = bgr.data();
  for (size_t i = 0; i < count; ++i, out += 3) {
    const uint32_t p = pixels[i];
    out[0] = static_cast<uint8_t>(p);
    out[1] = static_cast<uint8_t>(p >> 8);
    out[2] = static_cast<uint8_t>(p >> 16);
  }
}

}  // namespace movie
