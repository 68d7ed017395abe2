// The one setting of the program that comes from the environment besides the
// drive prefix: KESTRUNE_NOTICE_URL, a whole version-notice address put in
// place of the built-in one, for tests and staging.
#pragma once

#include <string>

// The value of KESTRUNE_NOTICE_URL, or empty when it is unset or empty.
std::string noticeAddressOverride();
