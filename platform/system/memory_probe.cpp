#include "platform/system/memory_probe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// An open pipe for one test, closed on destruction.
struct ProbePipe {
  int fds[2] = {-1, -1};
  ProbePipe() {
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) fds[0] = fds[1] = -1;
  }
  ~ProbePipe() {
    for (int fd : fds)
      if (fd >= 0) ::close(fd);
  }
  bool open() const { return fds[0] >= 0; }
  void drain() const {
    char sink[4096];
    while (::read(fds[0], sink, sizeof sink) > 0) {
    }
  }
};

}  // namespace

bool IsBadReadPtr(const void* address, std::size_t bytes) {
  if (bytes == 0) return false;
  if (!address) return true;
  const auto start = reinterpret_cast<std::uintptr_t>(address);
  if (start + bytes < start) return true;  // the range wraps around

  ProbePipe pipe;
  if (!pipe.open()) return true;  // cannot tell: treat as unreadable
  const char* at = static_cast<const char*>(address);
  std::size_t left = bytes;
  while (left > 0) {
    const std::size_t chunk = left < 4096 ? left : 4096;
    const ssize_t written = ::write(pipe.fds[1], at, chunk);
    if (written > 0) {
      at += written;
      left -= static_cast<std::size_t>(written);
      pipe.drain();
    } else if (written < 0 && errno == EINTR) {
      continue;
    } else if (written < 0 && errno == EAGAIN) {
      pipe.drain();
    } else {
      return true;  // EFAULT: a byte that cannot be read
    }
  }
  return false;
}

bool IsBadCodePtr(const void* address) {
  if (!address) return true;
  const auto target = reinterpret_cast<std::uintptr_t>(address);
  FILE* maps = std::fopen("/proc/self/maps", "re");
  if (!maps) return true;
  bool executable = false;
  char line[512];
  // Each line: "start-end perms offset dev inode [path]"; lines longer than
  // the buffer continue on the next read and never start with an address range.
  bool lineStart = true;
  while (std::fgets(line, sizeof line, maps)) {
    const bool wasLineStart = lineStart;
    lineStart = std::strchr(line, '\n') != nullptr;
    if (!wasLineStart) continue;
    unsigned long long low = 0, high = 0;
    char perms[5] = {};
    if (std::sscanf(line, "%llx-%llx %4s", &low, &high, perms) != 3) continue;
    if (target >= low && target < high) {
      executable = perms[2] == 'x';
      break;
    }
  }
  std::fclose(maps);
  return !executable;
}
