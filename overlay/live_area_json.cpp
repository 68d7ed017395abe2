#include "overlay/live_area_json.h"

#include <cstdio>

#include "platform/text/gbk.h"

namespace overlay {

namespace {

const char* kindName(BoxKind kind) {
  switch (kind) {
    case BoxKind::Container: return "container";
    case BoxKind::EditBox: return "edit";
    case BoxKind::Caption: break;
  }
  return "caption";
}

const char* alignName(TextAlign align) {
  switch (align) {
    case TextAlign::Centre: return "centre";
    case TextAlign::Right: return "right";
    case TextAlign::Left: break;
  }
  return "left";
}

const char* boolean(bool value) { return value ? "true" : "false"; }

std::string gbkString(const Text& gbk) { return jsonString(gbkToUtf8(gbk)); }

// `name: value` pairs of one object, written in order.
class Members {
 public:
  Members& add(const char* name, const std::string& json) {
    out_ += out_.size() > 1 ? ",\"" : "\"";
    out_ += name;
    out_ += "\":";
    out_ += json;
    return *this;
  }
  Members& add(const char* name, int64_t value) { return add(name, std::to_string(value)); }
  std::string close() { return out_ + "}"; }

 private:
  std::string out_ = "{";
};

std::string event(const char* name, const std::string& data) {
  return std::string("event: ") + name + "\ndata: " + data + "\n\n";
}

}  // namespace

std::string jsonString(std::string_view utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string cssColour(COLORREF colour) {
  if (colour == SystemDefaultColour) return "null";
  char css[16];
  std::snprintf(css, sizeof css, "\"#%02x%02x%02x\"", static_cast<unsigned>(colour & 0xFF),
                static_cast<unsigned>((colour >> 8) & 0xFF), static_cast<unsigned>((colour >> 16) & 0xFF));
  return css;
}

std::string layoutEvent(const LiveAreaLayout& layout) {
  std::string boxes = "[";
  for (const LiveBox& b : layout.boxes) {
    if (boxes.size() > 1) boxes += ",";
    boxes += Members()
                 .add("name", gbkString(b.name))
                 .add("parent", b.parent)
                 .add("kind", jsonString(kindName(b.kind)))
                 .add("left", b.left)
                 .add("top", b.top)
                 .add("width", b.width)
                 .add("height", b.height)
                 .add("face", gbkString(b.face))
                 .add("size", b.fontHeight)
                 .add("bold", boolean(b.bold))
                 .add("align", jsonString(alignName(b.align)))
                 .add("middle", boolean(b.verticalCentre))
                 .close();
  }
  return event("layout", Members()
                             .add("width", layout.width)
                             .add("height", layout.height)
                             .add("boxes", boxes + "]")
                             .close());
}

std::string stateEvent(const LiveAreaState& state, uint64_t seq) {
  std::string boxes = "[";
  for (const LiveBoxState& b : state.boxes) {
    if (boxes.size() > 1) boxes += ",";
    boxes += Members()
                 .add("text", gbkString(b.text))
                 .add("colour", cssColour(b.colour))
                 .add("visible", boolean(b.visible))
                 .add("left", b.left)
                 .add("width", b.width)
                 .close();
  }
  return event("state", Members()
                            .add("seq", static_cast<int64_t>(seq))
                            .add("background", cssColour(state.background))
                            .add("boxes", boxes + "]")
                            .close());
}

std::string marqueeEvent(const MarqueeMotion& motion) {
  char period[32];
  std::snprintf(period, sizeof period, "%.3f", motion.period);
  return event("marquee", Members()
                              .add("box", motion.box)
                              .add("running", boolean(motion.running))
                              .add("left", motion.left)
                              .add("period", period)
                              .close());
}

}  // namespace overlay
