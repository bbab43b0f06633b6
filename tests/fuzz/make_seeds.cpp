// Writes the fuzzers' starting inputs: small clipboard blocks of every header and
// depth the reader takes, small image files of every type we save, and panel profiles.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "interchange/dib_block.h"
#include "platform/image_encoders.h"
#include "platform/surface.h"

namespace fs = std::filesystem;

namespace {

void write(const fs::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void writeText(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

void put(std::vector<uint8_t>& b, size_t at, uint32_t v, int bytes) {
  if (b.size() < at + bytes) b.resize(at + bytes);
  for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A header of the given size with the common fields, then `extra` bytes of table and rows.
std::vector<uint8_t> header(uint32_t size, int32_t w, int32_t h, int bits, uint32_t compression,
                            uint32_t used, size_t extra) {
  std::vector<uint8_t> b(size + extra, 0);
  put(b, 0, size, 4);
  if (size == 12) {
    put(b, 4, static_cast<uint32_t>(w), 2), put(b, 6, static_cast<uint32_t>(h), 2);
    put(b, 8, 1, 2), put(b, 10, static_cast<uint32_t>(bits), 2);
    return b;
  }
  put(b, 4, static_cast<uint32_t>(w), 4), put(b, 8, static_cast<uint32_t>(h), 4);
  put(b, 12, 1, 2), put(b, 14, static_cast<uint32_t>(bits), 2);
  put(b, 16, compression, 4), put(b, 32, used, 4);
  return b;
}

std::unique_ptr<plat::Surface> picture(int w, int h, int bits) {
  auto s = plat::Surface::create(w, h, bits);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (bits == 32)
        s->row32(y)[x] = static_cast<uint32_t>(x * 40 << 16 | y * 50 << 8 | (x ^ y) * 30);
      else
        s->row8(y)[x] = static_cast<uint8_t>(x * 16 + y);
    }
  }
  if (bits == 8) s->palette() = plat::greyPalette();
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: make_seeds DIB_DIR FILE_DIR PANEL_DIR MPO_DIR\n");
    return 2;
  }
  const fs::path dib = argv[1], files = argv[2], panels = argv[3], mpo = argv[4];
  fs::create_directories(mpo);
  fs::create_directories(dib);
  fs::create_directories(files);
  fs::create_directories(panels);
  writeText(panels / "whole.toml",
            "# a panel\nwidth = 3840\nheight = 2160\npitch = 19.6\nslant = 0.3333\n"
            "offset = -1.5\nsubpixels = \"bgr\"\nviews = 8\nmethod = \"fine\"\n");
  writeText(panels / "some.toml", "views = 180\npitch = -5\nmethod = 'beta'\n");
  writeText(panels / "refused.toml", "panel.views = 3\nwidth = 1e3\nsubpixels = [\"rgb\"]\n");

  const auto rgb = picture(5, 3, 32);
  const auto indexed = picture(3, 4, 8);
  write(dib / "rgb24", interchange::writeDibBlock(*rgb));
  write(dib / "indexed8", interchange::writeDibBlock(*indexed));
  // Core header, 4 bits, 16 three-byte colours, 2 x 2.
  write(dib / "core4", header(12, 2, 2, 4, 0, 0, 16 * 3 + 2 * 4));
  // 1 bit, two colours used, top-down 9 x 2.
  write(dib / "mono_topdown", header(40, 9, -2, 1, 0, 2, 2 * 4 + 2 * 4));
  // 16 bits with 5-6-5 masks after a 40-byte header.
  auto b565 = header(40, 3, 2, 16, 3, 0, 12 + 2 * 8);
  put(b565, 40, 0xF800, 4), put(b565, 44, 0x07E0, 4), put(b565, 48, 0x001F, 4);
  write(dib / "bitfields565", b565);
  // 32 bits, masks inside 56-, 108- and 124-byte headers, top-down.
  for (uint32_t size : {52u, 56u, 108u, 124u}) {
    auto v = header(size, 2, -2, 32, 3, 0, 2 * 8);
    put(v, 40, 0xFF0000, 4), put(v, 44, 0xFF00, 4), put(v, 48, 0xFF, 4);
    write(dib / ("v" + std::to_string(size)), v);
  }

  int n = 0;
  for (const plat::ImageEncoder& e : plat::imageEncoders()) {
    const std::string type = std::string(e.mimeType).substr(6);
    for (const plat::Surface* s : {rgb.get(), indexed.get()}) {
      std::vector<uint8_t> bytes;
      if (!e.encode(*s, 90, bytes)) {
        std::fprintf(stderr, "cannot encode %s\n", e.mimeType);
        return 1;
      }
      write(files / (type + std::to_string(s->bits())), bytes);
      ++n;
      // MPO files: two pictures one after the other, and one alone.
      if (type == "jpeg" && s->bits() == 32) {
        std::vector<uint8_t> pair = bytes;
        pair.insert(pair.end(), bytes.begin(), bytes.end());
        write(mpo / "pair", pair);
        write(mpo / "one", bytes);
        n += 2;
      }
    }
  }
  std::printf("seeds: %d files\n", n);
  return 0;
}
