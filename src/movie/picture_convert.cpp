#include "movie/picture_convert.h"

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace movie {

namespace {

// Rows a band starts on are a multiple of this: whole rows of every plane.
constexpr int kBandAlign = 16;
constexpr int kMaxBands = 4;
constexpr int kRowsPerBand = 128;  // fewer rows are not worth a thread
// Rows converted at a time, then finished while they are still in the cache.
constexpr int kChunkRows = 16;

// What a converter is made for.
struct ConverterKey {
  int format, width, height, colorspace, range;
  bool operator==(const ConverterKey&) const = default;
};

// Converters kept from frame to frame, since making one costs more than converting a
// small picture; each is used by one band at a time.
class ConverterPool {
 public:
  SwsContext* take(const ConverterKey& key) {
    {
      std::lock_guard lock(m_);
      for (Entry& e : entries_) {
        if (!e.busy && e.key == key) {
          e.busy = true;
          return e.context;
        }
      }
    }
    SwsContext* made = make(key);
    if (!made) return nullptr;
    std::lock_guard lock(m_);
    dropIdleOthers(key);
    entries_.push_back({key, made, true});
    return made;
  }
  void give(SwsContext* context) {
    std::lock_guard lock(m_);
    for (Entry& e : entries_) {
      if (e.context == context) e.busy = false;
    }
  }

 private:
  struct Entry {
    ConverterKey key;
    SwsContext* context;
    bool busy;
  };
  // The colours as FFmpeg's scaler filter sets them: the stream's matrix (BT.601 when
  // it names none), its range when it names one, else the layout's own.
  static SwsContext* make(const ConverterKey& key) {
    const auto format = static_cast<AVPixelFormat>(key.format);
    SwsContext* c = sws_getContext(key.width, key.height, format, key.width, key.height,
                                   AV_PIX_FMT_BGR0, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!c) return nullptr;
    int *inverse = nullptr, *table = nullptr;
    int srcFull = 0, dstFull = 0, brightness = 0, contrast = 0, saturation = 0;
    if (sws_getColorspaceDetails(c, &inverse, &srcFull, &table, &dstFull, &brightness, &contrast,
                                 &saturation) >= 0) {
      if (key.range != AVCOL_RANGE_UNSPECIFIED) srcFull = key.range == AVCOL_RANGE_JPEG;
      sws_setColorspaceDetails(c, sws_getCoefficients(key.colorspace), srcFull, table, dstFull,
                               brightness, contrast, saturation);
    }
    return c;
  }
  // Converters for other pictures go once idle: a movie keeps one kind of picture (its
  // bands differ only in height).
  void dropIdleOthers(const ConverterKey& key) {
    std::erase_if(entries_, [&key](const Entry& e) {
      if (e.busy || (e.key.format == key.format && e.key.width == key.width)) return false;
      sws_freeContext(e.context);
      return true;
    });
  }

  std::mutex m_;
  std::vector<Entry> entries_;
};

ConverterPool& pool() {
  static ConverterPool* p = new ConverterPool;  // lives as long as the threads using it
  return *p;
}

// Layouts whose rows convert alone: no filter reaches from one row into another, so
// a band converted on its own is the same as that band of the whole.
bool bandsAreExact(int format) {
  switch (format) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUV422P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_NV12:
    case AV_PIX_FMT_BGR24:
    case AV_PIX_FMT_RGB24:
    case AV_PIX_FMT_BGR0:
    case AV_PIX_FMT_BGRA:
      return true;
    default:
      return false;
  }
}

struct Band {
  int first, rows;
};

struct Job {
  const AVFrame& picture;
  uint32_t* dest;
  int destWidth;
  int columns;  // shared with the destination
  int rows;     // shared with the destination
};

// Copies n words, the fourth byte cleared: the scaler fills it, the image's is 0.
void copyColours(const uint32_t* from, uint32_t* to, int n) {
  int x = 0;
#if defined(__SSE2__)
  const __m128i colours = _mm_set1_epi32(0x00FFFFFF);
  for (; x + 4 <= n; x += 4) {
    const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x), _mm_and_si128(four, colours));
  }
#endif
  for (; x < n; ++x) to[x] = from[x] & 0x00FFFFFFu;
}

// Rows [first, first + rows) of the picture, converted as a picture of their own, a
// few rows at a time.
bool convertBand(const Job& job, Band band) {
  const AVFrame& p = job.picture;
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(p.format));
  if (!d) return false;
  const ConverterKey key{p.format, p.width, band.rows, p.colorspace, p.color_range};
  SwsContext* c = pool().take(key);
  if (!c) return false;
  // A destination smaller than the band gets its corner from a copy of the band.
  std::vector<uint32_t> whole;
  uint32_t* out = job.dest + static_cast<ptrdiff_t>(band.first) * job.destWidth;
  int outWidth = job.destWidth;
  const int shared = std::min(band.rows, job.rows - band.first);
  if (job.columns < p.width || shared < band.rows) {
    whole.resize(static_cast<size_t>(p.width) * static_cast<size_t>(band.rows));
    out = whole.data();
    outWidth = p.width;
  }
  uint8_t* const outPlanes[4] = {reinterpret_cast<uint8_t*>(out)};
  const int outStrides[4] = {outWidth * 4};
  int made = 0;  // rows the scaler has written
  for (int y = 0; y < band.rows && made >= 0; y += kChunkRows) {
    // The scaler takes each slice from its own first row.
    const uint8_t* planes[4] = {};
    for (int i = 0; i < 4 && p.data[i]; ++i) {
      const bool chroma = (i == 1 || i == 2) && !(d->flags & AV_PIX_FMT_FLAG_RGB);
      const int row = band.first + y;
      planes[i] = p.data[i] +
                  static_cast<ptrdiff_t>(chroma ? row >> d->log2_chroma_h : row) * p.linesize[i];
    }
    const int now = sws_scale(c, planes, p.linesize, y, std::min(kChunkRows, band.rows - y),
                              outPlanes, outStrides);
    if (now < 0) break;
    for (int row = made; row < std::min(made + now, shared); ++row) {
      copyColours(out + static_cast<ptrdiff_t>(row) * outWidth,
                  job.dest + static_cast<ptrdiff_t>(band.first + row) * job.destWidth, job.columns);
    }
    made += now;
  }
  pool().give(c);
  return made == band.rows;
}

bool convert(const AVFrame& picture, uint32_t* dest, int destWidth, int destHeight, int bands) {
  if (!dest || picture.width <= 0 || picture.height <= 0 || destWidth <= 0 || destHeight <= 0)
    return true;  // nothing shared
  const Job job{picture, dest, destWidth, std::min(picture.width, destWidth),
                std::min(picture.height, destHeight)};
  // Rows are converted with all the rows their colours are filtered from.
  const bool exact = bandsAreExact(picture.format);
  const int rows = exact ? job.rows : picture.height;
  if (!exact) bands = 1;
  bands = std::clamp(std::min(bands, rows / kRowsPerBand), 1, kMaxBands);
  const int perBand = (rows / bands + kBandAlign - 1) / kBandAlign * kBandAlign;
  std::vector<Band> parts;
  for (int first = 0; first < rows; first += perBand)
    parts.push_back({first, std::min(perBand, rows - first)});
  std::vector<std::thread> threads;
  std::vector<char> done(parts.size(), 0);
  for (size_t i = 1; i < parts.size(); ++i) {
    try {
      threads.emplace_back([&, i] { done[i] = convertBand(job, parts[i]); });
    } catch (const std::system_error&) {
      done[i] = convertBand(job, parts[i]);  // no thread to spare: here
    }
  }
  done[0] = convertBand(job, parts[0]);
  for (std::thread& t : threads) t.join();
  return std::all_of(done.begin(), done.end(), [](char ok) { return ok != 0; });
}

}  // namespace

bool convertPictureToImage(const AVFrame& picture, uint32_t* dest, int destWidth, int destHeight) {
  const int processors = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  return convert(picture, dest, destWidth, destHeight, processors);
}

bool convertPictureToImageInOnePiece(const AVFrame& picture, uint32_t* dest, int destWidth,
                                     int destHeight) {
  return convert(picture, dest, destWidth, destHeight, 1);
}

}  // namespace movie
