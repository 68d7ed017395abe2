// The live area as it stands in the window: which controls form it, read
// once from the window's layout, and their state, read through the control
// API. GUI thread only.
#pragma once

#include <vector>

#include "overlay/live_area.h"
#include "platform/gui/form.h"
#include "platform/gui/layout.h"

namespace overlay {

class LiveAreaCapture {
 public:
  // The live area of `form`: every container, caption and edit box of
  // `layout` that lies wholly within the window's left `width` pixels, with
  // the captions and edit boxes inside those containers. `marquee` is the
  // scrolling caption; `timer` moves it.
  LiveAreaCapture(gui::Form& form, const gui::Layout& layout, int32_t width, gui::Label marquee,
                  gui::Timer timer);

  const LiveAreaLayout& layout() const { return layout_; }
  LiveAreaState state() const;

  // The scrolling caption's box (-1 when it is not in the area), its left,
  // and its timer's interval (0: stopped).
  int marqueeBox() const { return marqueeBox_; }
  int32_t marqueeLeft() const { return marquee_.left(); }
  int32_t marqueeInterval() const { return timer_.interval(); }

 private:
  gui::ControlHandle window_;
  LiveAreaLayout layout_;
  // The control of each box, and its typed handle for the text: a caption
  // (Label or TransLabel) or an edit box; the other one is empty.
  struct Source {
    gui::ControlHandle control;
    gui::Label caption;
    gui::EditBox edit;
  };
  std::vector<Source> sources_;
  gui::Label marquee_;
  gui::Timer timer_;
  int marqueeBox_ = -1;
};

}  // namespace overlay
