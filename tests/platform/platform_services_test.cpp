// Instance locks, message boxes and clipboard text.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/imagefile.h"
#include "platform/instance.h"
#include "platform/menu.h"
#include "platform/test.h"
#include "platform/types.h"
#include "runtime_folder.h"

namespace {

class InstanceLockTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(runtime_.made()); }
  testsupport::PrivateRuntimeFolder runtime_;
  const std::string& dir_ = runtime_.path();
};

TEST_F(InstanceLockTest, ALockIsHeldUntilReleasedAndNamesAreSeparate) {
  auto first = plat::InstanceLock::tryAcquire("direvo_mw0");
  ASSERT_TRUE(first);
  EXPECT_FALSE(plat::InstanceLock::tryAcquire("direvo_mw0"));
  EXPECT_TRUE(plat::InstanceLock::tryAcquire("direvo_mw1"));
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/direvo_mw0.lock"));
  first.reset();
  EXPECT_TRUE(plat::InstanceLock::tryAcquire("direvo_mw0"));
}

TEST_F(InstanceLockTest, ARefusalSaysWhy) {
  auto first = plat::InstanceLock::tryAcquire("direvo_mw5");
  EXPECT_EQ(first.reason, plat::LockError::None);
  auto second = plat::InstanceLock::tryAcquire("direvo_mw5");
  EXPECT_FALSE(second);
  EXPECT_EQ(second.reason, plat::LockError::HeldElsewhere);
  setenv("XDG_RUNTIME_DIR", (dir_ + "/missing").c_str(), 1);
  auto nowhere = plat::InstanceLock::tryAcquire("direvo_mw5");
  EXPECT_FALSE(nowhere);
  EXPECT_EQ(nowhere.reason, plat::LockError::CannotOpen);
}

TEST_F(InstanceLockTest, AnotherProcessSeesTheLockAndItEndsWithThatProcess) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const std::string path = dir_ + "/direvo_mw3.lock";
  const pid_t child = fork();
  if (child == 0) {
    // Only calls that are safe after fork in a threaded process: the lock taken as
    // another program would take it.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT, 0600);
    char c = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
    (void)!write(ready[1], &c, 1);
    pause();  // killed below, lock held
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  EXPECT_FALSE(plat::InstanceLock::tryAcquire("direvo_mw3"));
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_TRUE(plat::InstanceLock::tryAcquire("direvo_mw3"));
  close(ready[0]);
  close(ready[1]);
}

TEST(RuntimeFolder, WithoutTheSessionFolderAPrivateOneIsMade) {
  unsetenv("XDG_RUNTIME_DIR");
  const std::string folder = plat::runtimeFolder();
  EXPECT_EQ(folder, "/tmp/direvo-" + std::to_string(getuid()));
  struct stat st {};
  ASSERT_EQ(stat(folder.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(MessageBoxes, AreRecordedWithTheirTextTitleAndIcon) {
  plat::test::clearMessageBoxes();
  plat::messageBox({}, "Over instance limit!", "DIREVO");
  plat::messageBox({}, "DestroyWindow[IB] Error", "DIREVO Error!", plat::kMbIconError);
  auto shown = plat::test::messageBoxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, "Over instance limit!");
  EXPECT_EQ(shown[0].title, "DIREVO");
  EXPECT_EQ(shown[0].flags, plat::kMbOk);
  EXPECT_EQ(shown[1].flags, plat::kMbIconError);
  plat::test::clearMessageBoxes();
  EXPECT_TRUE(plat::test::messageBoxes().empty());
}

TEST(Clipboard, TextGoesOutAsUtf8AndComesBackAsUtf16) {
  plat::setClipboardText("abc あ\n2nd");
  EXPECT_EQ(plat::clipboardText(), u"abc あ\n2nd");
  plat::setClipboardText("");
  EXPECT_EQ(plat::clipboardText(), u"");
}

TEST(FileDialogs, AnAnswerIsTakenOnceAndACancelKeepsTheFilterIndex) {
  plat::FileDialogParams p;
  p.filters = {{"AVI (*.AVI )", {"*.AVI"}}, {"All (*.*)", {"*.*"}}};
  p.filterIndex = 1;
  plat::test::answerNextFileDialog("/tmp/x.avi", 2);
  EXPECT_EQ(plat::openFileDialog(p), "/tmp/x.avi");
  EXPECT_EQ(p.filterIndex, 2);
  plat::test::answerNextFileDialog("", 1);
  EXPECT_EQ(plat::saveFileDialog(p), "");
  EXPECT_EQ(p.filterIndex, 2);
}

TEST(TestSeams, ResetForgetsAnswersRecordsAndThePinnedScreen) {
  const int screenWidth = plat::systemMetric(plat::Metric::CxScreen);
  plat::test::pinScreenSize(640, 480);
  EXPECT_EQ(plat::systemMetric(plat::Metric::CxScreen), 640);
  plat::test::answerNextMenu(5);
  plat::test::answerNextFileDialog("/tmp/stale.avi");
  plat::messageBox({}, "shown", "DIREVO");
  plat::Menu menu;
  menu.add("One", 1);
  plat::test::answerNextMenu(1);
  plat::test::answerNextMenu(1);
  EXPECT_EQ(plat::trackPopupMenu(menu, {0, 0}, {}), 5);

  plat::test::reset();
  EXPECT_EQ(plat::systemMetric(plat::Metric::CxScreen), screenWidth);
  EXPECT_TRUE(plat::test::messageBoxes().empty());
  EXPECT_FALSE(plat::test::lastMenu().has_value());
  plat::test::answerNextMenu(7);
  EXPECT_EQ(plat::trackPopupMenu(menu, {0, 0}, {}), 7);
  plat::test::answerNextFileDialog("/tmp/fresh.avi");
  plat::FileDialogParams p;
  EXPECT_EQ(plat::openFileDialog(p), "/tmp/fresh.avi");
  plat::test::reset();
}

TEST(StagedImageFile, ARefusalSaysWhyAndACommitPutsTheFileInPlace) {
  auto s = plat::Surface::create(4, 3, 32);
  ASSERT_TRUE(s);
  auto unknown = plat::StagedImageFile::stage(*s, "/tmp/direvo-stage.xyz");
  EXPECT_FALSE(unknown);
  EXPECT_EQ(unknown.reason, plat::ImageFileError::UnknownExtension);
  auto unwritable = plat::StagedImageFile::stage(*s, "/nonexistent-folder/x.png");
  EXPECT_EQ(unwritable.reason, plat::ImageFileError::CannotWrite);

  const std::string path = "/tmp/direvo-stage-" + std::to_string(getpid()) + ".png";
  auto staged = plat::StagedImageFile::stage(*s, path);
  ASSERT_TRUE(staged);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(staged->commit());
  EXPECT_TRUE(std::filesystem::exists(path));
  std::filesystem::remove(path);
}

}  // namespace
