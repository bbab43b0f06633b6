// Panel profiles: what is refused and how it is named, that what is written reads back
// the same, and where the default profile lives.
#include "compose/panel_profile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

namespace {

using compose::Method;
using compose::PanelProfile;
using compose::parsePanelProfile;
using compose::SubpixelOrder;

TEST(PanelProfile, RefusalsNameTheLineAndTheKey) {
  const struct {
    const char* text;
    const char* refusal;  // how the refusal begins
  } cases[] = {
      {"width = 1920\npich = 4\n", "line 2: unknown key \"pich\""},
      {"views = 8\n  [panel]\n", "line 2: a panel profile holds no tables"},
      {"[?dth = 1\n", "line 1: a panel profile holds no tables"},  // toml++ would assert
      {"offset = [\n[1]]\n", "line 2: a panel profile holds no tables"},
      {"views = 8\n# \xD0\x86\n", "line 2: a panel profile is plain ASCII text (found byte 0xD0)"},
      {"panel.views = 8\n", "line 1: unknown key \"panel\""},
      {"width = \"1920\"\n", "line 1: width must be a whole number from 1 to 7680 (got \"1920\")"},
      {"\nheight = 1080.0\n", "line 2: height must be a whole number from 1 to 4320 (got 1080.0)"},
      {"width = 0\n", "line 1: width must be a whole number from 1 to 7680 (got 0)"},
      {"width = 7681\n", "line 1: width"},
      {"height = 4321\n", "line 1: height"},
      {"views = 1\n", "line 1: views must be a whole number from 2 to 180 (got 1)"},
      {"views = 181\n", "line 1: views"},
      {"views = 4294967298\n", "line 1: views"},  // not cut to 2 on the way
      {"pitch = 0\n", "line 1: pitch must be a finite number other than 0 (got 0)"},
      {"pitch = nan\n", "line 1: pitch must be a finite number other than 0 (got nan)"},
      {"slant = -inf\n", "line 1: slant must be a finite number (got -inf)"},
      {"offset = true\n", "line 1: offset must be a finite number (got true)"},
      {"offset = [1]\n", "line 1: offset must be a finite number (got an array)"},
      {"subpixels = \"RGB\"\n", "line 1: subpixels must be \"rgb\" or \"bgr\" (got \"RGB\")"},
      {"method = \"fast\"\n", "line 1: method must be \"stable\", \"beta\" or \"fine\""},
      {"views = 8\n\nmethod = 1979-05-27\n", "line 3: method must be"},
      // Two faults: the first line's is named, whatever the keys' order.
      {"width = 0\nmethod = 2\n", "line 1: width"},
      {"zoom = 2\nheight = 0\n", "line 1: unknown key \"zoom\""},
      {"views = 8\nviews = 9\n", "line 2: "},  // TOML's own word on a key given twice
      {"views = \n", "line 1: "},
  };
  for (const auto& c : cases) {
    const compose::PanelProfileReading r = parsePanelProfile(c.text);
    EXPECT_FALSE(r.ok()) << c.text;
    EXPECT_EQ(r.refusal.rfind(c.refusal, 0), 0u) << c.text << " gave: " << r.refusal;
    EXPECT_EQ(r.refusal.find('\n'), std::string::npos) << r.refusal;
    EXPECT_EQ(r.profile, PanelProfile{}) << c.text;
  }
}

TEST(PanelProfile, ReadsWhatItIsGivenAndNothingElse) {
  const compose::PanelProfileReading r = parsePanelProfile(
      "# a 4K panel\nwidth = 3840\npitch = 5  # whole numbers are numbers too\n"
      "slant = -0.2222\nsubpixels = 'bgr'\nmethod = \"fine\"\n");
  ASSERT_TRUE(r.ok()) << r.refusal;
  PanelProfile expected;
  expected.width = 3840;
  expected.pitch = 5.0;
  expected.slant = -0.2222;
  expected.subpixels = SubpixelOrder::Bgr;
  expected.method = Method::Fine;
  EXPECT_EQ(r.profile, expected);
  EXPECT_TRUE(parsePanelProfile("").ok());
}

TEST(PanelProfile, WrittenProfilesReadBackBitForBit) {
  std::mt19937_64 rng(24);
  const double awkward[] = {17.319, 0.1 + 0.2, 1e-300, -4.6666666666666667, 1e22, 5e-324, 1.0};
  for (int i = 0; i < 200; ++i) {
    PanelProfile p;
    auto some = [&] { return rng() % 4 != 0; };  // each key left out now and then
    auto real = [&] {
      const double r = std::uniform_real_distribution<double>(-50, 50)(rng);
      return i % 2 ? r : awkward[rng() % std::size(awkward)] * (rng() % 2 ? 1 : -1);
    };
    if (some()) p.width = 1 + static_cast<int>(rng() % 7680);
    if (some()) p.height = 1 + static_cast<int>(rng() % 4320);
    if (some()) p.views = 2 + static_cast<int>(rng() % 179);
    if (some()) p.pitch = real();
    if (some()) p.slant = real();
    if (some()) p.offset = real();
    if (some()) p.subpixels = rng() % 2 ? SubpixelOrder::Rgb : SubpixelOrder::Bgr;
    if (some()) p.method = static_cast<Method>(rng() % 3);
    const std::string text = compose::formatPanelProfile(p);
    const compose::PanelProfileReading r = parsePanelProfile(text);
    ASSERT_TRUE(r.ok()) << text << r.refusal;
    ASSERT_EQ(r.profile, p) << text;
  }
}

// Sets an environment variable for one scope, or unsets it (nullopt).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(PanelProfile, DefaultPlaceFollowsTheConfigFolder) {
  const struct {
    std::optional<std::string> config, home;
    const char* path;
  } cases[] = {
      {"/cfg", "/home/u", "/cfg/direvo/panel.toml"},
      {"", "/home/u", "/home/u/.config/direvo/panel.toml"},
      {"relative", "/home/u", "/home/u/.config/direvo/panel.toml"},  // not a config folder
      {std::nullopt, "/home/u", "/home/u/.config/direvo/panel.toml"},
      {std::nullopt, std::nullopt, ""},
  };
  for (const auto& c : cases) {
    ScopedEnv config("XDG_CONFIG_HOME", c.config);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(compose::defaultPanelProfilePath(), c.path);
  }
}

TEST(PanelProfile, FilesAreWrittenWholeAndRefusedByName) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(testing::TempDir()) / "direvo-panel-test";
  fs::remove_all(dir);
  PanelProfile p;
  p.views = 12;
  p.pitch = -3.25;
  const std::string path = (dir / "new" / "folder" / "panel.toml").string();
  ASSERT_EQ(compose::writePanelProfileFile(path, p), "");  // the folders are made
  EXPECT_FALSE(fs::exists(path + ".part"));
  const compose::PanelProfileReading back = compose::readPanelProfileFile(path);
  ASSERT_TRUE(back.ok()) << back.refusal;
  EXPECT_EQ(back.profile, p);

  // A folder where the file should be: nothing written, the reason said.
  fs::create_directories(dir / "taken.toml");
  EXPECT_NE(compose::writePanelProfileFile((dir / "taken.toml").string(), p), "");
  EXPECT_TRUE(fs::is_directory(dir / "taken.toml"));

  std::ofstream(dir / "bad.toml") << "views = 8\nwidth = -1\n";
  EXPECT_EQ(compose::readPanelProfileFile((dir / "bad.toml").string()).refusal,
            (dir / "bad.toml").string() +
                ": line 2: width must be a whole number from 1 to 7680 (got -1)");
  std::ofstream(dir / "big.toml") << std::string(70000, '#');
  EXPECT_NE(compose::readPanelProfileFile((dir / "big.toml").string()).refusal.find("over 64 KiB"),
            std::string::npos);
  EXPECT_FALSE(compose::readPanelProfileFile((dir / "none.toml").string()).ok());
  fs::remove_all(dir);
}

}  // namespace
