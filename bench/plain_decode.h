// FFmpeg's demuxing and decoding alone, one thread per processor as the movie reader
// uses: the ceiling the benchmarks hold the reader to.
#pragma once

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

class PlainDecode {
 public:
  explicit PlainDecode(const std::string& path) {
    if (avformat_open_input(&format_, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(format_, nullptr) < 0)
      return;
    const AVCodec* decoder = nullptr;
    index_ = av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (index_ < 0) return;
    codec_ = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(codec_, format_->streams[index_]->codecpar);
    codec_->thread_count = 0;
    codec_->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(codec_, decoder, nullptr) < 0) avcodec_free_context(&codec_);
  }
  ~PlainDecode() {
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
  }
  PlainDecode(const PlainDecode&) = delete;
  PlainDecode& operator=(const PlainDecode&) = delete;

  bool opened() const { return codec_ != nullptr; }
  // The next frame, or null at the end.
  const AVFrame* next() {
    for (;;) {
      const int got = avcodec_receive_frame(codec_, frame_);
      if (got == 0) return frame_;
      if (got != AVERROR(EAGAIN)) return nullptr;
      if (av_read_frame(format_, packet_) < 0) {
        avcodec_send_packet(codec_, nullptr);
        continue;
      }
      if (packet_->stream_index == index_) avcodec_send_packet(codec_, packet_);
      av_packet_unref(packet_);
    }
  }
  // Back to the start, or to the key frame at or before `seconds`.
  void seek(double seconds = 0) {
    const AVStream* s = format_->streams[index_];
    const int64_t start = s->start_time == AV_NOPTS_VALUE ? 0 : s->start_time;
    av_seek_frame(format_, index_, start + static_cast<int64_t>(seconds / av_q2d(s->time_base)),
                  AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(codec_);
  }

 private:
  AVFormatContext* format_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  AVPacket* packet_ = av_packet_alloc();
  AVFrame* frame_ = av_frame_alloc();
  int index_ = -1;
};
