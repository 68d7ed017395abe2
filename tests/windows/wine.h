// What the Windows tests share: Wine's gaps (tests/support/wine.h) and the
// addresses of the loopback peer that scripts/test-windows runs on the Linux side.
#pragma once

#include <cstdlib>
#include <string>

#include "tests/support/wine.h"

// host:port of the peer in `variable` (KESTRUNE_TEST_HTTP, KESTRUNE_TEST_HTTPS,
// ...); the test fails when it is missing.
inline std::string peerAddress(const char* variable) {
  const char* value = std::getenv(variable);
  if (!value || !*value) ADD_FAILURE() << variable << " is not set: run scripts/test-windows";
  return value ? value : "";
}
