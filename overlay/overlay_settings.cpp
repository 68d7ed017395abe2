#include "overlay/overlay_settings.h"

#include <algorithm>
#include <cctype>

#include "platform/profile/private_profile.h"
#include "platform/text/gbk.h"

namespace overlay {

namespace {

constexpr uint32_t LowestPort = 1024;
constexpr uint32_t HighestPort = 65535;

}  // namespace

OverlaySetting readOverlaySetting(const char* iniFile) {
  char buffer[64] = {};
  const uint32_t n = GetPrivateProfileStringA("Overlay", "Port", "", buffer, sizeof buffer, iniFile);
  const Text value(buffer, n);
  OverlaySetting setting;
  const bool digits = !value.empty() && value.size() <= 5 &&
                      std::all_of(value.begin(), value.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
  const uint32_t port = digits ? static_cast<uint32_t>(std::stoul(value)) : 0;
  if (value.empty() || (digits && port == 0)) return setting;
  if (!digits || port < LowestPort || port > HighestPort) {
    setting.problem = "字幕网页没有开启：[Overlay] 的 Port="_gbk + value + " 不是 1024 到 65535 之间的端口号。"_gbk;
    return setting;
  }
  setting.port = static_cast<uint16_t>(port);
  return setting;
}

Text portUnavailableMessage(uint16_t port) {
  return "字幕网页没有开启：端口 "_gbk + intToText(port) +
         " 已被占用（另一个程序，或本程序的另一个窗口）。"_gbk;
}

}  // namespace overlay
