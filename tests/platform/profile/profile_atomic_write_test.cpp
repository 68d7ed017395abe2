// A write never leaves a damaged file: a kill between writing and renaming
// leaves the old file, and a file that cannot be written or read stays as it
// was. Rights are tested in a child process that, under root, drops to an
// unprivileged user owning the folder and the file, so that the file's mode
// is what is tested.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/profile/atomic_file.h"
#include "platform/profile/private_profile.h"
#include "profile_test_support.h"

using namespace std::string_literals;

namespace {

constexpr int CannotDropRights = 101;
constexpr int CannotReadTheFile = 102;
constexpr uid_t Nobody = 65534;

// Runs `step` in a child process, without root's rights when the tests run
// as root (root writes into read-only folders). Gives the child's exit code,
// or 128 + signal when it was killed.
int inChildProcess(const std::function<int()>& step, bool unprivileged) {
  pid_t pid = ::fork();
  if (pid == 0) {
    if (unprivileged && ::geteuid() == 0 && (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)) _exit(CannotDropRights);
    _exit(step());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

class AtomicProfileWrite : public ProfileTest {
 protected:
  // Under root the write runs as an unprivileged user who owns the folder
  // and the file, so that only the file's own mode can stop it (root's
  // rights would override the mode, a foreign folder would stop any write).
  void handToTheWriter() {
    if (::geteuid() != 0) return;
    ASSERT_EQ(::chown(folder().c_str(), Nobody, Nobody), 0);
    ASSERT_EQ(::chown(hostIni().c_str(), Nobody, Nobody), 0);
  }
  // The write as the unprivileged child sees it: the file must be readable
  // there, or a refused write would prove nothing.
  int unprivilegedPut() {
    return inChildProcess(
        [&] { return get("s", "k") != "old\0"s ? CannotReadTheFile : put("s", "k", "new"); }, true);
  }

  const std::string before = "; operator's notes\r\n[s]\r\nk=old\r\n";
  std::string folder() const { return prefix_ + "/drive_c/Windows"; }
};

TEST_F(AtomicProfileWrite, KillBetweenWritingAndRenamingLeavesTheOldFile) {
  writeBytes(hostIni(), before);
  int result = inChildProcess(
      [&] {
        setBeforeRenameHookForTesting([](const std::string&) { ::raise(SIGKILL); });
        return put("s", "k", "new") ? 0 : 1;
      },
      false);
  EXPECT_EQ(result, 128 + SIGKILL);
  EXPECT_EQ(readBytes(hostIni()), before);
  EXPECT_EQ(get("s", "k"), "old\0"s);

  // The temporary file of the killed write is complete, and it does not
  // disturb later writes.
  ASSERT_NE(put("s", "k", "newer"), 0);
  EXPECT_EQ(readBytes(hostIni()), "; operator's notes\r\n[s]\r\nk=newer\r\n");
}

TEST_F(AtomicProfileWrite, TheTemporaryFileHoldsTheWholeNewTextBeforeTheRename) {
  writeBytes(hostIni(), before);
  std::string seenTemp, seenTarget;
  setBeforeRenameHookForTesting([&](const std::string& temp) {
    seenTemp = readBytes(temp);
    seenTarget = readBytes(hostIni());
  });
  ASSERT_NE(put("s", "k", "new"), 0);
  setBeforeRenameHookForTesting(nullptr);
  EXPECT_EQ(seenTemp, "; operator's notes\r\n[s]\r\nk=new\r\n");
  EXPECT_EQ(seenTarget, before);
  EXPECT_EQ(listFolder(folder()), "Kestrune.ini;");
}

TEST_F(AtomicProfileWrite, ReadOnlyFolderLeavesTheOldFileAndReportsFailure) {
  writeBytes(hostIni(), before);
  handToTheWriter();
  ::chmod(folder().c_str(), 0555);
  int result = unprivilegedPut();
  ::chmod(folder().c_str(), 0755);
  if (result == CannotDropRights) GTEST_SKIP() << "running as root without the right to drop it";
  EXPECT_EQ(result, 0);
  EXPECT_EQ(readBytes(hostIni()), before);
  EXPECT_EQ(listFolder(folder()), "Kestrune.ini;");
}

TEST_F(AtomicProfileWrite, FileWithoutWriteRightsIsNotReplaced) {
  writeBytes(hostIni(), before);
  handToTheWriter();
  ::chmod(hostIni().c_str(), 0444);
  int result = unprivilegedPut();
  if (result == CannotDropRights) GTEST_SKIP() << "running as root without the right to drop it";
  EXPECT_EQ(result, 0);
  EXPECT_EQ(readBytes(hostIni()), before);
}

// A colour save must not replace the operator's whole file by one key.
TEST_F(AtomicProfileWrite, FileThatCannotBeReadIsNotReplaced) {
  writeBytes(hostIni(), before);
  handToTheWriter();
  ::chmod(hostIni().c_str(), 0200);  // the writer may write it, but not read it
  int result = inChildProcess(
      [&] {
        if (get("s", "k", "unread") != "unread\0"s) return CannotReadTheFile + 1;  // it could be read
        return put("s", "k", "new");
      },
      true);
  ::chmod(hostIni().c_str(), 0644);
  if (result == CannotDropRights) GTEST_SKIP() << "running as root without the right to drop it";
  EXPECT_EQ(result, 0);
  EXPECT_EQ(readBytes(hostIni()), before);
}

TEST_F(AtomicProfileWrite, ReplacedFileKeepsItsPermissionsAndLinksAreWrittenThrough) {
  std::string real = prefix_ + "/real.ini";
  writeBytes(real, before);
  ::chmod(real.c_str(), 0640);
  std::filesystem::create_directories(folder());
  std::filesystem::create_symlink(real, hostIni());
  ASSERT_NE(put("s", "k", "new"), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(hostIni()));
  EXPECT_EQ(readBytes(real), "; operator's notes\r\n[s]\r\nk=new\r\n");
  struct stat st {};
  ::stat(real.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(AtomicProfileWrite, FolderThatCannotBeCreatedFailsTheWrite) {
  writeBytes(prefix_ + "/drive_c/Windows", "a file, not a folder");
  EXPECT_EQ(put("s", "k", "v"), 0);
  EXPECT_EQ(readBytes(prefix_ + "/drive_c/Windows"), "a file, not a folder");
}

}  // namespace
