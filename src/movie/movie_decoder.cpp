#include "movie/movie_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include "movie/packet_feed.h"

namespace movie {

namespace {

// A seek that lands after its target backs off this many frames more, then half as
// many again each time, before the movie is read from its start.
constexpr long kSeekBackoff = 16;
// Frames in a row the decoder may refuse before the stream counts as ended.

void freeFrame(const AVFrame* f) {
  AVFrame* owned = const_cast<AVFrame*>(f);
  av_frame_free(&owned);
}

size_t bytesOf(const AVFrame& f) {
  size_t bytes = 0;
  for (const AVBufferRef* buf : f.buf) {
    if (buf) bytes += buf->size;
  }
  return bytes;
}

// A codec's name as four characters, as the capture's FOURCC shows a stream that
// carries no tag of its own.
double fourccOf(const AVCodecParameters& p) {
  if (p.codec_tag != 0 || p.codec_id == AV_CODEC_ID_NONE) return p.codec_tag;
  const char* name = avcodec_get_name(p.codec_id);
  if (!name || std::strlen(name) < 4 || std::strcmp(name, "unknown_codec") == 0) return 0;
  const auto c = [name](int i) {
    return static_cast<uint32_t>(static_cast<unsigned char>(name[i]));
  };
  return c(0) | c(1) << 8 | c(2) << 16 | c(3) << 24;
}

}  // namespace

struct MovieDecoder::State {
  std::string path;
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  AVPacket* packet = nullptr;
  StreamFacts facts;
  int64_t start = 0;  // the stream's first time stamp
  double timeBase = 0;
  long nextNumber = 0;   // the number the next frame read gets; -1: from its time stamp
  long damagedData = 0;  // packets and pictures the decoder refused
  bool draining = false;
  bool ended = false;
  std::optional<DecodedFrame> held;  // read during a seek, handed out next
  long lastDecoded = -1;
  int seeks = 0;

  ~State() { close(); }
  void close() {
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    stream = nullptr;
  }

  // 0, or 1 when it is no movie the libraries read, 2 when it holds no picture.
  int open() {
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return 1;
    if (avformat_find_stream_info(format, nullptr) < 0) return 1;
    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (index < 0 || !decoder) return index == AVERROR_STREAM_NOT_FOUND ? 2 : 1;
    stream = format->streams[index];
    for (unsigned i = 0; i < format->nb_streams; ++i) {
      if (static_cast<int>(i) != index) format->streams[i]->discard = AVDISCARD_ALL;
    }
    codec = avcodec_alloc_context3(decoder);
    packet = av_packet_alloc();
    if (!codec || !packet || avcodec_parameters_to_context(codec, stream->codecpar) < 0) return 1;
    codec->thread_count = 0;  // one per processor
    codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(codec, decoder, nullptr) < 0) return 1;
    if (stream->codecpar->width < 1 || stream->codecpar->height < 1) return 2;
    learnFacts();
    return 0;
  }

  void learnFacts() {
    timeBase = av_q2d(stream->time_base);
    start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    facts.width = stream->codecpar->width;
    facts.height = stream->codecpar->height;
    facts.fps = av_q2d(av_guess_frame_rate(format, stream, nullptr));
    facts.fourcc = fourccOf(*stream->codecpar);
    double count = static_cast<double>(stream->nb_frames);
    if (count <= 0) {
      double seconds = static_cast<double>(format->duration) / AV_TIME_BASE;
      if (seconds < 1e-6) seconds = static_cast<double>(stream->duration) * timeBase;
      count = std::floor(seconds * facts.fps + 0.5);
    }
    facts.frameCount = count > 0 ? count : 0;
  }

  // The frame number and time a time stamp stands for, at the stream's rate.
  double secondsAt(int64_t stamp) const { return static_cast<double>(stamp - start) * timeBase; }
  long numberAt(int64_t stamp) const {
    return static_cast<long>(std::floor(facts.fps * secondsAt(stamp) + 0.5));
  }
  int64_t stampOf(long n) const {
    if (!(facts.fps > 0) || !(timeBase > 0)) return start;
    return start + static_cast<int64_t>(static_cast<double>(n) / facts.fps / timeBase + 0.5);
  }

  // The decoder's next picture; false at the end of the stream.
  bool decodeNext(AVFrame* frame) {
    int refusals = 0;
    while (!ended) {
      const int got = avcodec_receive_frame(codec, frame);
      if (got == 0) return true;
      if (got == AVERROR_EOF) break;
      if (got != AVERROR(EAGAIN)) ++damagedData;
      if (got != AVERROR(EAGAIN) && ++refusals > kRefusalsInARow) break;
      if (got == AVERROR(EAGAIN) && draining) break;
      if (got == AVERROR(EAGAIN)) feedPacket(refusals);
    }
    ended = true;
    return false;
  }
  // Hands the decoder the stream's next packet, or the end of the stream.
  void feedPacket(int& refusals) {
    if (!feedNextPacket(format, codec, packet, stream->index, refusals, damagedData))
      draining = true;
  }

  bool read(DecodedFrame& out) {
    if (held) {
      out = std::move(*held);
      held.reset();
      return true;
    }
    AVFrame* frame = av_frame_alloc();
    if (!frame) return false;
    std::shared_ptr<const AVFrame> owned(frame, freeFrame);
    if (!decodeNext(frame)) return false;
    const int64_t stamp = frame->best_effort_timestamp;
    // A picture made with parts missing (concealed by the decoder) is shown, and counted.
    if (frame->decode_error_flags != 0 || (frame->flags & AV_FRAME_FLAG_CORRUPT) != 0)
      ++damagedData;
    out.bytes = bytesOf(*frame);
    out.picture = std::move(owned);
    const bool counted = nextNumber >= 0 && codec->skip_frame != AVDISCARD_NONREF;
    out.number = counted || stamp == AV_NOPTS_VALUE ? std::max(nextNumber, 0L) : numberAt(stamp);
    out.msec = stamp != AV_NOPTS_VALUE ? secondsAt(stamp) * 1000
               : facts.fps > 0         ? out.number * 1000.0 / facts.fps
                                       : 0;
    nextNumber = out.number + 1;
    lastDecoded = out.number;
    return true;
  }

  long next() const {
    if (held) return held->number;
    return ended ? -1 : nextNumber;
  }

  // Reads on until the frame read next is `n` or later.
  bool readOnTo(long n) {
    DecodedFrame d;
    for (;;) {
      if (!read(d)) return false;
      if (d.number >= n) {
        held = std::move(d);
        return true;
      }
    }
  }

  // The index entry of the key frame frame n is decoded from; null without an index.
  // Entries are stamped with decoding times, which run up to `video_delay` frames ahead
  // of display times where frames are reordered: an entry that would display after n
  // is another picture group's, so the one before it is taken.
  const AVIndexEntry* keyFrameOf(long n) const {
    const long reorder = std::max(0, stream->codecpar->video_delay);
    int64_t stamp = stampOf(n);
    for (int tries = 0; tries < 8; ++tries) {
      const AVIndexEntry* key =
          avformat_index_get_entry_from_timestamp(stream, stamp, AVSEEK_FLAG_BACKWARD);
      if (!key || numberAt(key->timestamp) + reorder <= n) return key;
      stamp = key->timestamp - 1;
    }
    return nullptr;
  }
  long displayNumberOf(const AVIndexEntry& key) const {
    return numberAt(key.timestamp) + std::max(0, stream->codecpar->video_delay);
  }

  // Whether the key frame frame `to` is decoded from lies after frame `from`, so that a
  // seek decodes less than reading on; without an index, whether `to` is farther than
  // a seek would back off.
  bool keyFrameBetween(long from, long to) const {
    if (avformat_index_get_entries_count(stream) <= 0) return to - from > kSeekBackoff;
    const AVIndexEntry* key = keyFrameOf(to);
    return key && displayNumberOf(*key) > from;
  }

  void restartDecoding() {
    avcodec_flush_buffers(codec);
    held.reset();
    draining = false;
    ended = false;
    nextNumber = -1;
  }

  // Frame n through the container's seek: to its key frame, further back while the
  // first frame there is past it.
  bool seekInContainer(long n) {
    const AVIndexEntry* key = keyFrameOf(n);
    for (long back = 0;; back = back == 0 ? kSeekBackoff : back * 3 / 2) {
      const long from = std::max(0L, n - back);
      const int64_t stamp = back == 0 && key ? key->timestamp : stampOf(from);
      ++seeks;
      if (av_seek_frame(format, stream->index, stamp, AVSEEK_FLAG_BACKWARD) < 0) return false;
      restartDecoding();
      DecodedFrame first;
      if (!read(first)) return false;
      held = std::move(first);
      if (held->number <= n) return readOnTo(n);
      if (from == 0) return seekToStart(n);
    }
  }

  // Frame n decoded from the stream's first packet, where the index names a key frame:
  // the frames counted from 0, as when the movie is opened, without opening it anew.
  // Wanted where the first frames' time stamps say nothing of their place (a movie of
  // reordered frames with decoding times only, as H.264 in AVI), at every rewind.
  bool seekToStart(long n) {
    const AVIndexEntry* first = avformat_index_get_entry(stream, 0);
    if (!first || !(first->flags & AVINDEX_KEYFRAME)) return false;
    ++seeks;
    if (av_seek_frame(format, stream->index, first->timestamp, AVSEEK_FLAG_BACKWARD) < 0)
      return false;
    restartDecoding();
    nextNumber = 0;
    return readOnTo(n);
  }

  bool seekTo(long n) {
    if (n < 0 || (facts.frameCount > 0 && n >= facts.frameCount)) return false;
    if (!stream) return reopenAndReadTo(n);  // an earlier opening anew failed
    const long at = next();
    if (at == n) return true;
    if (at >= 0 && at < n && !keyFrameBetween(at, n)) return readOnTo(n);
    if (seekInContainer(n)) return true;
    return reopenAndReadTo(n);
  }

  // Frame n read from the very start, the movie opened anew: for movies the
  // container cannot seek in (the start of a one-frame movie, a cut-off index).
  bool reopenAndReadTo(long n) {
    close();
    held.reset();
    draining = ended = false;
    nextNumber = 0;
    lastDecoded = -1;
    if (open() != 0) {
      ended = true;
      return false;
    }
    return readOnTo(n);
  }
};

MovieDecoder::MovieDecoder(std::unique_ptr<State> state) : state_(std::move(state)) {}
MovieDecoder::~MovieDecoder() = default;

std::unique_ptr<MovieDecoder> MovieDecoder::open(const std::string& path, int* why) {
  auto state = std::make_unique<State>();
  state->path = path;
  const int failed = state->open();
  if (why) *why = failed;
  if (failed) return nullptr;
  return std::unique_ptr<MovieDecoder>(new MovieDecoder(std::move(state)));
}

const StreamFacts& MovieDecoder::facts() const {
  return state_->facts;
}
bool MovieDecoder::read(DecodedFrame& out) {
  return state_->read(out);
}
bool MovieDecoder::seekTo(long n) {
  return state_->seekTo(n);
}
long MovieDecoder::next() const {
  return state_->next();
}
long MovieDecoder::lastDecoded() const {
  return state_->lastDecoded;
}
void MovieDecoder::passOverUnreferenced(bool on) {
  state_->codec->skip_frame = on ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
}

long MovieDecoder::damagedData() const {
  return state_->damagedData;
}

int MovieDecoder::containerSeeks() const {
  return state_->seeks;
}

void silenceDecoderLog() {
  const char* asked = std::getenv("DIREVO_FFMPEG_LOGLEVEL");
  av_log_set_level(asked ? std::atoi(asked) : AV_LOG_QUIET);
}

}  // namespace movie
