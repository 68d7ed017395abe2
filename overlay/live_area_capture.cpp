#include "overlay/live_area_capture.h"

#include <unordered_map>

namespace overlay {

namespace {

// What the overlay draws of each kind of control; nothing of the others.
bool drawn(gui::ControlKind kind, BoxKind& as) {
  switch (kind) {
    case gui::ControlKind::PicBox:
    case gui::ControlKind::GroupBox: as = BoxKind::Container; return true;
    case gui::ControlKind::Label:
    case gui::ControlKind::TransLabel: as = BoxKind::Caption; return true;
    case gui::ControlKind::EditBox: as = BoxKind::EditBox; return true;
    default: return false;
  }
}

TextAlign textAlign(gui::HAlign align) {
  switch (align) {
    case gui::HAlign::Centre: return TextAlign::Centre;
    case gui::HAlign::Right: return TextAlign::Right;
    case gui::HAlign::Left: break;
  }
  return TextAlign::Left;
}

}  // namespace

LiveAreaCapture::LiveAreaCapture(gui::Form& form, const gui::Layout& layout, int32_t width,
                                 gui::Label marquee, gui::Timer timer)
    : window_(form.window()), marquee_(marquee), timer_(timer) {
  layout_.width = width;
  layout_.height = layout.empty() ? 0 : layout.front().geometry.height;
  std::unordered_map<Text, int> boxOf;  // name -> box
  for (const gui::ElementSpec& e : layout) {
    BoxKind kind;
    if (!drawn(e.kind, kind)) continue;
    const gui::Geometry& g = e.geometry;
    int parent = -1;
    if (e.parent.empty()) {
      if (g.left < 0 || g.top < 0 || g.left + g.width > layout_.width || g.top + g.height > layout_.height)
        continue;
    } else {
      const auto it = boxOf.find(e.parent);
      if (it == boxOf.end()) continue;
      parent = it->second;
    }
    const int box = static_cast<int>(layout_.boxes.size());
    boxOf[e.name] = box;
    layout_.boxes.push_back({e.name, parent, kind, g.left, g.top, g.width, g.height, e.font.face,
                             e.font.height, e.font.bold, textAlign(e.style.align), e.style.verticalCentre});
    sources_.push_back({form.control(e.name), form.label(e.name), form.editBox(e.name)});
    if (e.name == marquee.name()) marqueeBox_ = box;
  }
}

LiveAreaState LiveAreaCapture::state() const {
  LiveAreaState state;
  state.background = window_.backColour();
  state.boxes.reserve(sources_.size());
  for (const Source& s : sources_) {
    const gui::ControlHandle& c = s.control;
    LiveBoxState box;
    if (s.caption.valid()) box.text = s.caption.caption();
    else if (s.edit.valid()) box.text = s.edit.text();
    box.colour = c.textColour();
    box.visible = c.visible();
    box.left = c.left();
    box.width = c.width();
    state.boxes.push_back(std::move(box));
  }
  return state;
}

}  // namespace overlay
