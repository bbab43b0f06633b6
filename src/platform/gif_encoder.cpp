#include "platform/gif_encoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <new>
#include <unordered_map>

namespace plat {

namespace {

int appendBytes(GifFileType* gif, const GifByteType* bytes, int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), bytes, bytes + length);
  return length;
}

// The picture as colour indices (width bytes per row) with its colour map.
struct IndexedPicture {
  std::vector<GifByteType> indices;
  std::vector<GifColorType> colours;
};

bool fromPalette(const Surface& s, IndexedPicture& p) {
  const size_t w = static_cast<size_t>(s.width());
  p.indices.resize(w * static_cast<size_t>(s.height()));
  for (int y = 0; y < s.height(); ++y) std::copy_n(s.row8(y), w, p.indices.data() + w * y);
  p.colours.resize(256);
  for (int i = 0; i < 256; ++i) {
    const PaletteEntry& e = s.palette()[i];
    p.colours[i] = {e.red, e.green, e.blue};
  }
  return true;
}

// Exact colours when there are at most 256 of them.
bool fromFewColours(const Surface& s, IndexedPicture& p) {
  std::unordered_map<uint32_t, uint8_t> index;
  const size_t w = static_cast<size_t>(s.width());
  p.indices.resize(w * static_cast<size_t>(s.height()));
  for (int y = 0; y < s.height(); ++y) {
    const uint32_t* row = s.row32(y);
    for (size_t x = 0; x < w; ++x) {
      const uint32_t c = row[x] & 0xFFFFFFu;
      auto [it, added] = index.try_emplace(c, static_cast<uint8_t>(index.size()));
      if (added) {
        if (index.size() > 256) return false;
        p.colours.push_back({static_cast<GifByteType>(c >> 16), static_cast<GifByteType>(c >> 8),
                             static_cast<GifByteType>(c)});
      }
      p.indices[w * y + x] = it->second;
    }
  }
  return true;
}

bool fromManyColours(const Surface& s, IndexedPicture& p) {
  const size_t count = static_cast<size_t>(s.width()) * static_cast<size_t>(s.height());
  std::vector<GifByteType> red(count), green(count), blue(count);
  for (int y = 0; y < s.height(); ++y) {
    const uint32_t* row = s.row32(y);
    for (int x = 0; x < s.width(); ++x) {
      const size_t i = static_cast<size_t>(y) * s.width() + x;
      red[i] = static_cast<GifByteType>(row[x] >> 16);
      green[i] = static_cast<GifByteType>(row[x] >> 8);
      blue[i] = static_cast<GifByteType>(row[x]);
    }
  }
  int size = 256;
  p.colours.resize(256);
  p.indices.resize(count);
  if (GifQuantizeBuffer(static_cast<unsigned>(s.width()), static_cast<unsigned>(s.height()), &size,
                        red.data(), green.data(), blue.data(), p.indices.data(),
                        p.colours.data()) != GIF_OK) {
    return false;
  }
  return true;
}

// GIF colour maps hold a power of two entries, at least 2.
int mapSizeFor(size_t colours) {
  int size = 2;
  while (static_cast<size_t>(size) < colours) size *= 2;
  return size;
}

bool encode(const Surface& s, std::vector<uint8_t>& out) {
  if (s.width() > 0xFFFF || s.height() > 0xFFFF) return false;  // the format's limit
  IndexedPicture p;
  if (s.bits() == 8) {
    fromPalette(s, p);
  } else if (!fromFewColours(s, p)) {
    p = {};
    if (!fromManyColours(s, p)) return false;
  }
  p.colours.resize(static_cast<size_t>(mapSizeFor(p.colours.size())));
  out.clear();
  int error = 0;
  GifFileType* gif = EGifOpen(&out, appendBytes, &error);
  if (!gif) return false;
  ColorMapObject* map = GifMakeMapObject(static_cast<int>(p.colours.size()), p.colours.data());
  bool ok = map &&
            EGifPutScreenDesc(gif, s.width(), s.height(), map->BitsPerPixel, 0, map) == GIF_OK &&
            EGifPutImageDesc(gif, 0, 0, s.width(), s.height(), false, nullptr) == GIF_OK;
  for (int y = 0; ok && y < s.height(); ++y) {
    ok = EGifPutLine(gif, p.indices.data() + static_cast<size_t>(y) * s.width(), s.width()) ==
         GIF_OK;
  }
  GifFreeMapObject(map);
  if (EGifCloseFile(gif, &error) != GIF_OK) ok = false;
  return ok;
}

}  // namespace

bool encodeGif(const Surface& s, std::vector<uint8_t>& out) {
  if (s.bits() != 8 && s.bits() != 32) return false;
  try {
    return encode(s, out);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace plat
