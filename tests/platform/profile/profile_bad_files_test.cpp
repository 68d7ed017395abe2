// Files the program did not write itself: reads make sense of them and
// writes keep every byte they do not touch.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "platform/profile/private_profile.h"
#include "platform/text/gbk.h"
#include "profile_test_support.h"

using namespace std::string_literals;

namespace {

class BadProfileFile : public ProfileTest {};

// While a test runs, opens the writing end of a FIFO every two seconds, which
// releases a reader stalled in opening it; released() tells whether one was.
class FifoWatch {
 public:
  explicit FifoWatch(std::string path)
      : thread_([this, path = std::move(path)] {
          std::unique_lock lock(mutex_);
          while (!wake_.wait_for(lock, std::chrono::seconds(2), [this] { return done_; })) {
            const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
              released_ = true;
              ::close(fd);
            }
          }
        }) {}
  bool released() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    thread_.join();
    return released_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  bool released_ = false;
  std::thread thread_;
};

TEST_F(BadProfileFile, NoSectionsAtAll) {
  const std::string before = "just some text\r\nk=v\r\n";
  writeBytes(hostIni(), before);
  EXPECT_EQ(get("k", "k", "d"), "d\0"s);
  EXPECT_EQ(get(nullptr, nullptr), "\0"s);
  ASSERT_NE(put("s", "k", "1"), 0);
  EXPECT_EQ(readBytes(hostIni()), before + "[s]\r\nk=1\r\n");
}

TEST_F(BadProfileFile, KeysWithoutEqualsSignAreNeitherReadNorLost) {
  const std::string before = "[s]\r\nlonely\r\nk=v\r\n=no key\r\n";
  writeBytes(hostIni(), before);
  EXPECT_EQ(get("s", "lonely", "d"), "d\0"s);
  EXPECT_EQ(get("s", nullptr), "k\0\0"s);
  ASSERT_NE(put("s", "lonely", "now"), 0);
  EXPECT_EQ(readBytes(hostIni()), before + "lonely=now\r\n");
  EXPECT_EQ(get("s", "lonely"), "now\0"s);
}

TEST_F(BadProfileFile, VeryLongLines) {
  const std::string longValue(300000, 'x');
  const std::string junk(200000, 'j');
  const std::string before = junk + "\r\n[s]\r\nlong=" + longValue + "\r\n";
  writeBytes(hostIni(), before);
  uint32_t n = 0;
  std::string read = get("s", "long", "", 10240, &n);
  EXPECT_EQ(n, 10239u);
  EXPECT_EQ(read, std::string(10239, 'x') + "\0"s);
  EXPECT_EQ(get("s", "long", "", 400000, &n).size(), 300001u);
  ASSERT_NE(put("s", "k", "v"), 0);
  EXPECT_EQ(readBytes(hostIni()), before + "k=v\r\n");
}

TEST_F(BadProfileFile, NulBytesEndAValueButSurviveWrites) {
  const std::string before = "[s]\r\nk=ab\0cd\r\n\0\0\0\r\n[t]\r\nx=1\r\n"s;
  writeBytes(hostIni(), before);
  EXPECT_EQ(get("s", "k"), "ab\0"s);
  EXPECT_EQ(get("t", "x"), "1\0"s);
  ASSERT_NE(put("t", "x", "2"), 0);
  EXPECT_EQ(readBytes(hostIni()), "[s]\r\nk=ab\0cd\r\n\0\0\0\r\n[t]\r\nx=2\r\n"s);
}

TEST_F(BadProfileFile, Utf8ByteOrderMarkIsSkippedAndKept) {
  const std::string bom = "\xEF\xBB\xBF";
  writeBytes(hostIni(), bom + "[s]\r\nk=v\r\n");
  EXPECT_EQ(get("s", "k"), "v\0"s);
  EXPECT_EQ(get(nullptr, nullptr), "s\0\0"s);
  ASSERT_NE(put("s", nullptr, nullptr), 0);
  EXPECT_EQ(readBytes(hostIni()), bom);
  ASSERT_NE(put("t", "k", "v"), 0);
  EXPECT_EQ(readBytes(hostIni()), bom + "[t]\r\nk=v\r\n");
}

TEST_F(BadProfileFile, LfOnlyLinesAndAMissingLastLineEnd) {
  writeBytes(hostIni(), "[s]\nk=v\n[t]\nx=1");
  EXPECT_EQ(get("s", "k"), "v\0"s);
  EXPECT_EQ(get("t", "x"), "1\0"s);
  ASSERT_NE(put("s", "new", "n"), 0);
  ASSERT_NE(put("t", "y", "2"), 0);
  EXPECT_EQ(readBytes(hostIni()), "[s]\nk=v\nnew=n\r\n[t]\nx=1\r\ny=2\r\n");
}

TEST_F(BadProfileFile, UnclosedSectionHeaderAndBlanksEverywhere) {
  writeBytes(hostIni(), "  [ open \r\n\t key \t=\t value \t\r\n");
  EXPECT_EQ(get("open", "key"), "value\0"s);
  ASSERT_NE(put("OPEN", "KEY", "other"), 0);
  EXPECT_EQ(readBytes(hostIni()), "  [ open \r\n\t key \t=\t other \t\r\n");
}

TEST_F(BadProfileFile, AFolderOrAFifoWhereTheFileShouldBe) {
  // Neither can be read as a file, and nothing may replace them; a FIFO
  // must not stall the read (nobody ever writes into it).
  const std::pair<const char*, std::function<void(const std::string&)>> places[] = {
      {"folder", [](const std::string& path) { std::filesystem::create_directories(path); }},
      {"fifo", [](const std::string& path) {
         std::filesystem::create_directories(std::filesystem::path(path).parent_path());
         ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
       }},
  };
  for (const auto& [kind, make] : places) {
    SCOPED_TRACE(kind);
    make(hostIni());
    const auto type = std::filesystem::status(hostIni()).type();
    FifoWatch watch(hostIni());
    EXPECT_EQ(get("s", "k", "d"), "d\0"s);
    EXPECT_EQ(get(nullptr, nullptr), "\0"s);
    EXPECT_EQ(put("s", "k", "v"), 0);
    EXPECT_FALSE(watch.released()) << "a read waited for a writer";
    EXPECT_EQ(std::filesystem::status(hostIni()).type(), type);
    std::filesystem::remove(hostIni());
  }
}

// Lone CR ends a line as CR LF and LF do: the same entries in all three
// files, and a write keeps each file's own line ends.
TEST_F(BadProfileFile, CrOnlyLfOnlyAndCrLfFilesReadAndWriteAlike) {
  const struct {
    const char* name;
    std::string end;
  } files[] = {{"CR LF", "\r\n"}, {"LF", "\n"}, {"CR", "\r"}};
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    const std::string& e = file.end;
    writeBytes(hostIni(), "; notes" + e + "[a]" + e + "x=1" + e + "y = \"two\"" + e + e + "[b]" + e + "z=3");
    EXPECT_EQ(get("a", "x"), "1\0"s);
    EXPECT_EQ(get("a", "y"), "two\0"s);
    EXPECT_EQ(get("b", "z"), "3\0"s);
    EXPECT_EQ(get(nullptr, nullptr), "a\0b\0\0"s);
    EXPECT_EQ(get("a", nullptr), "x\0y\0\0"s);
    ASSERT_NE(put("a", "x", "10"), 0);
    ASSERT_NE(put("a", "w", "4"), 0);
    ASSERT_NE(put("b", "v", "5"), 0);
    EXPECT_EQ(readBytes(hostIni()), "; notes" + e + "[a]" + e + "x=10" + e + "y = \"two\"" + e + "w=4\r\n" + e +
                                        "[b]" + e + "z=3\r\nv=5\r\n");
    ASSERT_NE(put("a", "y", nullptr), 0);
    ASSERT_NE(put("b", nullptr, nullptr), 0);
    EXPECT_EQ(readBytes(hostIni()), "; notes" + e + "[a]" + e + "x=10" + e + "w=4\r\n" + e);
    EXPECT_EQ(get("a", "w"), "4\0"s);
  }
}

}  // namespace
