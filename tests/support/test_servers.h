// Loopback servers for network tests (CMake target kestrune_test_servers):
// HttpTestServer (HTTP/HTTPS, cpp-httplib), ScriptedServer (raw socket,
// exact bytes and misbehaving peers), TinyProxy, and run-time certificates.
#pragma once

#include "tests/support/http_test_server.h"
#include "tests/support/recorded_request.h"
#include "tests/support/scripted_server.h"
#include "tests/support/test_certificates.h"
#include "tests/support/tinyproxy.h"
