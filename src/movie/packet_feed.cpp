#include "movie/packet_feed.h"

namespace movie {

bool feedNextPacket(AVFormatContext* format, AVCodecContext* codec, AVPacket* packet, int index,
                    int& refusals, long& damaged) {
  for (;;) {
    if (av_read_frame(format, packet) < 0) {
      avcodec_send_packet(codec, nullptr);
      return false;
    }
    const bool ours = packet->stream_index == index;
    const int sent = ours ? avcodec_send_packet(codec, packet) : 0;
    av_packet_unref(packet);
    if (!ours) continue;
    // Damaged data the decoder refuses is passed over; the next packet is tried.
    if (sent < 0 && sent != AVERROR(EAGAIN)) {
      ++damaged;
      if (++refusals <= kRefusalsInARow) continue;
    }
    return true;
  }
}

}  // namespace movie
