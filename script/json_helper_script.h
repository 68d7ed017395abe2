// The JavaScript that every JSON document loads into its engine: the
// document's four helper functions followed by a JSON polyfill that fills in
// only what the engine lacks (JSON.stringify, JSON.parse, toJSON on Date,
// String, Number and Boolean, Object.prototype.toJSONString / parseJSON).
// One line of ASCII text.
#pragma once

extern const char HELPER_SCRIPT[];

// The first part alone: the helper functions get__nodeValue, get__count,
// get__name_All and get__extend.
extern const char HELPER_FUNCTIONS[];
