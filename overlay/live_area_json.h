// The live area as Server-Sent Events: one "layout", "state" or "marquee"
// event each, its data one line of JSON in UTF-8. Colours are CSS "#rrggbb"
// or null for the system default; texts are converted from GBK.
#pragma once

#include <cstdint>
#include <string>

#include "overlay/live_area.h"

namespace overlay {

// {"width","height","boxes":[{"name","parent","kind","left","top","width",
//  "height","face","size","bold","align","middle"}]}
std::string layoutEvent(const LiveAreaLayout& layout);
// {"seq","background","boxes":[{"text","colour","visible","left","width"}]}
// `seq` numbers the states of one program run, from 1.
std::string stateEvent(const LiveAreaState& state, uint64_t seq);
// {"box","running","left","period"}
std::string marqueeEvent(const MarqueeMotion& motion);

// Also exposed for the tests: a JSON string literal of UTF-8 text, and a
// colour's CSS form ("null" for the system default).
std::string jsonString(std::string_view utf8);
std::string cssColour(COLORREF colour);

}  // namespace overlay
