// What the editor tests share: a clean library, the stand-in main window, the editor
// installed as the image windows' editor, typed lines answered from a script, a private
// folder for files, and ways to drive and look at image windows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/services.h"
#include "core/library.h"
#include "editor/editor.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "interchange/interchange.h"
#include "library_support.h"
#include "platform/message.h"
#include "platform/test.h"
#include "platform/window.h"

class Editor : public testing::Test {
 protected:
  void SetUp() override {
    resetLibrary();
    testsupport::openMainWindow(900, 700);
    LibraryServices s = testsupport::servicesWithMainWindow();
    s.imageEditor = editor::handleImageWindowMessage;
    s.promptLine = scriptedLine;
    installLibraryServices(s);
    prompts.clear();
    answers.clear();
    dir_ = std::filesystem::path(testing::TempDir()) / "direvo_editor";
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    ASSERT_TRUE(interchange::setStartDirectory(dir_.string()));  // both folders there
  }
  void TearDown() override {
    resetLibrary();
    testsupport::closeMainWindow();
    std::filesystem::remove_all(dir_);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  static void pump() { testsupport::deliverPosted(); }
  static plat::Window win(int n) { return ImageTable[n].window; }

  // A window of distinct pixels: 32-bit values (x, y, x ^ y), or 8-bit indices with a
  // palette whose colours are all different and not grey.
  static void open32(int n, int w, int h, int zoom = 100) {
    ASSERT_EQ(TAV_CreateImageFL(n, "ed", 0, 0, w, h, zoom), kCreateOk);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        ImageTable[n].surface->row32(y)[x] =
            (uint32_t(x & 0xFF) << 16) | (uint32_t(y & 0xFF) << 8) | uint32_t((x ^ y) & 0xFF);
  }
  static void open8(int n, int w, int h, int zoom = 100) {
    ASSERT_EQ(TAV_CreateImage8FL(n, "ed8", 0, 0, w, h, zoom), kCreateOk);
    plat::Palette& pal = ImageTable[n].surface->palette();
    for (int i = 0; i < 256; ++i)
      pal[i] = {uint8_t(i), uint8_t(255 - i), uint8_t((i * 7) & 0xFF), 0};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ImageTable[n].surface->row8(y)[x] = uint8_t(y * 16 + x * 3);
  }
  static uint32_t px(int n, int x, int y) {
    const plat::Surface& s = *ImageTable[n].surface;
    return s.bits() == 8 ? s.row8(y)[x] : s.row32(y)[x];
  }
  // Every stored value of window n, row by row (8-bit: indices).
  static std::vector<uint32_t> pixelsOf(int n) {
    std::vector<uint32_t> all;
    for (int y = 0; y < ImageTable[n].height; ++y)
      for (int x = 0; x < ImageTable[n].width; ++x) all.push_back(px(n, x, y));
    return all;
  }

  // Runs a command as the window gets it from its menu.
  static void command(int n, int id) {
    plat::postCommand(win(n), id);
    pump();
  }

  // Typed lines: the prompts asked, and the lines to answer them with, in order.
  static inline std::vector<std::string> prompts, answers;
  static std::string scriptedLine(const std::string& prompt) {
    prompts.push_back(prompt);
    if (answers.empty()) return "";
    std::string a = answers.front();
    answers.erase(answers.begin());
    return a;
  }

 private:
  std::filesystem::path dir_;
};
