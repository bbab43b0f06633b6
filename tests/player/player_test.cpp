// The playback loop on movies written here: opening, view frames, the commands, the
// input box settings and the composition they drive.
#include "app/player.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "app/lenticular.h"
#include "boxes/boxes.h"
#include "core/library.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "interchange/interchange.h"
#include "platform/imagefile.h"
#include "platform/test.h"
#include "platform/window.h"
#include "textwin/textwin.h"

namespace {

using app::player;

constexpr int kW = 64, kH = 48;

// Frame n carries its number in two flat channels, coarse enough for JPEG.
cv::Mat NumberedFrame(int n) {
  return cv::Mat(kH, kW, CV_8UC3, cv::Scalar(128, (n >> 4) * 16 + 8, (n & 15) * 16 + 8));
}
int NumberOf(uint32_t pixel) {
  const int red = (pixel >> 16) & 0xff, green = (pixel >> 8) & 0xff;
  return static_cast<int>(std::lround((green - 8) / 16.0)) * 16 +
         static_cast<int>(std::lround((red - 8) / 16.0));
}

std::string WriteMovie(const std::string& name, int frames) {
  const std::string path = (std::filesystem::path(testing::TempDir()) / name).string();
  cv::VideoWriter out(path, cv::CAP_FFMPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 25,
                      cv::Size(kW, kH));
  for (int n = 0; n < frames; ++n) out.write(NumberedFrame(n));
  return path;
}

// The number of the frame window 0 shows.
int ShownFrame() {
  return NumberOf(reinterpret_cast<uint32_t*>(ImagePixels[app::kFrameImage])[kH / 2 * kW + kW / 2]);
}

// What text window 0 prints from now on, through its log.
class PrintedText {
 public:
  PrintedText() {
    TextWindowRecord& rec = TextWindowTable[0];
    rec.logFile = std::tmpfile();
    rec.logState = rec.logFile ? 1 : 0;
  }
  ~PrintedText() {
    TextWindowRecord& rec = TextWindowTable[0];
    if (rec.logFile) std::fclose(rec.logFile);
    rec.logFile = nullptr;
    rec.logState = 0;
  }
  PrintedText(const PrintedText&) = delete;
  PrintedText& operator=(const PrintedText&) = delete;
  std::vector<std::string> linesWith(const std::string& part) const {
    std::FILE* f = TextWindowTable[0].logFile;
    if (!f) return {"<no log>"};
    std::fflush(f);
    std::rewind(f);
    std::string all;
    char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, f)) > 0;) all.append(chunk, got);
    std::fseek(f, 0, SEEK_END);
    std::vector<std::string> lines;
    std::istringstream in(all);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();  // the log's CR LF
      if (line.find(part) != std::string::npos) lines.push_back(line);
    }
    return lines;
  }
};

class PlayerTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    movie251_ = WriteMovie("direvo_player_251.avi", 251);
    movie20_ = WriteMovie("direvo_player_20.avi", 20);
  }
  static void TearDownTestSuite() {
    std::remove(movie251_.c_str());
    std::remove(movie20_.c_str());
  }
  void SetUp() override {
    resetLibrary();
    PlayerSetup();
    startRequested.store(0);
  }
  void TearDown() override { resetLibrary(); }
  void Open(const std::string& path) {
    plat::test::answerNextFileDialog(path, 1);
    ASSERT_TRUE(app::trySelectMovie());
  }
  static std::string movie251_, movie20_;
};
std::string PlayerTest::movie251_, PlayerTest::movie20_;

TEST_F(PlayerTest, SetUpLaysOutThePanelWithItsDefaults) {
  EXPECT_TRUE(boxes::buttonBoxWindow());
  EXPECT_EQ(boxes::buttonLabel(19), "make>");
  EXPECT_EQ(boxes::buttonLabel(3), "");
  ASSERT_TRUE(boxes::inputBoxWindow());
  EXPECT_EQ(boxes::inputBoxLabel(4), "Pitch");
  EXPECT_STREQ(TAV_GetInputBoxText(4), "17.319");
  EXPECT_STREQ(TAV_GetInputBoxText(2), "0");
  EXPECT_EQ(app::View_num, 7);
  EXPECT_EQ(TextWindowTable[0].inUse, 1);
}

TEST_F(PlayerTest, OpeningSpreadsTheViewsOverTheWholeMovie) {
  Open(movie251_);
  EXPECT_EQ(player.frameCount, 251);
  EXPECT_EQ(player.rangeLeft, 1);
  EXPECT_EQ(player.rangeRight, 251);
  const int expected[] = {1, 36, 72, 108, 143, 179, 215, 251};
  for (int i = 0; i <= 7; ++i) EXPECT_EQ(player.viewFrames[i], expected[i]) << i;
  ASSERT_EQ(ImageTable[0].inUse, 1);
  EXPECT_EQ(ImageTable[0].width, kW);
  EXPECT_EQ(ImageTable[0].height, kH);
}

TEST_F(PlayerTest, AMovieThatDoesNotOpenIsRefusedAndTheNextChoiceOpens) {
  plat::test::answerNextFileDialog(testing::TempDir() + "/no_such_movie.avi", 1);
  EXPECT_FALSE(app::trySelectMovie());
  EXPECT_FALSE(player.capture);
  EXPECT_EQ(ImageTable[0].inUse, 0);
  // A cancel tries the last choice again, which still fails.
  plat::test::answerNextFileDialog("", 1);
  EXPECT_FALSE(app::trySelectMovie());
  Open(movie20_);
  EXPECT_EQ(player.frameCount, 20);
}

TEST_F(PlayerTest, ViewCountStaysWithinTwoAndOneHundredEighty) {
  Open(movie251_);
  app::View_num = 2;
  app::runCommand(12);
  EXPECT_EQ(app::View_num, 2);
  EXPECT_EQ(player.viewFrames[2], 251);
  app::View_num = 180;
  app::runCommand(13);
  EXPECT_EQ(app::View_num, 180);
  EXPECT_EQ(player.viewFrames[0], 1);
  EXPECT_EQ(player.viewFrames[180], 251);
  EXPECT_EQ(player.viewFrames[90], 1 + static_cast<int>((90.0 * 250 + 0.5) / 180));
}

TEST_F(PlayerTest, MarksMoveOnlyInsideTheRange) {
  Open(movie20_);
  player.rangeRight = 10;
  app::seekAndShow(9);  // position 10: not before the right mark
  app::runCommand(14);
  EXPECT_EQ(player.rangeLeft, 1);
  app::seekAndShow(4);
  app::runCommand(14);
  EXPECT_EQ(player.rangeLeft, 5);
  app::seekAndShow(2);  // position 3: not after the left mark
  app::runCommand(16);
  EXPECT_EQ(player.rangeRight, 10);
  // goto< shows the frame the mark was taken on.
  app::runCommand(15);
  EXPECT_EQ(ShownFrame(), 4);
}

TEST_F(PlayerTest, StepCommandsShowTheFramesAroundThePosition) {
  Open(movie20_);
  app::seekAndShow(12);
  app::runCommand(4);  // "<"
  EXPECT_EQ(ShownFrame(), 11);
  app::runCommand(5);  // ">"
  EXPECT_EQ(ShownFrame(), 12);
  app::runCommand(6);  // "< 10"
  EXPECT_EQ(ShownFrame(), 2);
  app::runCommand(7);  // "> 10"
  EXPECT_EQ(ShownFrame(), 12);
  app::runCommand(9);  // ">>"
  EXPECT_EQ(ShownFrame(), 19);
  app::runCommand(5);  // past the end: nothing new, and the position stays on the last
  EXPECT_EQ(ShownFrame(), 19);
  EXPECT_EQ(player.capture->property(movie::kPosFrames), 19);
  app::runCommand(8);  // "<<"
  EXPECT_EQ(ShownFrame(), 1);
}

TEST_F(PlayerTest, PlayingRewindsAtTheEnd) {
  Open(movie20_);
  app::seekAndShow(19);
  app::playStep();  // no frame left: back to the start
  EXPECT_EQ(player.capture->property(movie::kPosFrames), 0);
  app::playStep();
  EXPECT_EQ(ShownFrame(), 0);
}

TEST_F(PlayerTest, PauseAndBreakAreTakenWhilePlaying) {
  Open(movie20_);
  ButtonPressCount[1] = 1;
  app::playStep();
  EXPECT_TRUE(player.paused);
  EXPECT_EQ(ButtonPressCount[1], 0);
  ButtonPressCount[11] = 1;
  app::playStep();
  EXPECT_TRUE(player.breakRequested);
  EXPECT_FALSE(player.capture);
  EXPECT_EQ(ImageTable[0].inUse, 0);
}

TEST_F(PlayerTest, ACommandPassRunsEveryLatchedCommandInButtonOrder) {
  Open(movie20_);
  player.paused = true;
  app::seekAndShow(7);  // position 8
  // mark< runs before mark>, so mark> finds the left mark at 8 and keeps the right one.
  ButtonPressCount[16] = 1;
  ButtonPressCount[14] = 1;
  ButtonPressCount[0] = 1;
  app::commandPass();
  EXPECT_FALSE(player.paused);
  EXPECT_EQ(player.rangeLeft, 8);
  EXPECT_EQ(player.rangeRight, 20);
  for (int i = 0; i < app::kPlayerButtonCount; ++i) EXPECT_EQ(ButtonPressCount[i], 0) << i;
}

TEST_F(PlayerTest, MakeLaysTheViewsSideBySideAndComposes) {
  Open(movie20_);
  app::View_num = 3;
  player.rangeLeft = 2;
  player.rangeRight = 17;
  SetViewFrames(2, 17);  // views 2, 7, 12, 17
  app::runCommand(19);   // make>
  ASSERT_EQ(ImageTable[1].inUse, 1);
  EXPECT_EQ(ImageTable[1].width, 3 * kW);
  const auto* multi = reinterpret_cast<const uint32_t*>(ImagePixels[1]);
  for (int v = 0; v < 3; ++v)
    EXPECT_EQ(NumberOf(multi[kH / 2 * 3 * kW + v * kW + kW / 2]), player.viewFrames[v] - 1);
  EXPECT_EQ(app::builtViewCount, 3);
  ASSERT_EQ(ImageTable[2].inUse, 1);
  EXPECT_EQ(ImageTable[2].width, 3 * 800 * 3);
  ASSERT_EQ(ImageTable[3].inUse, 1);
  EXPECT_EQ(ImageTable[3].width, 800);
  EXPECT_EQ(player.composeCount, 1);
  // make> ends on the last view: window 0 shows its frame, the movie stands after it.
  EXPECT_EQ(ShownFrame(), 16);
  EXPECT_EQ(player.capture->property(movie::kPosFrames), 17);

  app::runCommand(18);  // make<: the same views, right to left
  multi = reinterpret_cast<const uint32_t*>(ImagePixels[1]);
  for (int v = 0; v < 3; ++v)
    EXPECT_EQ(NumberOf(multi[kH / 2 * 3 * kW + v * kW + kW / 2]), player.viewFrames[3 - v] - 1);
  // make< ends on view 0, though its frames are read from the lowest up.
  EXPECT_EQ(ShownFrame(), 1);
  EXPECT_EQ(player.capture->property(movie::kPosFrames), 2);
  app::runCommand(5);  // ">" goes on from there
  EXPECT_EQ(ShownFrame(), 2);
}

TEST_F(PlayerTest, InputBoxChangesRebuildAndComposeAndOversizesArePutBack) {
  Open(movie20_);
  app::runCommand(19);
  const int before = player.composeCount;
  TAV_SetInputBoxText(0, "1921");
  app::readInputBox();
  EXPECT_STREQ(TAV_GetInputBoxText(0), "800");
  EXPECT_EQ(app::Width, 800);
  EXPECT_EQ(player.composeCount, before);

  TAV_SetInputBoxText(4, "20.5");
  TAV_SetInputBoxText(0, "640");
  app::readInputBox();
  EXPECT_EQ(app::Pitch, 20.5);
  EXPECT_EQ(app::Width, 640);
  EXPECT_EQ(player.composeCount, before + 2);  // once for the pitch, once after the rebuild
  EXPECT_EQ(ImageTable[3].width, 640);
  EXPECT_EQ(ImageTable[2].width, 3 * 640 * 7);

  TAV_SetInputBoxText(1, "1241");
  app::readInputBox();
  EXPECT_STREQ(TAV_GetInputBoxText(1), "480");
  EXPECT_EQ(app::Height, 480);
}

TEST_F(PlayerTest, SizesNoWindowCanShowArePutBackWithALineSayingWhy) {
  Open(movie20_);
  app::runCommand(19);
  const PrintedText printed;
  const int composed = player.composeCount;
  for (const char* typed : {"30", "0", "-5", "wide"}) {
    TAV_SetInputBoxText(app::kWidthItem, typed);
    app::readInputBox();
    EXPECT_EQ(app::Width, 800) << typed;
    EXPECT_STREQ(TAV_GetInputBoxText(app::kWidthItem), "800") << typed;
  }
  TAV_SetInputBoxText(app::kHeightItem, "0");
  app::readInputBox();
  EXPECT_EQ(app::Height, 480);
  EXPECT_STREQ(TAV_GetInputBoxText(app::kHeightItem), "480");
  const std::vector<std::string> refusals = printed.linesWith("no window can show");
  ASSERT_EQ(refusals.size(), 5u);
  EXPECT_EQ(refusals[0], "Width \"30\": no window can show a 30 x 480 picture; 800 kept");
  EXPECT_EQ(refusals[4], "Height \"0\": no window can show a 800 x 0 picture; 480 kept");
  EXPECT_EQ(player.composeCount, composed);
  EXPECT_EQ(ImageTable[3].width, 800);
  EXPECT_EQ(ImageTable[3].height, 480);
}

// A Pitch that is not finite would leave the picture un-interleaved: it is put back,
// with one line saying why, and nothing is composed. Any other text is read as atof
// reads it, as before.
TEST_F(PlayerTest, PitchesThatAreNotFiniteArePutBackWithALineSayingWhy) {
  Open(movie20_);
  app::runCommand(19);
  const PrintedText printed;
  const int composed = player.composeCount;
  const char* refused[] = {"nan", "-nan", "inf", "-inf", "Infinity", "1e999", "-1e400x"};
  for (const char* typed : refused) {
    TAV_SetInputBoxText(app::kPitchItem, typed);
    app::readInputBox();
    EXPECT_EQ(app::Pitch, 17.319) << typed;
    EXPECT_STREQ(TAV_GetInputBoxText(app::kPitchItem), "17.319") << typed;
  }
  EXPECT_EQ(player.composeCount, composed);
  const std::vector<std::string> lines = printed.linesWith("must be a finite number");
  ASSERT_EQ(lines.size(), std::size(refused));
  EXPECT_EQ(lines[0], "Pitch \"nan\": must be a finite number; 17.319 kept");
  EXPECT_EQ(lines[6], "Pitch \"-1e400x\": must be a finite number; 17.319 kept");

  // The last Pitch taken is the one put back; a number followed by text is taken.
  TAV_SetInputBoxText(app::kPitchItem, "9.25 lenses");
  app::readInputBox();
  EXPECT_EQ(app::Pitch, 9.25);
  EXPECT_EQ(player.composeCount, composed + 1);
  TAV_SetInputBoxText(app::kPitchItem, "inf");
  app::readInputBox();
  EXPECT_EQ(app::Pitch, 9.25);
  EXPECT_STREQ(TAV_GetInputBoxText(app::kPitchItem), "9.25");
  app::readInputBox();  // the put-back value reads as the Pitch it is: nothing more
  EXPECT_EQ(player.composeCount, composed + 1);
  EXPECT_EQ(printed.linesWith("must be a finite number").size(), std::size(refused) + 1);
  // So does one typed with more digits than the box shows at start.
  TAV_SetInputBoxText(app::kPitchItem, "17.31900000001");
  app::readInputBox();
  TAV_SetInputBoxText(app::kPitchItem, "nan");
  app::readInputBox();
  app::readInputBox();
  EXPECT_EQ(app::Pitch, 17.31900000001);
  EXPECT_EQ(player.composeCount, composed + 2);
}

TEST_F(PlayerTest, ClosingTheInputBoxKeepsTheSettingsAndThePicture) {
  Open(movie20_);
  app::runCommand(19);
  const int composed = player.composeCount;
  DestroyInputBox();
  app::readInputBox();
  EXPECT_EQ(app::Width, 800);
  EXPECT_EQ(app::Height, 480);
  EXPECT_EQ(app::Pitch, 17.319);
  EXPECT_EQ(player.composeCount, composed);
  EXPECT_EQ(ImageTable[3].width, 800);
  EXPECT_EQ(ImageTable[3].height, 480);
}

TEST_F(PlayerTest, LentiOpensTheWorkWindowAgainAfterTheUserClosedIt) {
  Open(movie20_);
  app::runCommand(19);
  TAV_DestroyImage(app::kWorkImage);
  app::runCommand(21);  // Lenti
  ASSERT_EQ(ImageTable[app::kWorkImage].inUse, 1);
  EXPECT_EQ(ImageTable[app::kWorkImage].width, 3 * 800 * 7);
  EXPECT_EQ(plat::getWindowRect(ImageTable[app::kWorkImage].window).top, 690);
}

TEST_F(PlayerTest, ClearAndBreakKeepWhereTheOutputStood) {
  Open(movie20_);
  app::runCommand(19);
  plat::setWindowPos(ImageTable[3].window, 300, 200, 0, 0, plat::kNoSize | plat::kNoZOrder);
  plat::test::sync();
  app::runCommand(20);  // clear
  EXPECT_EQ(ImageTable[3].inUse, 0);
  EXPECT_EQ(ImageTable[2].inUse, 0);
  EXPECT_EQ(ImageTable[1].inUse, 1);
  EXPECT_EQ(player.outputPosition.left, 300);
  EXPECT_EQ(player.outputPosition.top, 200);
  app::runCommand(21);  // Lenti makes them again where the output was
  EXPECT_EQ(plat::getWindowRect(ImageTable[3].window).left, 300);
  app::runCommand(11);  // break
  for (int n = 0; n < 4; ++n) EXPECT_EQ(ImageTable[n].inUse, 0) << n;
  EXPECT_FALSE(player.capture);
}

TEST_F(PlayerTest, SeeksAndMakeOpenTheClosedFrameWindowAgainWhereItStood) {
  Open(movie20_);
  plat::setWindowPos(ImageTable[0].window, 500, 300, 0, 0, plat::kNoSize | plat::kNoZOrder);
  plat::test::sync();
  app::seekAndShow(9);
  TAV_DestroyImage(0);
  EXPECT_TRUE(app::decodeAndShow());  // playing does not bring it back
  EXPECT_EQ(ImageTable[0].inUse, 0);
  app::runCommand(4);  // "<"
  ASSERT_EQ(ImageTable[0].inUse, 1);
  EXPECT_EQ(plat::getWindowRect(ImageTable[0].window).left, 500);
  EXPECT_EQ(plat::getWindowRect(ImageTable[0].window).top, 300);
  EXPECT_EQ(ShownFrame(), 9);
  TAV_DestroyImage(0);
  app::View_num = 3;
  SetViewFrames(2, 17);
  app::runCommand(19);  // make>: the views are the movie's frames, not black
  const auto* multi = reinterpret_cast<const uint32_t*>(ImagePixels[1]);
  for (int v = 0; v < 3; ++v)
    EXPECT_EQ(NumberOf(multi[kH / 2 * 3 * kW + v * kW + kW / 2]), player.viewFrames[v] - 1);
}

TEST_F(PlayerTest, AOneFrameMovieShowsItsFrame) {
  const std::string one = WriteMovie("direvo_player_1.avi", 1);
  Open(one);
  app::playStep();  // the frame read at open was the only one: back to the start
  app::playStep();
  EXPECT_EQ(ShownFrame(), 0);
  std::memset(ImagePixels[0], 0, kW * kH * 4);
  app::runCommand(4);  // "<"
  EXPECT_EQ(ShownFrame(), 0);
  EXPECT_NE(reinterpret_cast<uint32_t*>(ImagePixels[0])[0], 0u);
  std::remove(one.c_str());
}

TEST_F(PlayerTest, AViewFrameThatCannotBeReadIsNamed) {
  const std::string cut = WriteMovie("direvo_player_cut.avi", 40);
  std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 2);
  Open(cut);
  EXPECT_EQ(player.frameCount, 40);  // the header still claims them all
  const PrintedText printed;
  app::View_num = 3;
  SetViewFrames(1, 40);  // 1, 14, 27, 40
  app::runCommand(19);
  const std::vector<std::string> unread = printed.linesWith("could not be read");
  ASSERT_FALSE(unread.empty());
  EXPECT_EQ(unread.back(), "frame 40 could not be read");
  EXPECT_EQ(std::count(unread.begin(), unread.end(), "frame 1 could not be read"), 0);
  // The first view is the movie's first frame.
  EXPECT_EQ(NumberOf(reinterpret_cast<const uint32_t*>(ImagePixels[1])[kH / 2 * 3 * kW + kW / 2]),
            0);
  std::remove(cut.c_str());
}

// ---- Work images no window can show ---------------------------------------------------

class TooWidePlayerTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    // A 1280-pixel screen: no window shows more than about 42000 work columns.
    plat::test::pinScreenSize(1280, 1024);
    dir_ = std::filesystem::path(testing::TempDir()) /
           ("direvo-player-views-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    plat::test::pinScreenSize(0, 0);
    PlayerTest::TearDown();
  }

  // direvo-compose run on the player's multi-view image must give the player's output.
  void expectOutputAsTheTool(const char* method) {
    const std::string views = (dir_ / "views.png").string();
    const std::string out = (dir_ / "out.png").string();
    ASSERT_EQ(plat::saveImageFile(*ImageTable[app::kMultiViewImage].surface, views),
              plat::ImageFileError::None);
    const std::string cmd =
        std::string(DIREVO_COMPOSE_PATH) + " --multiview " + views + " --views " +
        std::to_string(app::View_num) + " --width " + std::to_string(app::Width) + " --height " +
        std::to_string(app::Height) + " --pitch 17.319 --method " + method + " --out " + out;
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    const plat::LoadedImage composed = plat::loadImageFile(out);
    ASSERT_TRUE(composed.object);
    const ImageWindowRecord& rec = ImageTable[app::kOutputImage];
    ASSERT_EQ(composed.object->width(), rec.width);
    ASSERT_EQ(composed.object->height(), rec.height);
    const auto* shown = reinterpret_cast<const uint32_t*>(ImagePixels[app::kOutputImage]);
    for (int y = 0; y < rec.height; ++y) {
      for (int x = 0; x < rec.width; ++x) {
        ASSERT_EQ(composed.object->row32(y)[x] & 0x00FFFFFF, shown[y * rec.width + x])
            << method << " at " << x << ", " << y;
      }
    }
  }

  std::filesystem::path dir_;
};

TEST_F(TooWidePlayerTest, SixtyViewsAtWidth800ComposeFromTheViewsAsTheToolDoes) {
  Open(movie20_);
  const PrintedText printed;
  app::View_num = 60;
  SetViewFrames(1, 20);
  app::runCommand(19);  // make>: a work image 3 * 800 * 60 = 144000 columns wide
  ASSERT_EQ(ImageTable[app::kMultiViewImage].inUse, 1);
  EXPECT_EQ(ImageTable[app::kWorkImage].inUse, 0);
  ASSERT_EQ(ImageTable[app::kOutputImage].inUse, 1);
  EXPECT_EQ(printed.linesWith("too large"),
            std::vector<std::string>{
                "work image 144000 x 480 is too large to show; composing from the views"});
  expectOutputAsTheTool("stable");
  if (HasFatalFailure()) return;
  app::runCommand(23);  // Beta
  expectOutputAsTheTool("beta");
  if (HasFatalFailure()) return;

  // A width the window can show brings the work window back, with no further word.
  TAV_SetInputBoxText(0, "50");
  app::readInputBox();
  ASSERT_EQ(ImageTable[app::kWorkImage].inUse, 1);
  EXPECT_EQ(ImageTable[app::kWorkImage].width, 3 * 50 * 60);
  EXPECT_EQ(printed.linesWith("too large").size(), 1u);
  expectOutputAsTheTool("beta");
}

TEST_F(TooWidePlayerTest, AWorkWindowThatCannotGrowIsClosedNotLeftStale) {
  Open(movie20_);
  app::runCommand(19);  // make> at 7 views: the work window shows
  ASSERT_EQ(ImageTable[app::kWorkImage].inUse, 1);
  const PrintedText printed;
  app::View_num = 60;
  SetViewFrames(1, 20);
  app::runCommand(21);  // Lenti with the old 7-view multi-view image, now 60 bands
  EXPECT_EQ(ImageTable[app::kWorkImage].inUse, 0);
  EXPECT_EQ(printed.linesWith("too large").size(), 1u);
  EXPECT_EQ(app::builtViewCount, 60);
  expectOutputAsTheTool("stable");
}

}  // namespace
