#include "app/window_overlay.h"

#include "overlay/live_overlay.h"
#include "overlay/overlay_settings.h"
#include "platform/gui/runtime.h"
#include "platform/text/gbk.h"
#include "ui/main_window.h"
#include "ui/main_window_layout.h"
#include "ui/marquee.h"

namespace {

void tell(const Text& message) {
  MessageBoxA(nullptr, message.c_str(), "温馨提示"_gbk.c_str(), MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
}

}  // namespace

std::unique_ptr<WindowOverlay> WindowOverlay::start(MainWindow& window) {
  const overlay::OverlaySetting setting = overlay::readOverlaySetting(ColourIniFile);
  if (!setting.problem.empty()) tell(setting.problem);
  if (setting.port == 0) return nullptr;
  const MarqueeControls marquee = findMarqueeControls(window.form());
  auto live = std::make_unique<overlay::LiveOverlay>(overlay::LiveAreaCapture(
      window.form(), mainWindowLayout(), LiveAreaWidth, marquee.caption, marquee.timer));
  if (!live->start(setting.port)) {
    tell(overlay::portUnavailableMessage(setting.port));
    return nullptr;
  }
  return std::unique_ptr<WindowOverlay>(new WindowOverlay(window, std::move(live)));
}

WindowOverlay::WindowOverlay(MainWindow& window, std::unique_ptr<overlay::LiveOverlay> overlay)
    : window_(window), overlay_(std::move(overlay)) {
  window_.observeLiveArea([live = overlay_.get()](LiveAreaChange change) {
    if (change == LiveAreaChange::MarqueeTick) live->marqueeTicked();
    else live->changed();
  });
}

WindowOverlay::~WindowOverlay() { window_.observeLiveArea({}); }
