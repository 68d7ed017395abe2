// The GUI runtime: the application object, the message loop, the exit
// routines, the message box and the fatal-error report.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/text/text.h"

namespace gui {

class GuiRuntime {
 public:
  // Starts the GUI for the calling thread. The program reads no command
  // line, and the runtime gives Qt no program name either: Qt would show it
  // as the title of a window whose own title is empty.
  GuiRuntime();
  // The end of the program: runs the exit routines, in the order they were
  // registered, while the GUI still exists.
  ~GuiRuntime();
  GuiRuntime(const GuiRuntime&) = delete;
  GuiRuntime& operator=(const GuiRuntime&) = delete;

  // Registers a routine to run when the program ends (when the runtime is
  // destroyed). A process ended otherwise, by a fatal error or from
  // outside, runs none.
  void onExit(std::function<void()> routine);

  // Runs the message loop until the last window has closed; returns 0.
  int runMessageLoop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace gui

#ifdef _WIN32
#include "platform/windows_sdk.h"  // MessageBoxA and its MB_* types
#else
// Message box types and results used by the program.
inline constexpr uint32_t MB_OK = 0x0;
inline constexpr uint32_t MB_ICONERROR = 0x10;
inline constexpr uint32_t MB_ICONQUESTION = 0x20;
inline constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
inline constexpr uint32_t MB_ICONINFORMATION = 0x40;
inline constexpr uint32_t MB_ICONMASK = 0xF0;
inline constexpr uint32_t MB_TASKMODAL = 0x2000;
inline constexpr int IDOK = 1;

// Shows a modal message box with GBK `text`, `caption` (its window title) and
// the icon of `type`, with one OK button; returns IDOK when it is dismissed.
// With no owner, MB_TASKMODAL and plain boxes alike block every window of
// the program (application-modal).
int MessageBoxA(void* owner, const char* text, const char* caption, uint32_t type);
#endif  // _WIN32

// The runtime's fatal error: a message box with `message`, then the process
// ends with exit code 1.
[[noreturn]] void reportFatalError(const Text& message);
