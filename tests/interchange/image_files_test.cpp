// Image files through image windows: loading drawn into the current image, saving in
// every type and reading it back, the save dialog's types and names, and files that
// are damaged, hostile or cannot be written.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/services.h"
#include "core/library.h"
#include "imagewin/imagewin.h"
#include "interchange/file_dialogs.h"
#include "interchange/interchange.h"
#include "platform/dialogs.h"
#include "platform/imagefile.h"
#include "platform/test.h"

namespace {

namespace fs = std::filesystem;

uint32_t pattern(int x, int y) {
  return static_cast<uint32_t>((x * 37) << 16 | (y * 53) << 8 | (x ^ y) * 11) & 0xFFFFFF;
}

std::vector<uint8_t> readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
void writeAll(const fs::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A BMP file of `bits` bits with `colours` table entries (4 bytes each) and zero rows.
std::vector<uint8_t> bmpFile(int w, int h, int bits, int colours) {
  const size_t stride = (static_cast<size_t>(w) * bits + 31) / 32 * 4;
  const size_t rowsAt = 14 + 40 + 4 * static_cast<size_t>(colours);
  std::vector<uint8_t> f(rowsAt + stride * h, 0);
  f[0] = 'B', f[1] = 'M';
  put32(f, 2, static_cast<uint32_t>(f.size()));
  put32(f, 10, static_cast<uint32_t>(rowsAt));
  put32(f, 14, 40), put32(f, 18, static_cast<uint32_t>(w)), put32(f, 22, static_cast<uint32_t>(h));
  f[26] = 1, f[28] = static_cast<uint8_t>(bits);
  put32(f, 46, static_cast<uint32_t>(colours));
  return f;
}

}  // namespace

// A PNG whose header claims w x h (with a right checksum) and no pixel rows.
std::vector<uint8_t> pngClaiming(uint32_t w, uint32_t h) {
  std::vector<uint8_t> f = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                            0,    0,   0,   13,  'I',  'H',  'D',  'R'};
  for (uint32_t v : {w, h}) {
    for (int i = 3; i >= 0; --i) f.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  f.insert(f.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  uint32_t crc = 0xFFFFFFFF;
  for (size_t i = 12; i < f.size(); ++i) {
    crc ^= f[i];
    for (int k = 0; k < 8; ++k) crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  crc ^= 0xFFFFFFFF;
  for (int i = 3; i >= 0; --i) f.push_back(static_cast<uint8_t>(crc >> (8 * i)));
  // An empty zlib stream as image data: the decoder reads the header up to here, so the
  // claimed size is known before the missing rows are.
  const uint8_t data[] = {0,    0, 0, 8, 'I', 'D',  'A',  'T',  0x78, 0x9C, 0x03,
                          0x00, 0, 0, 0, 0,   0x01, 0x48, 0x06, 0x89, 0xD2};
  f.insert(f.end(), std::begin(data), std::end(data));
  const uint8_t end[] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
  f.insert(f.end(), std::begin(end), std::end(end));
  return f;
}

namespace {

class ImageFiles : public testing::Test {
 protected:
  void SetUp() override {
    resetLibrary();
    dir_ = fs::path(testing::TempDir()) / "direvo_image_files";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    ASSERT_TRUE(interchange::setStartDirectory(dir_.string()));  // both folders there
  }
  void TearDown() override {
    resetLibrary();
    fs::remove_all(dir_);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  static void open32(int n, int w, int h, uint32_t fill) {
    ASSERT_EQ(TAV_CreateImageFL(n, "files", 0, 0, w, h, 100), kCreateOk);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) ImageTable[n].surface->row32(y)[x] = fill;
    }
  }
  // An 8-bit image whose palette colours are all different and not grey.
  static void open8(int n, int w, int h) {
    ASSERT_EQ(TAV_CreateImage8FL(n, "files8", 0, 0, w, h, 100), kCreateOk);
    plat::Palette& pal = ImageTable[n].surface->palette();
    for (int i = 0; i < 256; ++i)
      pal[i] = {uint8_t(i), uint8_t(255 - i), uint8_t((i * 7) & 0xFF), 0};
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x)
        ImageTable[n].surface->row8(y)[x] = static_cast<uint8_t>(y * 16 + x * 3);
    }
  }
  static uint32_t px(int n, int x, int y) { return ImageTable[n].surface->row32(y)[x]; }

  fs::path dir_;
};

TEST_F(ImageFiles, LoadDrawsAtPixelSizeClippedAndKeepsTheRest) {
  auto file = plat::Surface::create(100, 50, 32);
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 100; ++x) file->row32(y)[x] = pattern(x, y);
  }
  ASSERT_EQ(plat::saveImageFile(*file, path("wide.png")), plat::ImageFileError::None);
  open32(0, 64, 64, 0x111111);
  ASSERT_EQ(TAV_LoadImageFile(path("wide.png").c_str(), 0, 0), 0);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      ASSERT_EQ(px(0, x, y), y < 50 ? pattern(x, y) : 0x111111u) << x << "," << y;
    }
  }
  open32(1, 64, 64, 0x222222);
  ASSERT_EQ(TAV_LoadImageFile(path("wide.png").c_str(), -10, -10), 0);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      ASSERT_EQ(px(1, x, y), y < 40 ? pattern(x + 10, y + 10) : 0x222222u) << x << "," << y;
    }
  }
}

TEST_F(ImageFiles, AnIndexedFileSetsOnlyItsOwnPaletteEntries) {
  std::vector<uint8_t> f = bmpFile(4, 2, 4, 16);
  for (int i = 0; i < 16; ++i) {
    f[54 + 4 * i] = static_cast<uint8_t>(200 + i), f[55 + 4 * i] = 3,
               f[56 + 4 * i] = static_cast<uint8_t>(i * 9);
  }
  const size_t rows = 54 + 64;
  f[rows] = 0x01, f[rows + 1] = 0x23;      // bottom row: 0 1 2 3
  f[rows + 4] = 0xFE, f[rows + 5] = 0xDC;  // top row: 15 14 13 12
  writeAll(path("sixteen.bmp"), f);

  open8(0, 6, 3);
  const plat::Palette before = ImageTable[0].surface->palette();
  ASSERT_EQ(TAV_LoadImageFile(path("sixteen.bmp").c_str(), 1, 0), 0);
  const plat::Palette& after = ImageTable[0].surface->palette();
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(after[i], (plat::PaletteEntry{uint8_t(200 + i), 3, uint8_t(i * 9), 0})) << i;
  }
  for (int i = 16; i < 256; ++i) EXPECT_EQ(after[i], before[i]) << i;
  const uint8_t* top = ImageTable[0].surface->row8(0);
  const uint8_t* bottom = ImageTable[0].surface->row8(1);
  EXPECT_EQ(std::vector<int>(top, top + 6), (std::vector<int>{0, 15, 14, 13, 12, 15}));
  EXPECT_EQ(std::vector<int>(bottom, bottom + 6), (std::vector<int>{16, 0, 1, 2, 3, 31}));

  // Into a 32-bit image the same file draws its colours; nothing else changes.
  open32(1, 4, 2, 0);
  ASSERT_EQ(TAV_LoadImageFile(path("sixteen.bmp").c_str(), 0, 0), 0);
  EXPECT_EQ(px(1, 0, 0), 15u * 9 << 16 | 3 << 8 | 215);
}

TEST_F(ImageFiles, EverySaveTypeReadsBack) {
  const char* magic[] = {"BM", "\xFF\xD8", "GIF8", "\x89PNG", nullptr};
  for (int type = 0; type < kSaveTypeCount; ++type) {
    SCOPED_TRACE(type);
    imagewin::resetImageWindows();
    open32(0, 9, 7, 0);
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 9; ++x) {
        // Smooth for JPEG; at most 63 colours, so GIF keeps them all.
        ImageTable[0].surface->row32(y)[x] =
            type == 1 ? 0x102030u + 0x080404u * x + 0x040804u * y : pattern(x, y);
      }
    }
    TAV_SelectImage(0);
    const std::string base = path("round" + std::to_string(type));
    ASSERT_EQ(TAV_SaveImageFile(7, 9, type, base.c_str()), 0);
    const std::string file = base + interchange::kSaveTypes[type].extension;
    const std::vector<uint8_t> bytes = readAll(file);
    ASSERT_GT(bytes.size(), 8u);
    if (magic[type])
      EXPECT_EQ(std::memcmp(bytes.data(), magic[type], std::strlen(magic[type])), 0);
    else
      EXPECT_TRUE(bytes[0] == 'I' || bytes[0] == 'M');

    open32(1, 9, 7, 0xFFFFFF);
    ASSERT_EQ(TAV_LoadImageFile(file.c_str(), 0, 0), 0);
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 9; ++x) {
        const uint32_t a = px(0, x, y), b = px(1, x, y);
        if (type != 1) {
          ASSERT_EQ(b, a) << x << "," << y;
          continue;
        }
        for (int shift : {0, 8, 16}) {
          EXPECT_NEAR(int(a >> shift & 0xFF), int(b >> shift & 0xFF), 6) << x << "," << y;
        }
      }
    }

    // 8-bit: the same indices and palette come back (JPEG keeps no palette).
    if (type == 1) continue;
    open8(2, 5, 3);
    TAV_SelectImage(2);
    ASSERT_EQ(TAV_SaveImageFile(3, 5, type, (base + "_8").c_str()), 0);
    ASSERT_EQ(TAV_CreateImage8FL(3, "back", 0, 0, 5, 3, 100), kCreateOk);
    ASSERT_EQ(
        TAV_LoadImageFile((base + "_8" + interchange::kSaveTypes[type].extension).c_str(), 0, 0),
        0);
    EXPECT_EQ(ImageTable[3].surface->palette(), ImageTable[2].surface->palette());
    for (int y = 0; y < 3; ++y) {
      EXPECT_EQ(std::memcmp(ImageTable[3].surface->row8(y), ImageTable[2].surface->row8(y), 5), 0)
          << y;
    }
  }
}

// The horizontal and vertical sampling factors of each component in a JPEG's frame
// header, 0x11 for full resolution; empty when there is no frame header.
std::vector<int> jpegSampling(const std::vector<uint8_t>& f) {
  for (size_t at = 2; at + 9 < f.size() && f[at] == 0xFF;) {
    const int marker = f[at + 1];
    const size_t length = static_cast<size_t>(f[at + 2]) << 8 | f[at + 3];
    if (marker >= 0xC0 && marker <= 0xC2) {
      std::vector<int> factors;
      for (int c = 0; c < f[at + 9] && at + 11 + 3 * c < f.size(); ++c) {
        factors.push_back(f[at + 11 + 3 * c]);
      }
      return factors;
    }
    at += 2 + length;
  }
  return {};
}

double psnr(const plat::Surface& a, const plat::Surface& b) {
  double squares = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      for (int shift : {0, 8, 16}) {
        const int d = int(a.row32(y)[x] >> shift & 0xFF) - int(b.row32(y)[x] >> shift & 0xFF);
        squares += d * d;
      }
    }
  }
  const double mean = squares / (3.0 * a.width() * a.height());
  return 10 * std::log10(255.0 * 255.0 / mean);
}

// A composed picture puts unrelated views side by side, one per sub-pixel; JPEG's usual
// half-resolution chroma would blend them. Both ways of writing JPEG (Save as, and the
// staged files direvo-compose writes) keep full chroma.
TEST_F(ImageFiles, JpegKeepsEverySubpixelApart) {
  open32(0, 64, 48, 0);
  uint32_t seed = 12345;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x)
      ImageTable[0].surface->row32(y)[x] = (seed = seed * 1103515245 + 12345) >> 8;
  }
  TAV_SelectImage(0);
  ASSERT_EQ(TAV_SaveImageFile(48, 64, 1, path("saved").c_str()), 0);
  ASSERT_EQ(plat::saveImageFile(*ImageTable[0].surface, path("staged.jpg")),
            plat::ImageFileError::None);
  for (const char* name : {"saved.jpg", "staged.jpg"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(jpegSampling(readAll(path(name))), (std::vector<int>{0x11, 0x11, 0x11}));
    const plat::LoadedImage back = plat::loadImageFile(path(name));
    ASSERT_TRUE(back.object);
    EXPECT_GT(psnr(*ImageTable[0].surface, *back.object), 45.0);
  }
}

TEST_F(ImageFiles, EightBitRowsAreSavedWithoutShear) {
  open8(0, 3, 4);
  for (const char* ext : {"bmp", "png", "tif"}) {
    const int type = std::string(ext) == "bmp" ? 0 : std::string(ext) == "png" ? 3 : 4;
    ASSERT_EQ(TAV_SaveImageFile(4, 3, type, path(std::string("narrow.") + ext).c_str()), 0) << ext;
    plat::LoadedImage back = plat::loadImageFile(path(std::string("narrow.") + ext));
    ASSERT_TRUE(back.object) << ext;
    ASSERT_EQ(back.object->bits(), 8) << ext;
    for (int y = 0; y < 4; ++y) {
      EXPECT_EQ(std::memcmp(back.object->row8(y), ImageTable[0].surface->row8(y), 3), 0)
          << ext << " row " << y;
    }
  }
}

TEST_F(ImageFiles, SaveAsMapsTheDialogTypeAndAddsTheExtensionOnce) {
  open32(0, 4, 4, 0x123456);
  plat::test::answerNextFileDialog(path("noext"), 1);  // "All Files (*.*)"
  ASSERT_EQ(interchange::SaveImageAs(), 0);
  EXPECT_FALSE(fs::exists(path("noext")));
  ASSERT_TRUE(fs::exists(path("noext.bmp")));
  EXPECT_EQ(readAll(path("noext.bmp"))[0], 'B');

  JpegQuality = 40;
  plat::test::answerNextFileDialog(path("Photo.JPG"), 3);
  ASSERT_EQ(interchange::SaveImageAs(), 0);
  EXPECT_EQ(JpegQuality, 40);  // 100 for that save only
  EXPECT_FALSE(fs::exists(path("Photo.JPG.jpg")));
  ASSERT_TRUE(fs::exists(path("Photo.JPG")));
  EXPECT_EQ(readAll(path("Photo.JPG"))[0], 0xFF);

  plat::test::answerNextFileDialog(path("p.jpeg"), 3);
  ASSERT_EQ(interchange::SaveImageAs(), 0);
  EXPECT_TRUE(fs::exists(path("p.jpeg.jpg")));

  plat::test::answerNextFileDialog("", 5);
  EXPECT_EQ(interchange::SaveImageAs(), 1);

  EXPECT_EQ(interchange::SaveTypeOfFilter(2), 0);
  EXPECT_EQ(interchange::SaveTypeOfFilter(4), 2);
  EXPECT_EQ(interchange::SaveTypeOfFilter(6), 4);
  EXPECT_EQ(interchange::SaveTypeOfFilter(0), -1);
  EXPECT_EQ(interchange::SaveTypeOfFilter(7), -1);
  EXPECT_EQ(interchange::AddExtension("a.Bmp", ".bmp"), "a.Bmp");
  EXPECT_EQ(interchange::AddExtension("bmp", ".bmp"), "bmp.bmp");
  EXPECT_EQ(interchange::AddExtension(".gif", ".gif"), ".gif");
  EXPECT_EQ(interchange::AddExtension("x.tiff", ".tif"), "x.tiff.tif");
}

TEST_F(ImageFiles, ResultCodesOfBadCalls) {
  EXPECT_EQ(TAV_LoadImageFile(path("any.png").c_str(), 0, 0), 2);
  EXPECT_EQ(TAV_SaveImageFile(4, 4, 3, path("none").c_str()), 3);
  open32(0, 4, 4, 0);
  EXPECT_EQ(TAV_SaveImageFile(0, 4, 3, path("none").c_str()), 2);
  EXPECT_EQ(TAV_SaveImageFile(4, 0, 3, path("none").c_str()), 2);
  EXPECT_EQ(TAV_SaveImageFile(4, 4, 5, path("none").c_str()), 1);
  EXPECT_EQ(TAV_SaveImageFile(4, 4, -1, path("none").c_str()), 1);
  EXPECT_EQ(TAV_SaveImageFile(4, 4, 3, nullptr), 1);
  EXPECT_EQ(TAV_SaveImageFile(100000, 100000, 3, path("huge").c_str()), 1);
  EXPECT_EQ(TAV_SaveImageFile(4, 4, 3, (dir_.string() + "/" + std::string(260, 'n')).c_str()), 1);
  EXPECT_TRUE(fs::is_empty(dir_));
  // A block larger than the image saves the pixels outside it as 0.
  ASSERT_EQ(TAV_SaveImageFile(6, 5, 3, path("bigger").c_str()), 0);
  plat::LoadedImage back = plat::loadImageFile(path("bigger.png"));
  ASSERT_TRUE(back.object);
  EXPECT_EQ(back.object->width(), 5);
  EXPECT_EQ(back.object->height(), 6);
}

TEST_F(ImageFiles, HostileFilesGiveOneAndChangeNothing) {
  open8(0, 8, 8);
  const plat::Surface& s = *ImageTable[0].surface;
  const std::vector<uint8_t> pixels(s.data(), s.data() + s.byteSize());
  const plat::Palette palette = s.palette();

  writeAll(path("huge.bmp"), bmpFile(1, 1, 24, 0));
  std::vector<uint8_t> huge = readAll(path("huge.bmp"));
  put32(huge, 18, 100000), put32(huge, 22, 100000);
  writeAll(path("huge.bmp"), huge);
  // GIF: a 65535 x 65535 screen and image with a tiny body.
  const std::vector<uint8_t> gif = {
      'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 0,    0,    0, 255, 255,
      255, ',', 0,   0,   0,   0,   0xFF, 0xFF, 0xFF, 0xFF, 0,    2, 2, 0x44, 0x01, 0, ';'};
  writeAll(path("huge.gif"), gif);
  writeAll(path("huge.png"), pngClaiming(100000, 100000));
  auto picture = plat::Surface::create(40, 40, 32);
  ASSERT_EQ(plat::saveImageFile(*picture, path("whole.png")), plat::ImageFileError::None);
  std::vector<uint8_t> png = readAll(path("whole.png"));
  png.resize(png.size() / 2);
  writeAll(path("half.png"), png);
  writeAll(path("empty.png"), {});
  writeAll(path("text.png"), {'h', 'e', 'l', 'l', 'o', '\n'});
  fs::create_directories(path("folder.png"));

  for (const char* name : {"huge.bmp", "huge.gif", "huge.png", "half.png", "empty.png", "text.png",
                           "folder.png", "missing.png"}) {
    EXPECT_EQ(TAV_LoadImageFile(path(name).c_str(), 0, 0), 1) << name;
  }
  EXPECT_EQ(TAV_LoadImageFile(nullptr, 0, 0), 1);
  EXPECT_EQ(TAV_LoadImageFile(std::string(300, 'x').c_str(), 0, 0), 1);
  EXPECT_EQ(std::vector<uint8_t>(s.data(), s.data() + s.byteSize()), pixels);
  EXPECT_EQ(s.palette(), palette);
  // Within what the decoder itself accepts, but above our limit: refused by its size.
  writeAll(path("large.png"), pngClaiming(16385, 16384));
  EXPECT_EQ(plat::loadImageFile(path("large.png")).reason, plat::ImageFileError::TooLarge);
}

// Pictures are read up to the limits a save has: 2^28 pixels, 65535 a side.
TEST_F(ImageFiles, PicturesAreReadUpToTheLimitsOfSaving) {
  struct Claim {
    uint32_t width, height;
  };
  for (const Claim c : {Claim{65536, 1}, Claim{1, 65536}, Claim{70000, 70000}}) {
    writeAll(path("claim.png"), pngClaiming(c.width, c.height));
    EXPECT_EQ(plat::loadImageFile(path("claim.png")).reason, plat::ImageFileError::TooLarge)
        << c.width << " x " << c.height;
  }
  // Over the 64 Mi pixels that were once the most, and loaded into a window of its size
  // (an indexed BMP file: quick to write and to read).
  constexpr int kWide = 8200;
  auto big = plat::Surface::create(kWide, kWide, 8);
  ASSERT_TRUE(big);
  std::memset(big->data(), 7, big->byteSize());
  big->row8(kWide - 1)[kWide - 1] = 9;
  big->palette()[7] = {0x5A, 0x5B, 0x5C, 0};
  big->palette()[9] = {0x56, 0x34, 0x12, 0};
  ASSERT_EQ(plat::saveImageFile(*big, path("big.bmp")), plat::ImageFileError::None);
  big.reset();
  ASSERT_EQ(TAV_CreateImageFL(0, "big", 0, 0, kWide, kWide, 1), kCreateOk);
  EXPECT_EQ(TAV_LoadImageFile(path("big.bmp").c_str(), 0, 0), 0);
  EXPECT_EQ(px(0, 0, 0), 0x5C5B5Au);
  EXPECT_EQ(px(0, kWide - 1, kWide - 1), 0x123456u);
}

// Pictures stored with 16 bits a channel (depth maps often are) bring their levels at
// 16 bits beside the 32-bit surface: exact for grey, the luma for colour; 8-bit
// pictures bring none. The files are made by ffmpeg from raw big-endian samples.
TEST_F(ImageFiles, SixteenBitPicturesBringTheirFineLevels) {
  if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg";
  const std::vector<uint16_t> grey = {0, 1, 257, 1000, 32768, 65534, 65535, 12345};
  const std::vector<uint16_t> rgb = {65535, 0, 0, 0, 65535, 0, 0, 0, 65535, 1000, 2000, 3000};
  const struct {
    const char* pixFmt;
    int width;
    const std::vector<uint16_t>& samples;
    std::vector<uint16_t> levels;
  } cases[] = {
      {"gray16be", 4, grey, grey},
      {"rgb48be", 2, rgb, {19595, 38469, 7471, 1815}},
      {"gray", 4, grey, {}},  // 8 bits: no fine levels
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pixFmt);
    const bool eightBit = std::string(c.pixFmt) == "gray";
    {
      std::ofstream raw(path("in.raw"), std::ios::binary);
      for (const uint16_t v : c.samples) {
        raw.put(static_cast<char>(v >> 8));
        if (!eightBit) raw.put(static_cast<char>(v & 0xFF));
      }
    }
    const std::string command = "ffmpeg -v error -y -f rawvideo -pix_fmt " + std::string(c.pixFmt) +
                                " -s " + std::to_string(c.width) + "x2 -i " + path("in.raw") + " " +
                                path("out.png");
    ASSERT_EQ(std::system(command.c_str()), 0);
    const plat::LoadedImage loaded = plat::loadImageFile(path("out.png"));
    ASSERT_TRUE(loaded.object);
    EXPECT_EQ(loaded.object->bits(), 32);
    EXPECT_EQ(loaded.levels16, c.levels);
  }
}

// The loads and saves a user asks for say why they failed, in one status line; the
// results stay those of TAV_LoadImageFile and TAV_SaveImageFile.
TEST_F(ImageFiles, FailuresAreToldInTheStatusLine) {
  static std::vector<std::string> told;
  told.clear();
  LibraryServices services = libraryServices();
  services.statusLine = [](const char* text) { told.emplace_back(text); };
  installLibraryServices(services);

  open32(0, 8, 8, 0x445566);
  writeAll(path("empty.png"), {});
  writeAll(path("text.bmp"), {'h', 'e', 'l', 'l', 'o', '\n'});
  writeAll(path("huge.png"), pngClaiming(100000, 100000));
  auto picture = plat::Surface::create(40, 40, 32);
  ASSERT_EQ(plat::saveImageFile(*picture, path("whole.png")), plat::ImageFileError::None);
  std::vector<uint8_t> png = readAll(path("whole.png"));
  png.resize(png.size() / 2);
  writeAll(path("half.png"), png);
  struct Case {
    std::string name;
    const char* line;
  };
  const Case cases[] = {
      {"empty.png", "Load empty.png: not a readable image"},
      {"text.bmp", "Load text.bmp: not a readable image"},
      {"half.png", "Load half.png: not a readable image"},
      {"huge.png", "Load huge.png: picture too large"},
      {"missing.png", "Load missing.png: cannot open the file"},
      // A long name keeps its start and its extension.
      {"a_rather_long_name_for_a_picture.png", "Load a_rath...ure.png: cannot open the file"},
      {std::string(300, 'n'), "Load nnnnnn...nnnnnnn: name too long"},
  };
  for (const Case& c : cases) {
    told.clear();
    EXPECT_EQ(interchange::LoadImageFileTelling(path(c.name).c_str(), 0, 0), 1) << c.name;
    EXPECT_EQ(told, std::vector<std::string>{c.line}) << c.name;
  }
  EXPECT_EQ(px(0, 3, 3), 0x445566u);
  // A picture that loads says nothing.
  told.clear();
  EXPECT_EQ(interchange::LoadImageFileTelling(path("whole.png").c_str(), 0, 0), 0);
  EXPECT_TRUE(told.empty());

  // Save as into a folder nobody can write into, the superuser neither: the name that
  // was to be written, and why.
  told.clear();
  plat::test::answerNextFileDialog("/proc/shot", 5);
  EXPECT_EQ(interchange::SaveImageAs(), 1);
  EXPECT_EQ(told, std::vector<std::string>{"Save shot.png: cannot write the file"});
  told.clear();
  plat::test::answerNextFileDialog(path("shot"), 5);
  EXPECT_EQ(interchange::SaveImageAs(), 0);
  EXPECT_TRUE(told.empty());
}

// Save as asks before it replaces a file, about the name it writes: the typed name with
// the extension of the chosen type. No writes nothing.
TEST_F(ImageFiles, SaveAsAsksAboutTheNameItWrites) {
  open32(0, 4, 4, 0x123456);
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  struct Case {
    const char* typed;
    int filter;
    std::vector<const char*> existing;
    bool replace;
    const char* asked;    // the file asked about, or null when no question comes
    const char* written;  // the file that holds the picture afterwards, or null
  };
  const Case cases[] = {
      {"ow", 5, {"ow.png"}, false, "ow.png", nullptr},
      {"ow", 5, {"ow.png"}, true, "ow.png", "ow.png"},
      {"ow", 1, {"ow", "ow.bmp"}, false, "ow.bmp", nullptr},
      // The typed name itself is not written, so it is not asked about.
      {"ow", 5, {"ow"}, false, nullptr, "ow.png"},
      {"p.jpeg", 3, {"p.jpeg"}, false, nullptr, "p.jpeg.jpg"},
      {"Shot.PNG", 5, {"Shot.PNG"}, false, "Shot.PNG", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + " with filter " + std::to_string(c.filter));
    for (const auto& e : fs::directory_iterator(dir_)) fs::remove_all(e.path());
    for (const char* e : c.existing) writeAll(path(e), old);
    plat::test::clearMessageBoxes();
    plat::test::answerNextFileDialog(path(c.typed), c.filter, c.replace);
    EXPECT_EQ(interchange::SaveImageAs(), c.written ? 0 : 1);
    const std::vector<plat::test::ShownMessageBox> boxes = plat::test::messageBoxes();
    if (c.asked) {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].text,
                std::string(c.asked) + " already exists.\nDo you want to replace it?");
      EXPECT_EQ(boxes[0].title, "Save as");
      EXPECT_EQ(boxes[0].flags, plat::kMbYesNo);
    } else {
      EXPECT_TRUE(boxes.empty());
    }
    for (const char* e : c.existing) {
      if (!c.written || std::string(e) != c.written) {
        EXPECT_EQ(readAll(path(e)), old) << e;
      }
    }
    if (c.written) {
      EXPECT_TRUE(plat::loadImageFile(path(c.written)).object) << c.written;
    }
  }
}

TEST_F(ImageFiles, AFailedSaveLeavesTheOldFileAsItWas) {
  open32(0, 300, 300, 0x445566);
  // Into a folder that cannot exist: a path through a plain file.
  writeAll(path("plain"), {'x'});
  EXPECT_EQ(TAV_SaveImageFile(300, 300, 0, path("plain/inside").c_str()), 1);

  // A write that fails half-way (a file size limit that a 270 kB picture exceeds) must
  // not replace the old file, and must leave nothing beside it.
  writeAll(path("keep.bmp"), {'o', 'l', 'd'});
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit low = old;
  low.rlim_cur = 64 * 1024;
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
  const int result = TAV_SaveImageFile(300, 300, 0, path("keep.bmp").c_str());
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(readAll(path("keep.bmp")), (std::vector<uint8_t>{'o', 'l', 'd'}));
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 2);  // plain and keep.bmp

  // Permissions stop every user but the superuser.
  fs::create_directories(path("locked"));
  writeAll(path("locked/old.png"), {'o'});
  fs::permissions(path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
  const bool writable = std::ofstream(path("locked/probe")).good();
  if (!writable) {
    EXPECT_EQ(TAV_SaveImageFile(300, 300, 3, path("locked/old.png").c_str()), 1);
    EXPECT_EQ(readAll(path("locked/old.png")), std::vector<uint8_t>{'o'});
  }
  fs::permissions(path("locked"), fs::perms::owner_all);
  // And with the limit gone the same save works.
  EXPECT_EQ(TAV_SaveImageFile(300, 300, 0, path("keep.bmp").c_str()), 0);
  EXPECT_EQ(readAll(path("keep.bmp")).size(), 54u + 900 * 300);
}

}  // namespace
