#include "movie/movie_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <mutex>
#include <system_error>

#include "movie/sound_copy.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

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

namespace {

bool isH264(const MovieCodec& codec) {
  return std::string(codec.encoder) == "libx264";
}

// The pixels the encoder takes: FFV1 keeps the blue-green-red bytes as they are; H.264
// takes luma and colour planes, at full or quarter colour resolution.
AVPixelFormat encodedFormat(const MovieCodec& codec, const MovieEncoding& e) {
  if (!isH264(codec)) return AV_PIX_FMT_BGR0;
  return e.chroma == Chroma::Full || e.lossless ? AV_PIX_FMT_YUV444P : AV_PIX_FMT_YUV420P;
}

// The encoder's own options: FFV1 in slices its threads share, H.264 at the asked
// quality and speed.
AVDictionary* encoderOptions(const MovieCodec& codec, const MovieEncoding& e) {
  AVDictionary* options = nullptr;
  if (isH264(codec)) {
    av_dict_set(&options, "preset", e.preset.c_str(), 0);
    if (e.lossless) {
      av_dict_set(&options, "qp", "0", 0);
    } else {
      av_dict_set(&options, "crf", std::to_string(e.crf).c_str(), 0);
    }
  } else {
    av_dict_set(&options, "level", "3", 0);
    av_dict_set(&options, "slices", "4", 0);
  }
  return options;
}

// FFmpeg's informative lines (x264's statistics) are not the tool's to print; a
// quieter level set before (the programs keep the decoders silent) stays.
void quietEncoders() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(std::min(av_log_get_level(), AV_LOG_ERROR)); });
}

}  // namespace

struct MovieWriter::State {
  const MovieCodec* codec = nullptr;
  std::string path;
  std::string staged;
  int width = 0, height = 0;
  AVFormatContext* format = nullptr;
  AVCodecContext* encoder = nullptr;
  AVStream* stream = nullptr;
  SwsContext* convert = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  int64_t nextPts = 0;
  bool failed = false;  // a frame could not be encoded or stored: the movie is not finished
  bool committed = false;
  std::unique_ptr<SoundCopy> sound;  // the input's sound, when it is copied
  std::string soundNote;

  // Sets up the encoder, the container and the conversion; the error there is one.
  MovieWriteError start(const MovieEncoding& e, double fps);

  ~State() {
    sound.reset();  // before the streams it writes into go
    if (format && format->pb) avio_closep(&format->pb);
    avformat_free_context(format);
    avcodec_free_context(&encoder);
    sws_freeContext(convert);
    av_frame_free(&frame);
    av_packet_free(&packet);
  }

  // Stores the sound that starts before the end of the pictures given so far.
  void copySoundToPictures() {
    const double end = static_cast<double>(nextPts) * av_q2d(encoder->time_base);
    if (sound && !sound->copyUntil(end)) failed = true;
  }

  // Hands `f` to the encoder (null drains it) and stores every packet it gives back.
  void encode(const AVFrame* f) {
    if (avcodec_send_frame(encoder, f) < 0) {
      failed = true;
      return;
    }
    for (;;) {
      const int got = avcodec_receive_packet(encoder, packet);
      if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return;
      if (got < 0) {
        failed = true;
        return;
      }
      av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
      packet->stream_index = stream->index;
      if (av_interleaved_write_frame(format, packet) < 0) failed = true;
    }
  }
};

MovieWriter::MovieWriter(std::unique_ptr<State> state) : state_(std::move(state)) {}

MovieWriter::~MovieWriter() {
  if (state_->committed) return;
  const std::string staged = state_->staged;
  state_.reset();  // closes the staged file
  std::error_code ec;
  fs::remove(staged, ec);
}

MadeMovieWriter MovieWriter::open(const std::string& path, int width, int height, double fps,
                                  const MovieEncoding& encoding) {
  const MovieCodec* codec = movieCodecFor(path);
  if (!codec) return MadeMovieWriter::failed(MovieWriteError::UnknownExtension);
  return open(path, *codec, width, height, fps, encoding);
}

MadeMovieWriter MovieWriter::open(const std::string& path, const MovieCodec& codec, int width,
                                  int height, double fps, const MovieEncoding& encoding) {
  // The encoders' colour planes need even sizes; cutting one off would be silent.
  if (width < 2 || height < 2 || width % 2 != 0 || height % 2 != 0) {
    return MadeMovieWriter::failed(MovieWriteError::OddSize);
  }
  if (!(fps > 0) || !std::isfinite(fps))
    return MadeMovieWriter::failed(MovieWriteError::BadFrameRate);
  if (!avcodec_find_encoder_by_name(codec.encoder))
    return MadeMovieWriter::failed(MovieWriteError::NoEncoder);
  auto state = std::make_unique<State>();
  state->codec = &codec;
  state->path = path;
  state->width = width;
  state->height = height;
  state->staged = createStagedFile(path, codec);
  if (state->staged.empty()) return MadeMovieWriter::failed(MovieWriteError::CannotCreate);
  // From here on the writer's destructor removes the staged file.
  std::unique_ptr<MovieWriter> made(new MovieWriter(std::move(state)));
  MovieWriteError e = made->state_->start(encoding, fps);
  if (e == MovieWriteError::NoEncoder && made->state_->sound) {
    // The container took the sound's codec by name but not its stream (FLAC in MP4,
    // say): the movie goes without it.
    const State& s = *made->state_;
    const std::string refused = s.sound->codecs();
    auto fresh = std::make_unique<State>();
    fresh->codec = s.codec;
    fresh->path = s.path;
    fresh->staged = s.staged;
    fresh->width = s.width;
    fresh->height = s.height;
    made->state_ = std::move(fresh);  // the first try's file is closed, to be written again
    MovieEncoding silent = encoding;
    silent.soundFrom.clear();
    e = made->state_->start(silent, fps);
    made->state_->soundNote = "its sound (" + refused +
                              ") cannot go into this kind of file; the movie is written without it";
  }
  if (e != MovieWriteError::None) return MadeMovieWriter::failed(e);
  return MadeMovieWriter{std::move(made), MovieWriteError::None};
}

MovieWriteError MovieWriter::State::start(const MovieEncoding& e, double fps) {
  State& s = *this;
  quietEncoders();
  const AVCodec* found = avcodec_find_encoder_by_name(s.codec->encoder);
  if (avformat_alloc_output_context2(&s.format, nullptr, nullptr, s.staged.c_str()) < 0)
    return MovieWriteError::NoEncoder;
  s.stream = avformat_new_stream(s.format, nullptr);
  s.encoder = avcodec_alloc_context3(found);
  s.frame = av_frame_alloc();
  s.packet = av_packet_alloc();
  if (!s.stream || !s.encoder || !s.frame || !s.packet) return MovieWriteError::NoEncoder;
  AVCodecContext& c = *s.encoder;
  const AVRational rate = av_d2q(fps, 1000000);
  c.width = s.width;
  c.height = s.height;
  c.framerate = rate;
  c.time_base = av_inv_q(rate);
  c.pix_fmt = encodedFormat(*s.codec, e);
  c.thread_count = 0;  // one per core
  if (c.pix_fmt != AV_PIX_FMT_BGR0) {
    // Converted with BT.601's matrix into the limited range: say so, or players guess.
    c.colorspace = AVCOL_SPC_SMPTE170M;
    c.color_range = AVCOL_RANGE_MPEG;
  }
  if (s.format->oformat->flags & AVFMT_GLOBALHEADER) c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  AVDictionary* options = encoderOptions(*s.codec, e);
  const int opened = avcodec_open2(&c, found, &options);
  av_dict_free(&options);
  if (opened < 0 || avcodec_parameters_from_context(s.stream->codecpar, &c) < 0)
    return MovieWriteError::NoEncoder;
  s.stream->time_base = c.time_base;
  s.stream->avg_frame_rate = rate;
  if (!e.soundFrom.empty()) s.sound = SoundCopy::open(e.soundFrom, s.format, s.soundNote);
  if (avio_open(&s.format->pb, s.staged.c_str(), AVIO_FLAG_WRITE) < 0)
    return MovieWriteError::CannotCreate;
  // A container may refuse a sound codec only here; the caller then tries without it,
  // so FFmpeg's own complaint is not shown.
  const int level = av_log_get_level();
  if (s.sound) av_log_set_level(std::min(level, AV_LOG_FATAL));
  const int header = avformat_write_header(s.format, nullptr);
  av_log_set_level(level);
  if (header < 0) return MovieWriteError::NoEncoder;
  s.frame->format = c.pix_fmt;
  s.frame->width = s.width;
  s.frame->height = s.height;
  if (av_frame_get_buffer(s.frame, 0) < 0) return MovieWriteError::NoEncoder;
  s.convert = sws_getContext(s.width, s.height, AV_PIX_FMT_BGR24, s.width, s.height, c.pix_fmt,
                             SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr,
                             nullptr);
  return s.convert ? MovieWriteError::None : MovieWriteError::NoEncoder;
}

void MovieWriter::write(const MovieFrame& frame) {
  State& s = *state_;
  if (frame.width != s.width || frame.height != s.height || s.committed || s.failed) return;
  // Only packed bytes are taken: a frame still in a decoder's layout is converted first.
  if (!frame.bgr || av_frame_make_writable(s.frame) < 0) {
    s.failed = true;
    return;
  }
  const uint8_t* const planes[] = {frame.bgr};
  const int strides[] = {frame.stride};
  sws_scale(s.convert, planes, strides, 0, s.height, s.frame->data, s.frame->linesize);
  s.frame->pts = s.nextPts++;
  s.copySoundToPictures();
  s.encode(s.frame);
}

MovieWriteError MovieWriter::commit() {
  State& s = *state_;
  if (s.committed) return MovieWriteError::None;
  if (!s.failed) s.encode(nullptr);
  s.copySoundToPictures();  // the sound ends with the pictures
  if (s.failed || av_write_trailer(s.format) < 0 || avio_closep(&s.format->pb) < 0)
    return MovieWriteError::CannotFinish;
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
const std::string& MovieWriter::soundNote() const {
  return state_->soundNote;
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
