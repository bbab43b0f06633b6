// The main window's window-building commands, run in-process on the sandbox's user
// task: the program runs on this thread while a driver thread clicks, types and drops
// through the platform's seams, as a person would.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "base/ids.h"
#include "boxes/boxes.h"
#include "core/core.h"
#include "core/library.h"
#include "core/main_window.h"
#include "core/requests.h"
#include "core/sandbox.h"
#include "imagewin/imagewin.h"
#include "interchange/dib_block.h"
#include "platform/clipboard.h"
#include "platform/clipboard_image.h"
#include "platform/imagefile.h"
#include "platform/platform.h"
#include "platform/test.h"
#include "platform/utf8.h"
#include "runtime_folder.h"
#include "textwin/textwin.h"

namespace {

std::unique_ptr<plat::Surface> filled(int width, int height, uint32_t color) {
  std::unique_ptr<plat::Surface> s = plat::Surface::create(width, height, 32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) s->row32(y)[x] = color;
  return s;
}

bool allPixels(const plat::Surface& s, uint32_t color) {
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x)
      if ((s.row32(y)[x] & 0xFFFFFF) != color) return false;
  return true;
}

class MainCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    resetLibrary();
    ASSERT_TRUE(runtime_.made());
    files_ = runtime_.path() + "/pictures";
    std::filesystem::create_directories(files_);
    // The program starts here: its log files are written here.
    std::filesystem::current_path(runtime_.path());
  }
  void TearDown() override {
    std::filesystem::current_path(startedIn_);
    // The worker has ended: what it made is let go from here.
    resetLibrary();
  }

  // Runs the sandbox program on this thread while `driver` acts from another one; the
  // driver's last step is Exit, also when it gave up on a wait.
  void run(const std::function<void()>& driver) {
    std::thread d([&] {
      while (!plat::isWindow(mainWindowHandle()))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      main_ = mainWindowHandle();
      // Start-up is over (drops are taken) once the message loop runs: Stop, harmless
      // before Start, shows when it does.
      plat::postCommand(main_, ids::kStop);
      waitFor([] { return stopRequested.load() == 1; });
      driver();
      plat::postCommand(main_, ids::kExit);
    });
    EXPECT_EQ(programEntry(core::sandboxTask()), 0);
    d.join();
  }

  // Waits up to ten seconds; a failure, not a hang, when it does not come.
  static bool waitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) {
        ADD_FAILURE() << "gave up waiting";
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

  static plat::Window textWindow(int n) {
    std::lock_guard lock(TextWindowTable[n].lock);
    return TextWindowTable[n].window;
  }
  static plat::Point cursorOf(int n) {
    std::lock_guard lock(TextWindowTable[n].lock);
    return {TextWindowTable[n].cursorX, TextWindowTable[n].cursorY};
  }

  // Waits for the next line to be read in text window n (the cursor below the last
  // answer), types `answer` and waits until the line is taken.
  void answer(const std::u16string& answer, int n = 0) {
    if (!waitFor([&] { return InputOwner.load() == n + 1 && cursorOf(n).y > lastAnswerY_; }))
      return;
    const plat::Point at = cursorOf(n);
    lastAnswerY_ = at.y;
    plat::test::typeText(textWindow(n), answer + u"\r");
    // Taken once the cursor leaves the row: a command posted from now on no longer runs
    // inside this line's reading.
    waitFor([&] { return cursorOf(n).y > at.y; });
  }

  // Opens text window n from the main window and starts its log, which then holds every
  // prompt printed there and every line typed after one.
  void openLoggedTextWindow(int n) {
    plat::postCommand(main_, ids::kTextWindow);
    if (!waitFor([n] { return TextWindowTable[n].inUse.load() == 1; })) return;
    plat::postCommand(textWindow(n), ids::text::kStartLog);
    waitFor([n] {
      std::lock_guard lock(TextWindowTable[n].lock);
      return TextWindowTable[n].logState == 1;
    });
  }
  // The log of text window n of instance 0, in the folder the program started in.
  std::string logOf(int n) {
    std::ifstream in(runtime_.path() + "/DIREVO0" + std::to_string(n) + ".LOG", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  void writePicture(const std::string& name, int width, int height, uint32_t color) {
    ASSERT_EQ(plat::saveImageFile(*filled(width, height, color), files_ + "/" + name),
              plat::ImageFileError::None);
  }

  const std::filesystem::path startedIn_ = std::filesystem::current_path();
  testsupport::PrivateRuntimeFolder runtime_;
  std::string files_;
  plat::Window main_;
  int lastAnswerY_ = -1;
};

TEST_F(MainCommandTest, ImageWindowAsksForSizeAndDepthAndTakesTheLowestFreeNumber) {
  run([&] {
    openLoggedTextWindow(0);
    plat::postCommand(main_, ids::kImageWindow);
    answer(u"64");
    answer(u"48");
    answer(u"32");
    // 16 bits is no depth: nothing is made, so the next window still takes number 1.
    plat::postCommand(main_, ids::kImageWindow);
    answer(u"20");
    answer(u"20");
    answer(u"16");
    plat::postCommand(main_, ids::kImageWindow);
    answer(u"30");
    answer(u"20");
    answer(u"8");
    waitFor([] { return ImageTable[1].inUse.load() == 1; });
  });
  const ImageWindowRecord& first = ImageTable[0];
  ASSERT_TRUE(first.inUse);
  EXPECT_EQ(first.width, 64);
  EXPECT_EQ(first.height, 48);
  EXPECT_EQ(first.bits, 32);
  EXPECT_EQ(first.title, "000");
  const ImageWindowRecord& second = ImageTable[1];
  ASSERT_TRUE(second.inUse);
  EXPECT_EQ(second.width, 30);
  EXPECT_EQ(second.bits, 8);
  EXPECT_EQ(second.title, "001");
  EXPECT_FALSE(ImageTable[2].inUse);
  EXPECT_EQ(logOf(0),
            "Creating ImageWindow...\r\n Width=64\r\nHeight=48\r\nBit[32 or 8]=32\r\n"
            "Creating ImageWindow...\r\n Width=20\r\nHeight=20\r\nBit[32 or 8]=16\r\n"
            "Creating ImageWindow...\r\n Width=30\r\nHeight=20\r\nBit[32 or 8]=8\r\n");
}

TEST_F(MainCommandTest, DroppedFilesTakeTheNumbersAfterTheOpenWindowsAndTheirNames) {
  writePicture("a.png", 120, 40, 0xFF0000);
  writePicture("b.bmp", 50, 30, 0x0000FF);
  writePicture("c.png", 16, 16, 0x00FF00);
  std::FILE* text = std::fopen((files_ + "/notes.png").c_str(), "w");
  ASSERT_TRUE(text);
  std::fputs("not a picture", text);
  std::fclose(text);

  run([&] {
    // Windows 0 and 1 first.
    plat::test::dropFiles(main_, {files_ + "/c.png", files_ + "/c.png"});
    waitFor([] { return ImageTable[1].inUse.load() == 1; });
    // The unreadable file in between is skipped and uses no number. Each file is loaded
    // before the next window is made, so once the last one's window is there, the
    // files before it are in theirs (Exit may come before the last one is loaded).
    plat::test::dropFiles(
        main_, {files_ + "/a.png", files_ + "/notes.png", files_ + "/b.bmp", files_ + "/c.png"});
    waitFor([] { return ImageTable[4].inUse.load() == 1; });
    plat::test::sync();
  });
  ASSERT_TRUE(ImageTable[2].inUse);
  EXPECT_EQ(ImageTable[2].title, "002 a.png");
  EXPECT_EQ(ImageTable[2].width, 120);
  EXPECT_TRUE(allPixels(*ImageTable[2].surface, 0xFF0000));
  ASSERT_TRUE(ImageTable[3].inUse);
  EXPECT_EQ(ImageTable[3].title, "003 b.bmp");
  EXPECT_EQ(ImageTable[3].height, 30);
  EXPECT_TRUE(allPixels(*ImageTable[3].surface, 0x0000FF));
  EXPECT_EQ(ImageTable[0].title, "000 c.png");
  EXPECT_EQ(ImageTable[4].title, "004 c.png");
  EXPECT_FALSE(ImageTable[5].inUse);
}

// What cannot be made or loaded is said in the main window's status line, one line
// each, and nothing is made.
TEST_F(MainCommandTest, WhatCannotBeMadeOrLoadedIsToldInTheStatusLine) {
  auto writeBytes = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(files_ + "/" + name, std::ios::binary) << bytes;
  };
  writeBytes("empty.png", "");
  writeBytes("notes.bmp", "not a picture");
  // A PNG header claiming 100000 x 100000 pixels (with its checksum), an empty zlib
  // stream, and no pixel rows.
  writeBytes("huge.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\x01\x86\xa0\0\x01\x86\xa0"
                                     "\x08\x02\0\0\0\x27\x30\x9c\x9f\0\0\0\x08IDAT\x78\x9c\x03\0"
                                     "\0\0\0\x01\x48\x06\x89\xd2\0\0\0\0IEND\xae\x42\x60\x82",
                                     65));
  writePicture("whole.png", 40, 40, 0x00FF00);
  {
    std::ifstream in(files_ + "/whole.png", std::ios::binary);
    std::string png((std::istreambuf_iterator<char>(in)), {});
    writeBytes("half.png", png.substr(0, png.size() / 2));
  }
  auto status = [&] {
    std::string text = plat::getControlText(plat::controlById(main_, ids::kStatusLine));
    return text.substr(std::min(text.find_first_not_of(' '), text.size()));
  };
  auto expectStatus = [&](const std::string& line) {
    waitFor([&] { return status() == line; });
    EXPECT_EQ(status(), line);
  };
  run([&] {
    plat::postCommand(main_, ids::kImageWindow);
    answer(u"100000");
    answer(u"100000");
    answer(u"32");
    expectStatus("Image 100000x100000: out of memory");
    plat::postCommand(main_, ids::kImageWindow);
    answer(u"20");
    answer(u"20");
    answer(u"16");
    expectStatus("Bit 16: only 32 or 8");
    const std::pair<const char*, const char*> drops[] = {
        {"empty.png", "Load empty.png: not a readable image"},
        {"notes.bmp", "Load notes.bmp: not a readable image"},
        {"half.png", "Load half.png: not a readable image"},
        {"huge.png", "Load huge.png: picture too large"},
    };
    for (const auto& [file, line] : drops) {
      plat::test::dropFiles(main_, {files_ + "/" + file});
      expectStatus(line);
    }
  });
  for (const ImageWindowRecord& rec : ImageTable) EXPECT_FALSE(rec.inUse);
}

TEST_F(MainCommandTest, PasteMakesAWindowOfTheClipboardPictureOrNothingWithoutOne) {
  writePicture("c.png", 16, 16, 0x00FF00);
  run([&] {
    plat::clearClipboard();
    plat::postCommand(main_, ids::kPaste);
    plat::postCommand(main_, ids::kTextWindow);  // runs once the empty paste is over
    waitFor([] { return TextWindowTable[0].inUse.load() == 1; });
    EXPECT_FALSE(ImageTable[0].inUse);

    plat::test::dropFiles(main_, {files_ + "/c.png"});
    waitFor([] { return ImageTable[0].inUse.load() == 1; });
    const std::unique_ptr<plat::Surface> picture = filled(70, 50, 0x123456);
    ASSERT_TRUE(plat::setClipboardImage(interchange::writeDibBlock(*picture), *picture));
    plat::test::key(main_, 'V', true);  // Ctrl+V
    waitFor([] { return ImageTable[1].inUse.load() == 1; });
    // The window shows the picture once the paste's last request is carried out.
    waitFor([] {
      plat::test::sync();
      const std::unique_ptr<plat::Surface> shown = plat::test::clientPixels(ImageTable[1].window);
      return shown && shown->width() >= 70 && allPixels(*shown, 0x123456);
    });
  });
  const ImageWindowRecord& pasted = ImageTable[1];
  ASSERT_TRUE(pasted.inUse);
  EXPECT_EQ(pasted.title, "001");
  EXPECT_EQ(pasted.width, 70);
  EXPECT_EQ(pasted.height, 50);
  EXPECT_TRUE(allPixels(*pasted.surface, 0x123456));
  EXPECT_EQ(CurrentImage, 0);  // the image current before the paste is current again
}

TEST_F(MainCommandTest, TextWindowsAndBoxesAreBuiltFromTypedNumbers) {
  run([&] {
    plat::postCommand(main_, ids::kTextWindow);
    waitFor([] { return TextWindowTable[0].inUse.load() == 1; });
    openLoggedTextWindow(1);
    // Text window 0 is only brought forward: the prompts go to the current one, 1.
    plat::postCommand(main_, ids::kInputBox);
    answer(u"3", 1);
    plat::postCommand(main_, ids::kButtonBox);
    answer(u"4", 1);
    answer(u"2", 1);
    plat::postCommand(main_, ids::kInputBox);  // a second box replaces the first
    answer(u"5", 1);
    // Requests are served in turn: once this window is open, the boxes are too.
    plat::postCommand(main_, ids::kTextWindow);
    waitFor([] { return TextWindowTable[2].inUse.load() == 1; });
  });
  EXPECT_FALSE(TextWindowTable[3].inUse);
  EXPECT_EQ(boxes::inputBoxItemCount(), 5);
  EXPECT_EQ(boxes::buttonBoxButtonCount(), 8);
  EXPECT_EQ(NX, 4);
  EXPECT_EQ(NY, 2);
  EXPECT_EQ(logOf(1),
            "Creating InpuxBox...\r\nHow many items? >3\r\n"
            "Creating ButtonBox...\r\nNumber[X]=>4\r\nNumber[Y]=>2\r\n"
            "Creating InpuxBox...\r\nHow many items? >5\r\n");
}

TEST_F(MainCommandTest, ThePopupGreysTheBuildingCommandsWhileALineIsRead) {
  std::vector<plat::MenuItem> during;
  run([&] {
    plat::postCommand(main_, ids::kImageWindow);
    if (!waitFor([] { return InputOwner.load() != 0; })) return;
    plat::test::answerNextMenu(0);
    plat::test::click(main_, {5, 5}, plat::test::Button::Right);
    waitFor([] { return plat::test::lastMenu().has_value(); });
    during = plat::test::lastMenu()->items;
    answer(u"8");
    answer(u"8");
    answer(u"32");
    waitFor([] { return ImageTable[0].inUse.load() == 1; });
  });
  ASSERT_EQ(during.size(), 12u);
  for (const plat::MenuItem& item : during) {
    if (item.separator) continue;
    EXPECT_EQ(item.grayed, item.id != ids::kStop && item.id != ids::kExit) << item.text;
  }
}

TEST_F(MainCommandTest, OnceTheMainRoutineRunsNothingIsBuiltAndNothingWaits) {
  writePicture("c.png", 16, 16, 0x00FF00);
  run([&] {
    plat::test::key(main_, 'S');
    if (!waitFor([] { return mainRunning.load() == 1 && stopRequested.load() == 0; })) return;
    const std::unique_ptr<plat::Surface> picture = filled(8, 8, 0xFFFFFF);
    ASSERT_TRUE(plat::setClipboardImage(interchange::writeDibBlock(*picture), *picture));
    plat::test::key(main_, 'W', true);  // Window Info: no text window to ask
    plat::test::key(main_, 'V', true);
    plat::postCommand(main_, ids::kImageWindow);
    plat::postCommand(main_, ids::kTextWindow);
    plat::postCommand(main_, ids::kInputBox);
    plat::test::dropFiles(main_, {files_ + "/c.png"});
    plat::postCommand(main_, ids::kStop);  // handled after all of the above
    waitFor([] { return stopRequested.load() == 1; });
    plat::test::sync();
    EXPECT_EQ(RequestSlot.kind.load(), 0);  // no request left waiting
    EXPECT_EQ(InputOwner.load(), 0);        // no prompt
  });
  for (int n = 0; n < 4; ++n) {
    EXPECT_FALSE(ImageTable[n].inUse) << n;
    EXPECT_FALSE(TextWindowTable[n].inUse) << n;
  }
  EXPECT_FALSE(boxes::inputBoxWindow());
}

TEST_F(MainCommandTest, WindowInfoOpensTextWindowZeroFirstAndPutsTheSourceOnTheClipboard) {
  writePicture("c.png", 16, 16, 0x00FF00);
  std::string source;
  run([&] {
    plat::test::dropFiles(main_, {files_ + "/c.png"});
    waitFor([] { return ImageTable[0].inUse.load() == 1; });
    plat::setClipboardText("");
    plat::test::key(main_, 'W', true);  // Ctrl+W with no text window open
    waitFor([&] {
      source = plat::toUtf8(plat::clipboardText());
      return source.find("TAV_OpenTextWindow(0,") != std::string::npos;
    });
  });
  EXPECT_TRUE(TextWindowTable[0].inUse);
  EXPECT_NE(source.find("TAV_CreateImage(0,\"000 c.png\","), std::string::npos) << source;
}

TEST_F(MainCommandTest, ExitWhileAPromptWaitsEndsTheProgram) {
  int code = -1;
  std::thread d([&] {
    while (!plat::isWindow(mainWindowHandle()))
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const plat::Window w = mainWindowHandle();
    plat::postCommand(w, ids::kButtonBox);
    if (waitFor([] { return InputOwner.load() != 0; }))
      plat::test::key(w, 'X');
    else
      plat::postCommand(w, ids::kExit);
  });
  // Exit runs inside the prompt's reading; the columns' prompt is cancelled and the rows'
  // one is not read at all, so the program ends instead of waiting for a line.
  code = programEntry(core::sandboxTask());
  d.join();
  EXPECT_EQ(code, 0);
  EXPECT_EQ(quitRequested.load(), 2);
  EXPECT_FALSE(boxes::buttonBoxWindow());
}

}  // namespace
