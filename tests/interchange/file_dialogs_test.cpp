// The file dialogs answered through the platform's test seam: what they are shown
// with, and what they remember after a choice, a cancel or a name that does not fit.
#include "interchange/file_dialogs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/library.h"
#include "interchange/interchange.h"
#include "platform/test.h"

namespace {

namespace fs = std::filesystem;

class FileDialogsTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(testing::TempDir()) / "direvo_dialogs";
    fs::create_directories(root_ / "movies");
    fs::create_directories(root_ / "pictures");
    start_ = root_.string() + "/";
    ASSERT_TRUE(interchange::setStartDirectory(root_.string()));  // the "/" is added
    resetLibrary();  // the dialogs' folders and types back to their start
  }
  void TearDown() override { fs::remove_all(root_); }
  std::string Touch(const fs::path& p) {
    std::ofstream{p};
    return p.string();
  }
  fs::path root_;
  std::string start_;
};

TEST_F(FileDialogsTest, OpenStartsOnAviAndRemembersAChoice) {
  plat::FileDialogParams first = interchange::openDialogParams(nullptr);
  EXPECT_EQ(first.filterIndex, 9);
  ASSERT_EQ(first.filters.size(), 9u);
  EXPECT_EQ(first.filters[8].label, "AVI (*.AVI )");
  EXPECT_EQ(first.filters[8].patterns, std::vector<std::string>{"*.AVI"});
  EXPECT_EQ(first.filters[1].patterns, (std::vector<std::string>{"*.BMP", "*.RLE", "*.DIB"}));
  EXPECT_EQ(first.initialName, "*.AVI");
  EXPECT_EQ(first.initialFolder, start_);
  EXPECT_EQ(first.title, "");
  EXPECT_TRUE(first.fileMustExist);
  EXPECT_EQ(interchange::openDialogParams("Load image file").title, "Load image file");

  const std::string picture = Touch(root_ / "pictures" / "a.png");
  char name[kFileNameBytes] = "";
  plat::test::answerNextFileDialog(picture, 5);
  ASSERT_EQ(TAV_OpenFileDialog("Load image file", name), kDialogChosen);
  EXPECT_STREQ(name, picture.c_str());

  plat::FileDialogParams next = interchange::openDialogParams(nullptr);
  EXPECT_EQ(next.filterIndex, 5);
  EXPECT_EQ(next.initialName, "*.PNG");
  EXPECT_EQ(next.initialFolder, (root_ / "pictures").string() + "/");
  // The save dialog keeps its own folder and type.
  EXPECT_EQ(interchange::saveDialogFolder(), start_);
  EXPECT_EQ(ImageFileType, 2);
}

TEST_F(FileDialogsTest, CancelChangesNothing) {
  const std::string movie = Touch(root_ / "movies" / "m.avi");
  char name[kFileNameBytes] = "";
  plat::test::answerNextFileDialog(movie, 1);
  ASSERT_EQ(TAV_OpenFileDialog(nullptr, name), kDialogChosen);

  std::strcpy(name, "previous");
  plat::test::answerNextFileDialog("", 3);
  EXPECT_EQ(TAV_OpenFileDialog(nullptr, name), kDialogCancelled);
  EXPECT_STREQ(name, "previous");
  EXPECT_EQ(interchange::openDialogFilterIndex(), 1);
  EXPECT_EQ(interchange::openDialogFolder(), (root_ / "movies").string() + "/");

  plat::test::answerNextFileDialog("", 5);
  EXPECT_EQ(TAV_SaveFileDialog(name), kDialogCancelled);
  EXPECT_STREQ(name, "previous");
  EXPECT_EQ(ImageFileType, 2);
  EXPECT_EQ(interchange::saveDialogFolder(), start_);
}

TEST_F(FileDialogsTest, SaveStartsOnBmpWithNonameAndRemembersItsOwnState) {
  plat::FileDialogParams first = interchange::saveDialogParams();
  EXPECT_EQ(first.title, "Save as");
  EXPECT_EQ(first.initialName, "noname");
  EXPECT_EQ(first.filterIndex, 2);
  ASSERT_EQ(first.filters.size(), 6u);
  EXPECT_EQ(first.filters[5].label, "TIFF (*.TIF;*.TIFF)");
  EXPECT_TRUE(first.overwritePrompt);
  EXPECT_FALSE(first.fileMustExist);

  const std::string target = (root_ / "pictures" / "out.jpg").string();  // need not exist
  char name[kFileNameBytes] = "";
  plat::test::answerNextFileDialog(target, 3);
  ASSERT_EQ(TAV_SaveFileDialog(name), kDialogChosen);
  EXPECT_STREQ(name, target.c_str());
  EXPECT_EQ(ImageFileType, 3);
  plat::FileDialogParams next = interchange::saveDialogParams();
  EXPECT_EQ(next.filterIndex, 3);
  EXPECT_EQ(next.initialName, "noname");
  EXPECT_EQ(next.initialFolder, (root_ / "pictures").string() + "/");
  EXPECT_EQ(interchange::openDialogFolder(), start_);
  EXPECT_EQ(interchange::openDialogFilterIndex(), 9);
}

TEST_F(FileDialogsTest, ANameThatDoesNotFitIsRefused) {
  // 259 bytes fit with the terminating zero; 260 do not.
  const std::string dir = (root_ / "pictures").string() + "/";
  const std::string fits = dir + std::string(259 - dir.size() - 4, 'f') + ".png";
  const std::string tooLong = dir + std::string(260 - dir.size() - 4, 'g') + ".png";
  ASSERT_EQ(fits.size(), 259u);
  char name[kFileNameBytes + 8];
  std::memset(name, 'x', sizeof name);
  name[kFileNameBytes + 7] = 0;
  const std::string before(name);

  plat::test::answerNextFileDialog(tooLong, 2);
  EXPECT_EQ(TAV_SaveFileDialog(name), kDialogCancelled);
  EXPECT_EQ(std::string(name), before);
  EXPECT_EQ(ImageFileType, 2);
  EXPECT_EQ(interchange::saveDialogFolder(), start_);

  plat::test::answerNextFileDialog(fits, 4);
  EXPECT_EQ(TAV_SaveFileDialog(name), kDialogChosen);
  EXPECT_EQ(std::string(name), fits);
  EXPECT_EQ(name[kFileNameBytes], 'x');  // nothing written past the 260 bytes
  EXPECT_EQ(ImageFileType, 4);
}

TEST_F(FileDialogsTest, AnIndexTheDialogCannotShowKeepsTheOldOne) {
  const std::string movie = Touch(root_ / "movies" / "m.avi");
  char name[kFileNameBytes];
  plat::test::answerNextFileDialog(movie, 12);
  ASSERT_EQ(TAV_OpenFileDialog(nullptr, name), kDialogChosen);
  EXPECT_EQ(interchange::openDialogFilterIndex(), 9);
  plat::test::answerNextFileDialog((root_ / "x.bmp").string(), 7);  // save shows 1..6
  ASSERT_EQ(TAV_SaveFileDialog(name), kDialogChosen);
  EXPECT_EQ(ImageFileType, 2);
}

TEST(FileDialogsStart, StartDirectoryGetsItsSlashAndMustFit) {
  EXPECT_TRUE(interchange::setStartDirectory("/tmp/somewhere"));
  interchange::resetFileDialogs();
  EXPECT_EQ(interchange::openDialogFolder(), "/tmp/somewhere/");
  EXPECT_EQ(interchange::saveDialogParams().initialFolder, "/tmp/somewhere/");
  EXPECT_FALSE(interchange::setStartDirectory(""));
  EXPECT_FALSE(interchange::setStartDirectory("/" + std::string(259, 'd')));
  EXPECT_EQ(interchange::openDialogFolder(), "/tmp/somewhere/");
}

}  // namespace
