#include "app/version_notice.h"

#include "app/program_state.h"
#include "kestrune/notice_endpoint.h"
#include "kestrune/version.h"
#include "net/http_request.h"
#include "net/wide_text.h"
#include "platform/system/notice_override.h"
#include "platform/system/process.h"
#include "script/json_document.h"

Text noticeAddress() {
  const Text override = noticeAddressOverride();
  return override.empty() ? Text(BuiltInNoticeAddress) : override;
}

Text utf8ToLocalText(const Text& text) {
  return fromWideText(toWideText(text, 65001), DefaultCodePage);
}

bool readVersionNotice(JsonDocument& document, const Text& address, Text* statusText) {
  AppVersion = ProgramVersion;
  NoticeText = utf8ToLocalText(httpRequest(address, HttpGet, {}, {}, nullptr, {}, nullptr, false, {},
                                           {}, {}, {}, {}, 0, nullptr, statusText));
  document.parse(NoticeText);
  NoticeVersion = document.getText("data.V");
  NoticeC = document.getText("data.C");
  NoticeW = document.getText("data.W");
  return NoticeVersion == AppVersion;
}

bool endProcessNow(uint32_t processId) {
  HANDLE process = processId == 0 ? GetCurrentProcess() : OpenProcess(PROCESS_TERMINATE, 0, processId);
  if (!process) return false;
  const bool ended = TerminateProcess(process, 0) != 0;
  CloseHandle(process);
  return ended;
}
