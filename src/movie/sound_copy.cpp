#include "movie/sound_copy.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace movie {

SoundCopy::SoundCopy(AVFormatContext* input, AVFormatContext* output)
    : input_(input),
      output_(output),
      outputStream_(input->nb_streams, -1),
      packet_(av_packet_alloc()) {}

SoundCopy::~SoundCopy() {
  av_packet_free(&packet_);
  avformat_close_input(&input_);
}

std::unique_ptr<SoundCopy> SoundCopy::open(const std::string& path, AVFormatContext* output,
                                           std::string& note) {
  note.clear();
  AVFormatContext* input = nullptr;
  if (avformat_open_input(&input, path.c_str(), nullptr, nullptr) < 0) return nullptr;
  std::unique_ptr<SoundCopy> copy(new SoundCopy(input, output));
  if (!copy->packet_ || avformat_find_stream_info(input, nullptr) < 0) return nullptr;
  bool any = false;
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    const AVCodecParameters* from = input->streams[i]->codecpar;
    if (from->codec_type != AVMEDIA_TYPE_AUDIO) continue;
    if (avformat_query_codec(output->oformat, from->codec_id, FF_COMPLIANCE_NORMAL) != 1) {
      note = std::string("its sound (") + avcodec_get_name(from->codec_id) +
             ") cannot go into this kind of file; the movie is written without it";
      continue;
    }
    AVStream* to = avformat_new_stream(output, nullptr);
    if (!to || avcodec_parameters_copy(to->codecpar, from) < 0) return nullptr;
    to->codecpar->codec_tag = 0;  // the container's own tag for the codec
    to->time_base = input->streams[i]->time_base;
    copy->outputStream_[i] = to->index;
    if (!copy->codecs_.empty()) copy->codecs_ += ", ";
    copy->codecs_ += avcodec_get_name(from->codec_id);
    any = true;
  }
  if (!any) return nullptr;
  return copy;
}

bool SoundCopy::copyUntil(double seconds) {
  while (!ended_) {
    if (!held_) {
      if (av_read_frame(input_, packet_) < 0) {
        ended_ = true;
        break;
      }
      const int to = outputStream_[packet_->stream_index];
      if (to < 0) {
        av_packet_unref(packet_);
        continue;
      }
      // Times from the input's own start, which the pictures start at too.
      const AVRational base = input_->streams[packet_->stream_index]->time_base;
      if (input_->start_time != AV_NOPTS_VALUE) {
        const int64_t start = av_rescale_q(input_->start_time, AV_TIME_BASE_Q, base);
        if (packet_->pts != AV_NOPTS_VALUE) packet_->pts -= start;
        if (packet_->dts != AV_NOPTS_VALUE) packet_->dts -= start;
      }
      held_ = true;
    }
    const AVRational base = input_->streams[packet_->stream_index]->time_base;
    const int64_t when = packet_->pts != AV_NOPTS_VALUE ? packet_->pts : packet_->dts;
    if (when != AV_NOPTS_VALUE && when * av_q2d(base) >= seconds) return true;
    const int to = outputStream_[packet_->stream_index];
    av_packet_rescale_ts(packet_, base, output_->streams[to]->time_base);
    packet_->stream_index = to;
    packet_->pos = -1;
    held_ = false;
    if (av_interleaved_write_frame(output_, packet_) < 0) return false;
  }
  return true;
}

}  // namespace movie
