// Replays a fuzz target's seed corpus and the inputs its fuzzing found
// (fuzz/corpus/TARGET, fuzz/regressions/TARGET) through the target's own
// LLVMFuzzerTestOneInput, without libFuzzer: one test per file. A broken
// property aborts the test with the property on stderr; a crash, leak or
// undefined behaviour shows in the sanitized suite.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputFiles() {
  std::vector<fs::path> files;
  for (const char* folder : {FUZZ_CORPUS_DIR, FUZZ_REGRESSIONS_DIR}) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
      if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
        files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class FuzzReplay : public testing::TestWithParam<fs::path> {};

TEST_P(FuzzReplay, Input) {
  std::ifstream in(GetParam(), std::ios::binary);
  ASSERT_TRUE(in) << GetParam();
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// "corpus_NAME" or "regressions_NAME", letters and digits only.
std::string testName(const testing::TestParamInfo<fs::path>& info) {
  std::string name = info.param.parent_path().parent_path().filename().string() + "_" +
                     info.param.filename().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Files, FuzzReplay, testing::ValuesIn(inputFiles()), testName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(FuzzReplay);

}  // namespace
