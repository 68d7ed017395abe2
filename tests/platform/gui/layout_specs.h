// Small layouts for the framework's tests, on any backend.
#pragma once

#include "platform/gui/form.h"

namespace gui::testing {

inline ElementSpec windowSpec(int32_t width = 400, int32_t height = 300) {
  return {"w", ControlKind::Window, "", {0, 0, width, height}, "", {}, SystemDefaultColour,
          RGB(0, 136, 255), Style{}};
}

inline ElementSpec element(const char* name, ControlKind kind, Geometry g, Style style = {},
                           const char* parent = "") {
  ElementSpec e;
  e.name = name;
  e.kind = kind;
  e.parent = parent;
  e.geometry = g;
  e.style = style;
  return e;
}

}  // namespace gui::testing
