#include "movie/sound_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include "movie/packet_feed.h"

namespace movie {

namespace {

// A seek lands this far before the time asked for and decodes up to it, so that codecs
// whose frames overlap (AAC, MP3, Vorbis, Opus) give the asked-for sample whole.
constexpr double kPrerollMsec = 250;
// How far a time stamp may stray from the samples before it and still count as
// following on from them.
constexpr int64_t kStampRoundingMsec = 2;
// What the caller may ask for.
constexpr int kMinRate = 1000, kMaxRate = 384000, kMaxChannels = 8;

}  // namespace

struct SoundDecoder::State {
  std::string path;
  int rate = 0;
  int channels = 0;
  std::string codecName;
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  SwrContext* swr = nullptr;
  // What the converter was made for: the decoded frames' format, rate and channels.
  int swrFormat = -1;
  int swrRate = 0;
  AVChannelLayout swrLayout{};
  bool swrTimed = false;     // the converter has been given a time stamp
  double originSeconds = 0;  // the time the blocks' clock counts from
  bool draining = false;     // the decoder has been told the stream ended
  long damagedPackets = 0;   // refused by the decoder and passed over
  bool ended = false;
  std::optional<SoundBlock> held;  // read during a seek, handed out next

  ~State() { close(); }
  void close() {
    swr_free(&swr);
    av_channel_layout_uninit(&swrLayout);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    stream = nullptr;
  }

  // Empty, or why the movie's sound cannot be read.
  std::string open() {
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(format, nullptr) < 0) {
      return "it is not a movie or sound file that can be read";
    }
    const int picture = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const AVCodec* decoder = nullptr;
    const int index =
        av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, std::max(picture, -1), &decoder, 0);
    if (index == AVERROR_STREAM_NOT_FOUND) return kNoSound;
    if (index < 0 || !decoder) {
      const AVStream* any = nullptr;
      for (unsigned i = 0; i < format->nb_streams && !any; ++i) {
        if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
          any = format->streams[i];
      }
      const char* name = any ? avcodec_get_name(any->codecpar->codec_id) : "unknown";
      return std::string("its sound (") + name + ") cannot be decoded";
    }
    stream = format->streams[index];
    codecName = avcodec_get_name(stream->codecpar->codec_id);
    for (unsigned i = 0; i < format->nb_streams; ++i) {
      if (static_cast<int>(i) != index) format->streams[i]->discard = AVDISCARD_ALL;
    }
    // The pictures' clock starts at the picture stream's first time stamp (as
    // MovieDecoder counts it); a file without pictures counts from its first sound.
    const AVStream* clock = picture >= 0 ? format->streams[picture] : stream;
    if (clock->start_time != AV_NOPTS_VALUE) {
      originSeconds = static_cast<double>(clock->start_time) * av_q2d(clock->time_base);
    }
    codec = avcodec_alloc_context3(decoder);
    packet = av_packet_alloc();
    frame = av_frame_alloc();
    if (!codec || !packet || !frame || avcodec_parameters_to_context(codec, stream->codecpar) < 0 ||
        avcodec_open2(codec, decoder, nullptr) < 0) {
      return "its sound (" + codecName + ") cannot be decoded";
    }
    return {};
  }

  // A converter from the frame's samples to ours, made anew when they change.
  bool converterFor(const AVFrame& f) {
    AVChannelLayout in{};
    if (f.ch_layout.order != AV_CHANNEL_ORDER_UNSPEC && f.ch_layout.nb_channels > 0) {
      if (av_channel_layout_copy(&in, &f.ch_layout) < 0) return false;
    } else {
      av_channel_layout_default(&in, std::max(f.ch_layout.nb_channels, 1));
    }
    if (swr && f.format == swrFormat && f.sample_rate == swrRate &&
        av_channel_layout_compare(&in, &swrLayout) == 0) {
      av_channel_layout_uninit(&in);
      return true;
    }
    swr_free(&swr);
    av_channel_layout_uninit(&swrLayout);
    swrLayout = in;
    swrFormat = f.format;
    swrRate = f.sample_rate;
    AVChannelLayout out{};
    av_channel_layout_default(&out, channels);
    const int made =
        swr_alloc_set_opts2(&swr, &out, AV_SAMPLE_FMT_S16, rate, &swrLayout,
                            static_cast<AVSampleFormat>(swrFormat), swrRate, 0, nullptr);
    av_channel_layout_uninit(&out);
    swrTimed = false;
    if (made < 0 || swr_init(swr) < 0) {
      swr_free(&swr);
      return false;
    }
    return true;
  }

  // The time of the converter's next sample from the blocks' origin; `stamp` is the
  // time stamp of the samples about to go in, or AV_NOPTS_VALUE to count on.
  double nextMsec(int64_t stamp) {
    // swr counts in 1 / (input rate × output rate) seconds.
    const int64_t unitsPerSecond = static_cast<int64_t>(swrRate) * rate;
    int64_t in = INT64_MIN;
    if (stamp != AV_NOPTS_VALUE) {
      in = av_rescale(stamp * stream->time_base.num, unitsPerSecond, stream->time_base.den);
      // Samples that follow on from those before within the rounding of the container's
      // time stamps (whole milliseconds in Matroska) are counted on, so that blocks
      // follow each other exactly; a real gap or overlap restarts the count.
      if (swrTimed) {
        const int64_t following = swr_next_pts(swr, INT64_MIN) + swr_get_delay(swr, unitsPerSecond);
        if (std::llabs(in - following) <= unitsPerSecond * kStampRoundingMsec / 1000) {
          in = INT64_MIN;
        }
      }
      swrTimed = true;
    }
    const int64_t next = swr_next_pts(swr, in);
    return (static_cast<double>(next) / static_cast<double>(unitsPerSecond) - originSeconds) * 1000;
  }

  // Converts what the converter holds and the frame's samples (none: drains it).
  bool convert(const AVFrame* f, SoundBlock& out) {
    const int inSamples = f ? f->nb_samples : 0;
    out.msec = nextMsec(f ? f->best_effort_timestamp : AV_NOPTS_VALUE);
    const int room = swr_get_out_samples(swr, inSamples);
    if (room <= 0) return false;
    out.samples.resize(static_cast<size_t>(room) * channels);
    uint8_t* to = reinterpret_cast<uint8_t*>(out.samples.data());
    const int made = swr_convert(
        swr, &to, room, f ? const_cast<const uint8_t**>(f->extended_data) : nullptr, inSamples);
    out.samples.resize(static_cast<size_t>(std::max(made, 0)) * channels);
    return made > 0;
  }

  // Hands the decoder the stream's next packet, or the end of the stream.
  void feedPacket(int& refusals) {
    if (!feedNextPacket(format, codec, packet, stream->index, refusals, damagedPackets))
      draining = true;
  }

  bool read(SoundBlock& out) {
    if (held) {
      out = std::move(*held);
      held.reset();
      return true;
    }
    int refusals = 0;
    while (!ended) {
      const int got = avcodec_receive_frame(codec, frame);
      if (got == 0) {
        const bool converted = converterFor(*frame) && convert(frame, out);
        av_frame_unref(frame);
        if (converted) return true;
        continue;  // nothing out yet (the converter holds it), or samples it cannot take
      }
      if (got == AVERROR(EAGAIN) && !draining) {
        feedPacket(refusals);
        continue;
      }
      if (got != AVERROR_EOF && got != AVERROR(EAGAIN) && ++refusals <= kRefusalsInARow) continue;
      // The end: what the converter still holds is the last block.
      ended = true;
      if (swr && convert(nullptr, out)) return true;
    }
    return false;
  }

  void restartDecoding() {
    avcodec_flush_buffers(codec);
    swr_free(&swr);  // drops what it holds; the next frame's time stamp starts it anew
    held.reset();
    draining = false;
    ended = false;
  }

  // Seeks the container to `seconds` (the stream's own clock) or before.
  bool seekContainer(double seconds) {
    const int64_t stamp = static_cast<int64_t>(std::floor(seconds / av_q2d(stream->time_base)));
    if (av_seek_frame(format, stream->index, stamp, AVSEEK_FLAG_BACKWARD) < 0) return false;
    restartDecoding();
    return true;
  }

  // The file opened anew, read from its very start: what a seek before the first sound
  // comes to (a container seek would miss the packets before the first time stamp that
  // codecs with encoder delay start with), and where a container seek went wrong.
  bool reopen() {
    close();
    held.reset();
    draining = ended = false;
    if (!open().empty()) {
      ended = true;
      return false;
    }
    return true;
  }

  enum class Landing { At, Ended, TooLate };

  // Decodes from where the container stands up to the block holding `msec`, cut to
  // start at it. TooLate when the first block starts after `msec` while `fromStart` is
  // false (the container landed too late).
  Landing decodeUpTo(double msec, bool fromStart) {
    SoundBlock b;
    bool first = true;
    while (read(b)) {
      const size_t frames = b.frames(channels);
      const double end = b.msec + static_cast<double>(frames) * 1000 / rate;
      if (first && !fromStart && b.msec > msec + 1000.0 / rate) return Landing::TooLate;
      first = false;
      if (end <= msec) continue;
      const double skip = std::floor((msec - b.msec) * rate / 1000 + 0.5);
      if (skip > 0) {
        const size_t drop = std::min(static_cast<size_t>(skip), frames);
        b.samples.erase(b.samples.begin(), b.samples.begin() + drop * channels);
        b.msec += static_cast<double>(drop) * 1000 / rate;
      }
      held = std::move(b);
      return Landing::At;
    }
    return Landing::Ended;
  }

  bool seekToMsec(double msec) {
    msec = std::max(msec, 0.0);
    const double seconds = originSeconds + (msec - kPrerollMsec) / 1000;
    const double first = stream && stream->start_time != AV_NOPTS_VALUE
                             ? static_cast<double>(stream->start_time) * av_q2d(stream->time_base)
                             : 0;
    if (stream && seconds > first && seekContainer(seconds)) {
      const Landing landed = decodeUpTo(msec, false);
      if (landed != Landing::TooLate) return landed == Landing::At;
    }
    return reopen() && decodeUpTo(msec, true) == Landing::At;
  }
};

SoundDecoder::SoundDecoder(std::unique_ptr<State> state) : state_(std::move(state)) {}
SoundDecoder::~SoundDecoder() = default;

std::unique_ptr<SoundDecoder> SoundDecoder::open(const std::string& path, int sampleRate,
                                                 int channels, std::string* why) {
  if (why) why->clear();
  if (sampleRate < kMinRate || sampleRate > kMaxRate || channels < 1 || channels > kMaxChannels) {
    if (why) {
      *why = "the sound cannot be played at " + std::to_string(sampleRate) + " Hz with " +
             std::to_string(channels) + " channels";
    }
    return nullptr;
  }
  auto state = std::make_unique<State>();
  state->path = path;
  state->rate = sampleRate;
  state->channels = channels;
  const std::string failed = state->open();
  if (!failed.empty()) {
    if (why) *why = failed;
    return nullptr;
  }
  return std::unique_ptr<SoundDecoder>(new SoundDecoder(std::move(state)));
}

bool SoundDecoder::read(SoundBlock& out) {
  return state_->read(out);
}
bool SoundDecoder::seekToMsec(double msec) {
  return state_->seekToMsec(msec);
}
int SoundDecoder::sampleRate() const {
  return state_->rate;
}
int SoundDecoder::channels() const {
  return state_->channels;
}
const std::string& SoundDecoder::codec() const {
  return state_->codecName;
}

}  // namespace movie
