// What every fuzz target shares: reading the fuzzer's bytes as a sequence of
// choices and texts, and checking a property (a failed check aborts, so that
// libFuzzer keeps the input and the replay test fails on it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// The entry point of each target: one input, any bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

[[noreturn]] inline void fuzzCheckFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, condition);
  std::abort();
}

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : fuzzCheckFailed(#condition, __FILE__, __LINE__))

// The input read front to back; past its end every read gives zeros and
// empty texts.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size)
      : bytes_(reinterpret_cast<const char*>(data), size) {}

  uint8_t byte() {
    if (bytes_.empty()) return 0;
    const auto b = static_cast<uint8_t>(bytes_.front());
    bytes_.remove_prefix(1);
    return b;
  }
  bool flag() { return byte() & 1; }
  uint16_t u16() { return static_cast<uint16_t>(byte() | byte() << 8); }
  uint32_t u32() { return u16() | static_cast<uint32_t>(u16()) << 16; }
  uint64_t u64() { return u32() | static_cast<uint64_t>(u32()) << 32; }
  // A value in 0 .. count - 1.
  size_t choice(size_t count) { return count == 0 ? 0 : byte() % count; }

  // A text of the length given by the next byte (at most what is left).
  std::string text() { return std::string(take(byte())); }
  // The text up to the next zero byte (or the end), the zero taken too:
  // a field the fuzzer can grow without a length to keep in step.
  std::string field() {
    const size_t end = bytes_.find('\0');
    std::string out(bytes_.substr(0, end));
    bytes_.remove_prefix(end == std::string_view::npos ? bytes_.size() : end + 1);
    return out;
  }
  std::string rest() {
    std::string out(bytes_);
    bytes_ = {};
    return out;
  }
  bool empty() const { return bytes_.empty(); }

 private:
  std::string_view take(size_t n) {
    const std::string_view out = bytes_.substr(0, n);
    bytes_.remove_prefix(out.size());
    return out;
  }
  std::string_view bytes_;
};
