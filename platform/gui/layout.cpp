#include "platform/gui/layout.h"

#include <unordered_map>

namespace gui {

bool isContainer(ControlKind kind) {
  return kind == ControlKind::Window || kind == ControlKind::PicBox ||
         kind == ControlKind::GroupBox;
}

Text checkLayout(const Layout& layout) {
  if (layout.empty() || layout.front().kind != ControlKind::Window)
    return "the first element is not the window";
  std::unordered_map<Text, ControlKind> seen;
  for (const ElementSpec& e : layout) {
    if (e.name.empty()) return "an element has no name";
    if (seen.count(e.name)) return "duplicate name " + e.name;
    if (&e != &layout.front() && e.kind == ControlKind::Window)
      return "a second window " + e.name;
    if (e.geometry.width < 0 || e.geometry.height < 0) return "negative size of " + e.name;
    if (&e != &layout.front() && !e.parent.empty()) {
      auto parent = seen.find(e.parent);
      if (parent == seen.end()) return "unknown or later parent of " + e.name;
      if (!isContainer(parent->second)) return "parent of " + e.name + " is no container";
    }
    seen.emplace(e.name, e.kind);
  }
  return {};
}

}  // namespace gui
