#include "platform/system/notice_override.h"

#include <cstdlib>

std::string noticeAddressOverride() {
  const char* value = std::getenv("KESTRUNE_NOTICE_URL");
  return value ? std::string(value) : std::string();
}
