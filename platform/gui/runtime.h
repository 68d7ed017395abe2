// The GUI runtime: the application object, the message loop, the message
// box and the fatal-error report.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/text/text.h"

namespace gui {

class GuiRuntime {
 public:
  // Starts the GUI for the calling thread. The program's command line is
  // not passed on: the program reads none.
  explicit GuiRuntime(const char* programPath);
  ~GuiRuntime();
  GuiRuntime(const GuiRuntime&) = delete;
  GuiRuntime& operator=(const GuiRuntime&) = delete;

  // Runs the message loop until the last window has closed; returns 0.
  //
  // For headless runs (scripts/run, end-to-end tests) the runtime honours
  // KESTRUNE_SCREENSHOT=<png file>: after KESTRUNE_SCREENSHOT_DELAY_MS
  // (default 3000) it writes a picture of the visible window there, and with
  // KESTRUNE_SCREENSHOT_QUIT=1 then closes it.
  int runMessageLoop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Writes a picture of the first visible top-level window to `pngPath`
// (UTF-8 file name); false when there is none or the file cannot be written.
bool saveWindowPicture(const char* pngPath);

}  // namespace gui

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

// The runtime's fatal error: a message box with `message`, then the process
// ends with exit code 1.
[[noreturn]] void reportFatalError(const Text& message);
