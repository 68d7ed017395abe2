#include "platform/gui/windows/window_classes.h"

#include "platform/windows_sdk.h"  // before the common controls

#include <commctrl.h>

#include "platform/gui/windows/wnd.h"

namespace gui::win32 {

void registerWindowClasses() {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const struct {
      const char* name;
      UINT style;
    } classes[] = {
        {FormWindowClass, CS_DBLCLKS},
        {PicBoxClass, 0},
        {LabelClass, CS_DBLCLKS},
        {PaletteClass, CS_DROPSHADOW},
    };
    for (const auto& c : classes) {
      WNDCLASSEXA wc{};
      wc.cbSize = sizeof wc;
      wc.style = c.style;
      wc.lpfnWndProc = &Wnd::classProc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
      wc.lpszClassName = c.name;
      RegisterClassExA(&wc);
    }
    return true;
  }();
  (void)registered;
}

}  // namespace gui::win32
