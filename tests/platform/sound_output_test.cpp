// The sound output where there is no sound server: it says so at once, quietly, and the
// program goes on without sound.
#include "platform/sound_output.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <utility>

namespace {

using plat::SoundOutput;

// Whatever the machine running the tests has: a sound server that is not there. Set
// before the first sound call of the program, which is when the server is looked for.
void NoSoundServer() {
  setenv("PULSE_SERVER", "unix:/nonexistent/direvo-no-sound-server", 1);
  setenv("PULSE_CLIENTCONFIG", "/dev/null", 1);
}

TEST(NoSoundServer, OpeningSaysThereIsNoDeviceWithinASecond) {
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

}  // namespace
