// The overlay's switch in the program's INI file, and what the operator is
// told when it cannot be followed:
//
//   [Overlay]
//   Port=8080
//
// A port from 1024 to 65535 turns the overlay on; no key, an empty value or
// 0 leaves it off (and the file is never written for it).
#pragma once

#include <cstdint>

#include "platform/text/text.h"

namespace overlay {

struct OverlaySetting {
  uint16_t port = 0;  // 0: off
  Text problem;       // GBK, for the operator: why a value set is not used; empty when fine
};

// Reads [Overlay] Port= of `iniFile` through the private-profile functions.
OverlaySetting readOverlaySetting(const char* iniFile);

// GBK, for the operator: the overlay could not listen on `port`.
Text portUnavailableMessage(uint16_t port);

}  // namespace overlay
