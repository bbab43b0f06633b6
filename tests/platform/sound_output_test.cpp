// The sound output where there is no sound server: it says so at once, quietly, and the
// program goes on without sound. And on a sound server of its own with a sink that plays
// into nothing in real time (when PulseAudio is installed): the clock of what is heard.
// The sound server is looked for once per program, so each runs in a program of its own
// (tests/CMakeLists.txt): DIREVO_TEST_NULL_SINK chooses the second.
#include "platform/sound_output.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using plat::SoundOutput;
using namespace std::chrono_literals;

bool NullSinkRun() {
  return std::getenv("DIREVO_TEST_NULL_SINK") != nullptr;
}

// Whatever the machine running the tests has: a sound server that is not there. Set
// before the first sound call of the program, which is when the server is looked for.
void NoSoundServer() {
  setenv("PULSE_SERVER", "unix:/nonexistent/direvo-no-sound-server", 1);
  setenv("PULSE_CLIENTCONFIG", "/dev/null", 1);
}

TEST(NoSoundServer, OpeningSaysThereIsNoDeviceWithinASecond) {
  if (NullSinkRun()) GTEST_SKIP() << "this program plays into a sound server of its own";
  NoSoundServer();
  testing::internal::CaptureStderr();
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(SoundOutput::preferredFormat());
  for (const auto& [rate, channels] : {std::pair{48000, 2}, std::pair{44100, 1}}) {
    std::string why = "stale";
    EXPECT_FALSE(SoundOutput::open(rate, channels, &why));
    EXPECT_EQ(why, "there is no sound output device");
  }
  EXPECT_FALSE(SoundOutput::open(48000, 2, nullptr));
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_LT(took, std::chrono::seconds(1));
  // Qt Multimedia's own complaints stay off the terminal.
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// A PulseAudio server of the test's own, with one sink that plays into nothing at the
// pace of a real device; null when PulseAudio is not installed.
class NullSink : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!NullSinkRun() || std::system("pulseaudio --version >/dev/null 2>&1") != 0) return;
    dir = std::filesystem::path(testing::TempDir()) / ("direvo-sound-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "runtime");
    const std::string socket = (dir / "native").string();
    server = fork();
    if (server == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);  // ends with the test, however the test ends
      setenv("HOME", dir.c_str(), 1);
      setenv("XDG_RUNTIME_DIR", (dir / "runtime").c_str(), 1);
      const std::string unix = "module-native-protocol-unix auth-anonymous=1 socket=" + socket;
      execlp("pulseaudio", "pulseaudio", "--daemonize=no", "-n", "--exit-idle-time=-1",
             "--use-pid-file=no", "--disable-shm=yes", "--log-target=file:/dev/null", "-L",
             unix.c_str(), "-L", "module-null-sink sink_name=direvo_null rate=48000 channels=2",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i)
      std::this_thread::sleep_for(50ms);
    setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
    setenv("PULSE_CLIENTCONFIG", "/dev/null", 1);
  }
  static void TearDownTestSuite() {
    if (server > 0) {
      kill(server, SIGTERM);
      waitpid(server, nullptr, 0);
    }
    if (!dir.empty()) std::filesystem::remove_all(dir);
  }
  void SetUp() override {
    if (!NullSinkRun()) GTEST_SKIP() << "run by the platform_null_sink test";
    if (server <= 0) GTEST_SKIP() << "PulseAudio is not installed";
  }

  // Keeps the queue full of one tone for about `time`; returns the frames written.
  static int64_t Play(SoundOutput& out, std::chrono::milliseconds time) {
    std::vector<int16_t> block(2 * 480, 1000);
    int64_t written = 0;
    const auto until = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < until) {
      while (out.room() >= 480) written += out.write(block.data(), 480);
      std::this_thread::sleep_for(5ms);
    }
    return written;
  }
  static int64_t MicrosecondsOf(int64_t frames) { return frames * 1000000 / 48000; }

  static inline pid_t server = -1;
  static inline std::filesystem::path dir;
};

// The clock runs while the device plays, never ahead of the wall clock nor of what was
// written; stands still while paused and once all that was written has been heard, at
// exactly the time of the last sample; never goes back; starts again at 0 after a clear.
// (How closely it follows the wall clock is not held here: the null sink plays what it
// is given in bursts, standing still for a fifth of a second at a time.)
TEST_F(NullSink, TheClockFollowsWhatIsHeard) {
  const auto preferred = SoundOutput::preferredFormat();
  ASSERT_TRUE(preferred);
  EXPECT_EQ(preferred->sampleRate, 48000);
  std::string why;
  auto out = SoundOutput::open(48000, 2, &why);
  ASSERT_TRUE(out) << why;
  EXPECT_EQ(out->playedMicroseconds(), 0);
  EXPECT_EQ(out->room(), size_t{48000 / 4});  // a quarter of a second

  const auto started = std::chrono::steady_clock::now();
  int64_t written = Play(*out, 600ms);
  const int64_t wall = std::chrono::duration_cast<std::chrono::microseconds>(
                           std::chrono::steady_clock::now() - started)
                           .count();
  const int64_t played = out->playedMicroseconds();
  EXPECT_LE(played, wall);
  EXPECT_GT(played, 0);
  EXPECT_LT(played, MicrosecondsOf(written));

  out->setPaused(true);
  const int64_t atPause = out->playedMicroseconds();
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(out->playedMicroseconds(), atPause);
  out->setPaused(false);
  for (int i = 0; i < 30 && out->playedMicroseconds() == atPause; ++i) written += Play(*out, 100ms);
  EXPECT_GT(out->playedMicroseconds(), atPause);

  // Nothing more written: everything is heard, and the clock stops at its end.
  int64_t last = 0;
  for (int i = 0; i < 300 && out->pending() > 0; ++i) {
    const int64_t now = out->playedMicroseconds();
    EXPECT_GE(now, last);
    last = now;
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(out->pending(), size_t{0});
  EXPECT_EQ(out->playedMicroseconds(), MicrosecondsOf(written));
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(out->playedMicroseconds(), MicrosecondsOf(written));

  Play(*out, 200ms);
  out->clear();
  EXPECT_EQ(out->playedMicroseconds(), 0);
  EXPECT_EQ(out->pending(), size_t{0});
  EXPECT_EQ(out->room(), size_t{48000 / 4});
  int64_t again = 0;
  for (int i = 0; i < 30 && out->playedMicroseconds() == 0; ++i) again += Play(*out, 100ms);
  EXPECT_GT(out->playedMicroseconds(), 0);
  EXPECT_LT(out->playedMicroseconds(), MicrosecondsOf(again));
  EXPECT_TRUE(out->ok());
}

}  // namespace
