// The sound decoder on small movies the ffmpeg program makes: its samples against what
// that program decodes of the same file, its block times on the pictures' clock, seeks,
// and the files it cannot play.
#include "movie/sound_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "movie/movie_decoder.h"

namespace {

using movie::SoundBlock;
using movie::SoundDecoder;

constexpr int kRate = 48000, kChannels = 2;

std::string TempPath(const std::string& name) {
  return (std::filesystem::path(testing::TempDir()) / name).string();
}

bool HaveFfmpeg() {
  return std::system("ffmpeg -version >/dev/null 2>&1") == 0;
}

bool Ffmpeg(const std::string& args) {
  return std::system(("ffmpeg -v error -y " + args).c_str()) == 0;
}

// What the ffmpeg program decodes of the file: 16-bit stereo at 48 kHz.
std::vector<int16_t> Reference(const std::string& path) {
  std::vector<int16_t> samples;
  FILE* p = popen(("ffmpeg -v error -i '" + path + "' -f s16le -ac 2 -ar 48000 -").c_str(), "r");
  if (!p) return samples;
  int16_t buf[4096];
  size_t got;
  while ((got = std::fread(buf, sizeof(int16_t), 4096, p)) > 0) {
    samples.insert(samples.end(), buf, buf + got);
  }
  pclose(p);
  return samples;
}

struct Decoded {
  std::vector<int16_t> samples;
  std::vector<SoundBlock> blocks;  // their times and sizes (samples moved out)
};

Decoded ReadAll(SoundDecoder& d) {
  Decoded all;
  SoundBlock b;
  while (d.read(b)) {
    all.samples.insert(all.samples.end(), b.samples.begin(), b.samples.end());
    all.blocks.push_back(b);
  }
  return all;
}

// The largest difference between two runs of samples; their lengths must agree.
int LargestDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b, size_t from) {
  int largest = 0;
  for (size_t i = 0; i + from < a.size() && i < b.size(); ++i) {
    largest = std::max(largest, std::abs(int{a[i + from]} - int{b[i]}));
  }
  return largest;
}

class SoundDecoderTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!HaveFfmpeg()) return;
    const std::string pictures = "-f lavfi -i testsrc=size=96x64:rate=25 ";
    // 48 kHz stereo AAC: converting it is only float to 16-bit.
    made = Ffmpeg(pictures +
                  "-f lavfi -i sine=frequency=440:sample_rate=48000 -t 1.5 -ac 2 -c:v libx264 "
                  "-pix_fmt yuv420p -c:a aac " +
                  TempPath("tone.mp4")) &&
           // 44.1 kHz mono Vorbis half a second after the pictures, both 10 s after the
           // file's zero: resampled, and timed from the pictures' first frame.
           Ffmpeg(pictures +
                  "-itsoffset 0.5 -f lavfi -i sine=frequency=300:sample_rate=44100 -t 1.5 "
                  "-c:v libx264 -c:a libvorbis -output_ts_offset 10 " +
                  TempPath("late.mkv")) &&
           Ffmpeg(pictures + "-t 0.4 -c:v libx264 " + TempPath("silent.mp4"));
    std::ofstream(TempPath("words.mp4")) << "no movie here\n";
  }
  void SetUp() override {
    if (!HaveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
    ASSERT_TRUE(made);
  }
  static inline bool made = false;
};

// Each movie whole: the same samples as the ffmpeg program gives (exactly where only
// the sample format changes, within a small step where the rate changes too), blocks
// that follow each other without gap, and the first one at the time the sound starts
// on the pictures' clock (the first picture's time is 0).
TEST_F(SoundDecoderTest, SamplesAndTimesMatchTheFfmpegProgram) {
  struct Case {
    const char* file;
    int tolerance;           // the largest sample difference allowed
    double firstMsec;        // where the sound starts after the first picture
    double firstMsecWithin;  // how closely the container's time stamps say so
  };
  const Case cases[] = {
      {"tone.mp4", 0, 0, 0.01},
      {"late.mkv", 2, 500, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = TempPath(c.file);
    std::string why;
    auto d = SoundDecoder::open(path, kRate, kChannels, &why);
    ASSERT_TRUE(d) << why;
    EXPECT_EQ(d->sampleRate(), kRate);
    EXPECT_EQ(d->channels(), kChannels);
    const Decoded all = ReadAll(*d);
    const std::vector<int16_t> reference = Reference(path);
    ASSERT_GT(reference.size(), size_t{kRate});  // over half a second of stereo
    EXPECT_EQ(all.samples.size(), reference.size());
    EXPECT_LE(LargestDifference(all.samples, reference, 0), c.tolerance);

    int error = 0;
    auto pictures = movie::MovieDecoder::open(path, &error);
    ASSERT_TRUE(pictures);
    movie::DecodedFrame first;
    ASSERT_TRUE(pictures->read(first));
    EXPECT_NEAR(first.msec, 0, 1e-9);
    ASSERT_FALSE(all.blocks.empty());
    EXPECT_NEAR(all.blocks[0].msec, c.firstMsec, c.firstMsecWithin);
    for (size_t i = 1; i < all.blocks.size(); ++i) {
      const SoundBlock& before = all.blocks[i - 1];
      const double end = before.msec + before.frames(kChannels) * 1000.0 / kRate;
      ASSERT_NEAR(all.blocks[i].msec, end, 1000.0 / kRate) << "block " << i;
    }
  }
}

// A seek: the next block starts with the sample at the time asked for (the sample a
// read from the start gives there), whichever way the decoder stood; a time before the
// sound gives its first sample; past its end there is nothing. Samples decoded after a
// seek may differ from a whole read by a step or so (the AAC decoder's noise filling
// runs on from where it stood); a sample too early or late differs by hundreds.
// The start is read exactly as at first, with the packet before the first time stamp
// that AAC's encoder delay puts there.
TEST_F(SoundDecoderTest, ASeekStartsAtTheSampleAskedFor) {
  const std::string path = TempPath("tone.mp4");
  const std::vector<int16_t> reference = Reference(path);
  auto d = SoundDecoder::open(path, kRate, kChannels, nullptr);
  ASSERT_TRUE(d);
  SoundBlock b;
  const struct {
    double msec;
    int tolerance;
  } seeks[] = {{600, 4}, {1200, 4}, {300, 4}, {0, 0}, {977.5, 4}, {10, 0}};
  for (const auto& seek : seeks) {
    SCOPED_TRACE(seek.msec);
    ASSERT_TRUE(d->seekToMsec(seek.msec));
    ASSERT_TRUE(d->read(b));
    EXPECT_NEAR(b.msec, seek.msec, 1000.0 / kRate);
    const size_t at = static_cast<size_t>(std::lround(b.msec * kRate / 1000)) * kChannels;
    ASSERT_GT(b.samples.size(), size_t{0});
    EXPECT_LE(LargestDifference(reference, b.samples, at), seek.tolerance);
    ASSERT_TRUE(d->read(b));  // and reads on from there
  }
  EXPECT_FALSE(d->seekToMsec(5000));
  EXPECT_FALSE(d->read(b));

  auto late = SoundDecoder::open(TempPath("late.mkv"), kRate, kChannels, nullptr);
  ASSERT_TRUE(late);
  ASSERT_TRUE(late->seekToMsec(100));
  ASSERT_TRUE(late->read(b));
  EXPECT_NEAR(b.msec, 500, 5);  // where its sound starts
}

TEST_F(SoundDecoderTest, FilesWithoutSoundToPlayAreRefusedWithTheReason) {
  struct Case {
    std::string path;
    int rate, channels;
    const char* why;
  };
  const Case cases[] = {
      {TempPath("silent.mp4"), kRate, kChannels, "it has no sound"},
      {TempPath("words.mp4"), kRate, kChannels, "it is not a movie or sound file that can be read"},
      {TempPath("absent.mp4"), kRate, kChannels,
       "it is not a movie or sound file that can be read"},
      {TempPath("tone.mp4"), 0, kChannels, "the sound cannot be played at 0 Hz with 2 channels"},
      {TempPath("tone.mp4"), kRate, 0, "the sound cannot be played at 48000 Hz with 0 channels"},
  };
  for (const Case& c : cases) {
    std::string why = "stale";
    EXPECT_FALSE(SoundDecoder::open(c.path, c.rate, c.channels, &why)) << c.path;
    EXPECT_EQ(why, c.why) << c.path;
  }
}

}  // namespace
