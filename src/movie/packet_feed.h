// Feeding a decoder one stream's packets from its file: what the picture and the sound
// decoders share.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace movie {

// Damaged packets passed over one after another before a decoder gives up.
inline constexpr int kRefusalsInARow = 64;

// Hands `codec` the next packet of stream `index` of `format`, or the end of the stream;
// false for the end (the decoder then drains). A packet the decoder refuses as damaged
// is counted in `refusals` and `damaged`, and the next one is tried, up to
// kRefusalsInARow in a row.
bool feedNextPacket(AVFormatContext* format, AVCodecContext* codec, AVPacket* packet, int index,
                    int& refusals, long& damaged);

}  // namespace movie
