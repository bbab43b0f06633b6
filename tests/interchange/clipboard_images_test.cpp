// Pictures through the clipboard: the exact block a copy offers, copy and paste back,
// cut, blocks and pictures from other programs (valid, hostile and truncated), the
// refusal when the block cannot be had, and — on an X display — xclip as the other
// program.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/library.h"
#include "imagewin/imagewin.h"
#include "interchange/dib_block.h"
#include "interchange/interchange.h"
#include "pick_script.h"
#include "platform/clipboard_image.h"
#include "platform/image_encoders.h"
#include "platform/imagefile.h"
#include "platform/test.h"

namespace {

namespace fs = std::filesystem;

}  // namespace

std::vector<uint8_t> pngClaiming(uint32_t w, uint32_t h);  // in image_files_test.cpp

namespace {

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<uint8_t> pixelsOf(int n) {
  const plat::Surface& s = *ImageTable[n].surface;
  return {s.data(), s.data() + s.byteSize()};
}

class ClipboardImages : public testing::Test {
 protected:
  void SetUp() override {
    resetLibrary();
    plat::clearClipboard();
  }
  void TearDown() override { resetLibrary(); }
  static void open32(int n, int w, int h, uint32_t seed) {
    ASSERT_EQ(TAV_CreateImageFL(n, "clip", 0, 0, w, h, 100), kCreateOk);
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) ImageTable[n].surface->row32(y)[x] = random() & 0xFFFFFF;
    }
  }
  static void open8(int n, int w, int h, uint32_t seed) {
    ASSERT_EQ(TAV_CreateImage8FL(n, "clip8", 0, 0, w, h, 100), kCreateOk);
    plat::Palette& pal = ImageTable[n].surface->palette();
    for (int i = 0; i < 256; ++i)
      pal[i] = {uint8_t(i), uint8_t(seed + i * 3), uint8_t(i ^ 0x5A), 0};
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x)
        ImageTable[n].surface->row8(y)[x] = static_cast<uint8_t>(random());
    }
  }
  static uint32_t px(int n, int x, int y) { return ImageTable[n].surface->row32(y)[x]; }
  // Offers data of one type as another program would.
  static void offer(const std::string& type, std::vector<uint8_t> bytes) {
    plat::setClipboardFormats({{type, std::move(bytes)}});
  }
};

TEST_F(ClipboardImages, CopyOffersTheExactBlockAndPng) {
  open32(0, 5, 3, 1);
  TAV_CopyImageToClipboard(0);
  plat::ClipboardImage clip = plat::clipboardImage();
  ASSERT_EQ(clip.dibBlock.size(), 40u + 16 * 3);
  EXPECT_EQ(clip.dibBlock, interchange::writeDibBlock(*ImageTable[0].surface));
  plat::LoadedImage png = plat::loadImageBytes(clip.encoded.data(), clip.encoded.size());
  ASSERT_TRUE(png.object);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(std::memcmp(png.object->row32(y), ImageTable[0].surface->row32(y), 20), 0);
  }

  open8(1, 5, 3, 2);
  TAV_CopyImageToClipboard(1);
  clip = plat::clipboardImage();
  ASSERT_EQ(clip.dibBlock.size(), 1064u + 8 * 3);
  EXPECT_EQ(clip.dibBlock[14], 8);
  EXPECT_EQ(std::memcmp(clip.dibBlock.data() + 40, ImageTable[1].surface->palette().data(), 1024),
            0);
}

TEST_F(ClipboardImages, CopyThenPasteGivesBackThePicture) {
  open32(0, 13, 7, 3);
  const std::vector<uint8_t> original = pixelsOf(0);
  TAV_CopyImageToClipboard(0);
  interchange::CutImageToClipboard(0);  // the same picture again, and the image cleared
  EXPECT_EQ(pixelsOf(0), std::vector<uint8_t>(original.size(), 0));
  EXPECT_EQ(TAV_PasteImage(0, 0, 0), kPasteDone);
  EXPECT_EQ(pixelsOf(0), original);

  // 8-bit: the same indices, and the palette comes along into another image.
  open8(1, 7, 5, 4);
  open8(2, 7, 5, 99);
  TAV_CopyImageToClipboard(1);
  EXPECT_EQ(TAV_PasteImage(0, 2, 0), kPasteDone);
  EXPECT_EQ(ImageTable[2].surface->palette(), ImageTable[1].surface->palette());
  EXPECT_EQ(pixelsOf(2), pixelsOf(1));
  // Cut of an 8-bit image leaves every index 0.
  interchange::CutImageToClipboard(2);
  EXPECT_EQ(pixelsOf(2), std::vector<uint8_t>(pixelsOf(2).size(), 0));
}

TEST_F(ClipboardImages, PasteIsClippedAtTheImageEdges) {
  open32(0, 10, 10, 5);
  open32(1, 6, 6, 6);
  const std::vector<uint8_t> before = pixelsOf(1);
  TAV_CopyImageToClipboard(0);
  EXPECT_EQ(TAV_PasteImage(-4, 1, 3), kPasteDone);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) {
      const uint32_t old = reinterpret_cast<const uint32_t*>(before.data())[y * 6 + x];
      EXPECT_EQ(px(1, x, y), y >= 3 ? px(0, x + 4, y - 3) : old) << x << "," << y;
    }
  }
}

TEST_F(ClipboardImages, AFourBitPictureSetsSixteenPaletteEntries) {
  // 3 x 2, colours used 0: sixteen entries; rows bottom-up.
  std::vector<uint8_t> block(40 + 64 + 8, 0);
  put32(block, 0, 40), put32(block, 4, 3), put32(block, 8, 2);
  block[12] = 1, block[14] = 4;
  for (int i = 0; i < 16; ++i) block[40 + 4 * i] = static_cast<uint8_t>(100 + i);  // blue only
  block[104] = 0x12, block[105] = 0x30;                                            // bottom: 1 2 3
  block[108] = 0xFE, block[109] = 0xD0;                                            // top: 15 14 13
  open8(0, 4, 4, 7);
  const plat::Palette before = ImageTable[0].surface->palette();
  offer("image/bmp", block);  // a block without its file header is taken too
  ASSERT_EQ(TAV_PasteImage(1, 0, 1), kPasteDone);
  const plat::Palette& after = ImageTable[0].surface->palette();
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(after[i], (plat::PaletteEntry{uint8_t(100 + i), 0, 0, 0})) << i;
  for (int i = 16; i < 256; ++i) EXPECT_EQ(after[i], before[i]) << i;
  EXPECT_EQ(ImageTable[0].surface->row8(1)[1], 15);
  EXPECT_EQ(ImageTable[0].surface->row8(1)[3], 13);
  EXPECT_EQ(ImageTable[0].surface->row8(2)[2], 2);
}

TEST_F(ClipboardImages, HostileDataIsRefusedAndChangesNothing) {
  open8(0, 6, 6, 8);
  const std::vector<uint8_t> pixels = pixelsOf(0);
  const plat::Palette palette = ImageTable[0].surface->palette();
  auto unchanged = [&](const char* what) {
    EXPECT_EQ(pixelsOf(0), pixels) << what;
    EXPECT_EQ(ImageTable[0].surface->palette(), palette) << what;
  };
  auto good = [] {
    std::vector<uint8_t> b(14 + 40 + 8 * 4 + 8, 0);  // a file: 2 x 2, 8 bits, 8 colours
    b[0] = 'B', b[1] = 'M';
    put32(b, 14, 40), put32(b, 18, 2), put32(b, 22, 2);
    b[26] = 1, b[28] = 8;
    put32(b, 14 + 32, 8);
    return b;
  };
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
  };
  const Case cases[] = {
      {"257 colours", 14 + 32, 257},  {"colours beyond the block", 14 + 32, 200},
      {"huge width", 18, 0x7FFFFFFF}, {"huge height", 22, 0x80000001},
      {"header size 64", 14, 64},     {"32 planes", 26, 32},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> b = good();
    put32(b, c.at, c.value);
    offer("image/bmp", b);
    EXPECT_EQ(TAV_PasteImage(0, 0, 0), kPasteNoPicture) << c.what;
    unchanged(c.what);
  }
  std::vector<uint8_t> truncated = good();
  truncated.resize(truncated.size() - 3);
  offer("image/bmp", truncated);
  EXPECT_EQ(TAV_PasteImage(0, 0, 0), kPasteNoPicture);
  offer("image/bmp", {'B', 'M'});
  EXPECT_EQ(TAV_PasteImage(0, 0, 0), kPasteNoPicture);
  // A PNG cut short, one claiming 100000 x 100000, and data that is no picture.
  auto s = plat::Surface::create(50, 50, 32);
  std::vector<uint8_t> png;
  ASSERT_TRUE(plat::imageEncoders()[3].encode(*s, -1, png));
  std::vector<uint8_t> cut(png.begin(), png.begin() + png.size() / 2);
  offer("image/png", cut);
  EXPECT_EQ(TAV_PasteImage(0, 0, 0), kPasteNoPicture);
  offer("image/png", pngClaiming(100000, 100000));
  EXPECT_EQ(TAV_PasteImage(0, 0, 0), kPasteNoPicture);
  offer("text/plain", {'h', 'i'});
  EXPECT_EQ(TAV_PasteImage(0, 0, 0), kPasteNoPicture);
  unchanged("png and text");

  // The good block itself pastes.
  offer("image/bmp", good());
  EXPECT_EQ(TAV_PasteImage(0, 0, 0), kPasteDone);
  EXPECT_NE(pixelsOf(0), pixels);
}

TEST_F(ClipboardImages, ABlockThatCannotBeHadIsReportedAndLeavesTheClipboardEmpty) {
  open32(0, 5, 3, 9);
  TAV_CopyImageToClipboard(0);
  interchange::ClipboardBlockLimit = 40 + 16 * 3 - 1;
  TAV_CopyImageToClipboard(0);
  const auto boxes = plat::test::messageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "No enough memory for copy");
  EXPECT_EQ(boxes[0].title, "Pause");
  const plat::ClipboardImage clip = plat::clipboardImage();
  EXPECT_TRUE(clip.dibBlock.empty());
  EXPECT_TRUE(clip.encoded.empty());
  // Cut clears the image even then.
  interchange::CutImageToClipboard(0);
  EXPECT_EQ(pixelsOf(0), std::vector<uint8_t>(pixelsOf(0).size(), 0));
}

TEST_F(ClipboardImages, BadNumbersAndUnpickedPlacesDoNothing) {
  open32(0, 4, 4, 10);
  TAV_CopyImageToClipboard(0);
  const std::vector<uint8_t> block = plat::clipboardImage().dibBlock;
  for (int n : {-1, 256, 5}) {
    TAV_CopyImageToClipboard(n);
    EXPECT_EQ(TAV_PasteImage(0, n, 0), kPasteBadWindow) << n;
    interchange::CutImageToClipboard(n);
  }
  EXPECT_EQ(plat::clipboardImage().dibBlock, block);
  EXPECT_TRUE(plat::test::messageBoxes().empty());
}

TEST_F(ClipboardImages, APasteAtAPickedPlaceLandsWhereTheBoxWasShown) {
  using Script = testsupport::PickScript;
  Script::install();
  open32(0, 5, 4, 10);
  TAV_CopyImageToClipboard(0);
  open32(1, 120, 80, 11);
  const std::vector<uint8_t> before = pixelsOf(1);
  // Cancelled, by either argument: nothing lands and the picture is as it was.
  for (auto [x, y] : {std::pair{-1, 0}, std::pair{0, -1}}) {
    Script::move(30, 30, 1);
    Script::press(30, 30, Script::Button::Right, 1);
    EXPECT_EQ(TAV_PasteImage(x, 1, y), kPasteNoPlace);
    EXPECT_EQ(pixelsOf(1), before);
  }
  // Clicked at (50, 40): the 5 x 4 picture's top-left corner goes to (48, 38).
  Script::move(50, 40, 1);
  Script::press(50, 40, Script::Button::Left, 1);
  EXPECT_EQ(TAV_PasteImage(-1, 1, -1), kPasteDone);
  EXPECT_FALSE(Script::ranOut);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x) {
      const bool inside = x >= 48 && x < 53 && y >= 38 && y < 42;
      uint32_t old = 0;
      std::memcpy(&old, &before[static_cast<size_t>(y * 120 + x) * 4], 4);
      ASSERT_EQ(px(1, x, y), inside ? px(0, x - 48, y - 38) : old) << x << "," << y;
    }
}

TEST_F(ClipboardImages, PutPasteBitmapCopiesToTheCurrentImageAndDeletesIt) {
  open32(0, 8, 8, 12);
  TAV_CopyImageToClipboard(0);
  int count = -1;
  PasteBitmap = TAV_GetClipboardBitmap(nullptr, &count);
  ASSERT_TRUE(PasteBitmap);
  EXPECT_EQ(count, 0);
  open32(1, 8, 8, 13);
  TAV_SelectImage(1);
  EXPECT_EQ(TAV_PutPasteBitmap(), kPasteDone);
  EXPECT_FALSE(PasteBitmap);
  EXPECT_EQ(pixelsOf(1), pixelsOf(0));
  EXPECT_EQ(TAV_PutPasteBitmap(), kPasteNoPicture);

  PasteBitmap = plat::Surface::create(2, 2, 32);
  TAV_DestroyImage(1);
  EXPECT_EQ(TAV_PutPasteBitmap(), kPasteBadWindow);
  EXPECT_FALSE(PasteBitmap);
}

// ---- Against a real other program on an X display (the whole-program test runs this
// with QT_QPA_PLATFORM=xcb; headless runs skip it).

bool onX11() {
  const char* p = std::getenv("QT_QPA_PLATFORM");
  return p && std::string(p).starts_with("xcb") && std::getenv("DISPLAY");
}

std::string run(const std::string& command) {
  std::string out;
  if (FILE* f = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
    pclose(f);
  }
  return out;
}

class XclipPeer : public ClipboardImages {
 protected:
  void SetUp() override {
    if (!onX11()) GTEST_SKIP() << "needs an X display (QT_QPA_PLATFORM=xcb)";
    ClipboardImages::SetUp();
    const char* out = std::getenv("DIREVO_CLIPBOARD_OUT");
    keepPictures_ = out && *out;  // asked for, to be looked at; otherwise removed
    dir_ = keepPictures_ ? fs::path(out) : fs::path(testing::TempDir()) / "direvo_xclip";
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (xclip_ > 0) kill(xclip_, SIGTERM);
    if (!keepPictures_) fs::remove_all(dir_);
    ClipboardImages::TearDown();
  }
  bool keepPictures_ = false;
  // Starts xclip putting a file on the clipboard; waits until a picture of the size
  // is to be had.
  void xclipPuts(const std::string& type, const fs::path& file, int w, int h) {
    xclip_ = std::atoi(run("xclip -quiet -selection clipboard -t " + type + " -i '" +
                           file.string() + "' >/dev/null 2>&1 & echo $!")
                           .c_str());
    ASSERT_GT(xclip_, 0);
    for (int i = 0; i < 100; ++i) {
      int count = 0;
      auto s = TAV_GetClipboardBitmap(nullptr, &count);
      if (s && s->width() == w && s->height() == h) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    FAIL() << "xclip's picture never arrived";
  }
  fs::path dir_;
  pid_t xclip_ = 0;
};

TEST_F(XclipPeer, ReadsTheCopiedPictureAsPngAndBmp) {
  open32(0, 40, 24, 14);
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 40; ++x)
      ImageTable[0].surface->row32(y)[x] =
          (x * 6) << 16 | (y * 10) << 8 | ((x + y) & 1 ? 0xFF : 0x40);
  }
  TAV_CopyImageToClipboard(0);
  const std::string targets = run("xclip -selection clipboard -t TARGETS -o");
  EXPECT_NE(targets.find("image/png"), std::string::npos) << targets;
  EXPECT_NE(targets.find("image/bmp"), std::string::npos) << targets;
  for (const char* type : {"png", "bmp"}) {
    const fs::path file = dir_ / (std::string("copied_by_direvo.") + type);
    run(std::string("xclip -selection clipboard -t image/") + type + " -o > '" + file.string() +
        "'");
    plat::LoadedImage read = plat::loadImageFile(file.string());
    ASSERT_TRUE(read.object) << type;
    ASSERT_EQ(read.object->width(), 40);
    ASSERT_EQ(read.object->height(), 24);
    for (int y = 0; y < 24; ++y) {
      ASSERT_EQ(std::memcmp(read.object->row32(y), ImageTable[0].surface->row32(y), 160), 0)
          << type << y;
    }
  }
}

TEST_F(XclipPeer, PastesWhatXclipPuts) {
  for (const char* type : {"png", "bmp"}) {
    SCOPED_TRACE(type);
    auto picture = plat::Surface::create(30, 20, 32);
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 30; ++x)
        picture->row32(y)[x] = x < 15 ? 0xE03020u + y * 4 : 0x2040C0u + x * 2;
    }
    const fs::path file = dir_ / (std::string("put_by_xclip.") + type);
    ASSERT_EQ(plat::saveImageFile(*picture, file.string()), plat::ImageFileError::None);
    xclipPuts(std::string("image/") + type, file, 30, 20);
    imagewin::resetImageWindows();
    open32(0, 30, 20, 15);
    ASSERT_EQ(TAV_PasteImage(0, 0, 0), kPasteDone);
    for (int y = 0; y < 20; ++y) {
      ASSERT_EQ(std::memcmp(picture->row32(y), ImageTable[0].surface->row32(y), 120), 0) << y;
    }
    TAV_SelectImage(0);
    EXPECT_EQ(TAV_SaveImageFile(20, 30, 3,
                                (dir_ / (std::string("pasted_into_direvo_from_") + type)).c_str()),
              0);
    kill(xclip_, SIGTERM);
    xclip_ = 0;
  }
}

}  // namespace
