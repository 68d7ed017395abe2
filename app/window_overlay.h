// The live overlay of the main window, when the INI file asks for one
// ([Overlay] Port=, see overlay/overlay_settings.h): started by the program
// entry once the created handler has run. A port it cannot use is told
// once, in a message box, and the program goes on without the overlay.
#pragma once

#include <memory>

class MainWindow;
namespace overlay {
class LiveOverlay;
}

class WindowOverlay {
 public:
  // Null when the overlay is off or could not start.
  static std::unique_ptr<WindowOverlay> start(MainWindow& window);
  // The window's changes stop reaching the overlay; serving ends.
  ~WindowOverlay();
  WindowOverlay(const WindowOverlay&) = delete;
  WindowOverlay& operator=(const WindowOverlay&) = delete;

 private:
  WindowOverlay(MainWindow& window, std::unique_ptr<overlay::LiveOverlay> overlay);

  MainWindow& window_;
  std::unique_ptr<overlay::LiveOverlay> overlay_;
};
