#include "platform/system/shell.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cerrno>
#include <cstring>
#include <string>

extern char** environ;

namespace {

HINSTANCE shellResult(intptr_t code) { return reinterpret_cast<HINSTANCE>(code); }

constexpr intptr_t SE_ERR_FNF = 2;
constexpr intptr_t SE_ERR_NOASSOC = 31;
constexpr intptr_t ShellSuccess = 42;

bool isEmpty(const char* text) { return !text || !*text; }

// Starts `handler file` in a grandchild of its own session, so it outlives
// nothing of ours and leaves no zombie behind. True when exec succeeded.
bool spawnDetached(const char* handler, const std::string& file) {
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return false;
  const pid_t child = fork();
  if (child < 0) {
    close(report[0]);
    close(report[1]);
    return false;
  }
  if (child == 0) {
    close(report[0]);
    setsid();
    const pid_t grandchild = fork();
    if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
    const int devnull = open("/dev/null", O_RDWR);
    if (devnull >= 0) {
      dup2(devnull, STDIN_FILENO);
      dup2(devnull, STDOUT_FILENO);
    }
    char* const argv[] = {const_cast<char*>(handler), const_cast<char*>(file.c_str()), nullptr};
    execvp(handler, argv);
    const int error = errno;
    (void)!write(report[1], &error, sizeof error);
    _exit(127);
  }
  close(report[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  // The write end closes on a successful exec (close-on-exec) or after the
  // error number was written.
  int error = 0;
  ssize_t n;
  while ((n = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

}  // namespace

HINSTANCE ShellExecuteA(HWND, const char* verb, const char* file, const char* parameters,
                        const char* directory, int) {
  if (!isEmpty(verb) && std::strcmp(verb, "open") != 0) return shellResult(SE_ERR_NOASSOC);
  if (isEmpty(file) || !isEmpty(parameters) || !isEmpty(directory)) return shellResult(SE_ERR_FNF);
  return shellResult(spawnDetached("xdg-open", file) ? ShellSuccess : SE_ERR_FNF);
}
