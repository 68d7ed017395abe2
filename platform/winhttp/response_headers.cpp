// WinHttpQueryHeaders: the final response's headers, in UTF-16.
#include "platform/winhttp/response_headers.h"

#include <cstring>
#include <utility>

#include "platform/winhttp/failure_hook.h"
#include "platform/winhttp/handles.h"
#include "platform/winhttp/request_headers.h"
#include "platform/winhttp/request_life.h"

namespace winhttp_detail {
namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

template <typename Visit>
void forEachLine(std::string_view block, Visit visit) {
  size_t pos = 0;
  while (pos < block.size()) {
    size_t end = block.find("\r\n", pos);
    if (end == std::string_view::npos) end = block.size();
    visit(block.substr(pos, end - pos));
    pos = end + 2;
  }
}

// Header names of the numbered info levels this stand-in answers.
std::string_view nameOfLevel(DWORD level) {
  switch (level) {
    case WINHTTP_QUERY_CONTENT_TYPE: return "Content-Type";
    case WINHTTP_QUERY_CONTENT_LENGTH: return "Content-Length";
    case WINHTTP_QUERY_CONTENT_ENCODING: return "Content-Encoding";
    case WINHTTP_QUERY_LOCATION: return "Location";
    case WINHTTP_QUERY_SET_COOKIE: return "Set-Cookie";
    case WINHTTP_QUERY_TRANSFER_ENCODING: return "Transfer-Encoding";
    default: return {};
  }
}

}  // namespace

std::vector<std::string_view> headerValues(std::string_view block, std::string_view name) {
  std::vector<std::string_view> values;
  bool statusLine = true;
  forEachLine(block, [&](std::string_view line) {
    if (std::exchange(statusLine, false)) return;
    size_t colon = line.find(':');
    if (colon != std::string_view::npos && equalsNoCase(trimmed(line.substr(0, colon)), name))
      values.push_back(trimmed(line.substr(colon + 1)));
  });
  return values;
}

StatusLine statusLineOf(std::string_view block) {
  std::string_view line = block.substr(0, block.find("\r\n"));
  StatusLine status;
  size_t first = line.find(' ');
  status.version = line.substr(0, first);
  if (first == std::string_view::npos) return status;
  std::string_view rest = line.substr(first + 1);
  size_t second = rest.find(' ');
  status.code = rest.substr(0, second);
  if (second != std::string_view::npos) status.reason = rest.substr(second + 1);
  return status;
}

}  // namespace winhttp_detail

using namespace winhttp_detail;

BOOL WinHttpQueryHeaders(HINTERNET hRequest, DWORD dwInfoLevel, LPCWSTR pwszName, LPVOID lpBuffer,
                         LPDWORD lpdwBufferLength, LPDWORD lpdwIndex) {
  if (injectedFailure(winhttp_test_seam::Call::QueryHeaders)) return FALSE;
  auto request = findHandleOf<Request>(hRequest, HandleKind::Request);
  if (!request) return FALSE;
  if (lpdwBufferLength == nullptr) return fail(ERROR_INVALID_PARAMETER);
  std::lock_guard guard(request->lock);
  if (!request->life || !request->life->hasResponse()) return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  const std::string& block = request->life->responseHeaders();

  const DWORD modifiers = dwInfoLevel & 0xFFFF0000;
  const DWORD level = dwInfoLevel & 0x0000FFFF;
  if (modifiers & ~WINHTTP_QUERY_FLAG_NUMBER) return fail(ERROR_WINHTTP_INVALID_QUERY_REQUEST);

  std::string text;
  bool byName = false;
  switch (level) {
    case WINHTTP_QUERY_RAW_HEADERS_CRLF:
      text = block;
      break;
    case WINHTTP_QUERY_RAW_HEADERS:  // lines ending in a zero, then one more zero
      forEachLine(block, [&](std::string_view line) { text.append(line).push_back('\0'); });
      break;
    case WINHTTP_QUERY_VERSION:
      text = statusLineOf(block).version;
      break;
    case WINHTTP_QUERY_STATUS_CODE:
      text = statusLineOf(block).code;
      break;
    case WINHTTP_QUERY_STATUS_TEXT:
      text = statusLineOf(block).reason;
      break;
    default: {
      std::string name;
      if (level == WINHTTP_QUERY_CUSTOM) {
        if (pwszName == nullptr || *pwszName == 0) return fail(ERROR_INVALID_PARAMETER);
        name = toAnsi(pwszName);
      } else {
        name = nameOfLevel(level);
        if (name.empty()) return fail(ERROR_WINHTTP_INVALID_QUERY_REQUEST);
      }
      std::vector<std::string_view> values = headerValues(block, name);
      const DWORD index = lpdwIndex != nullptr ? *lpdwIndex : 0;
      if (index >= values.size()) return fail(ERROR_WINHTTP_HEADER_NOT_FOUND);
      text = values[index];
      byName = true;
    }
  }

  if (modifiers & WINHTTP_QUERY_FLAG_NUMBER) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
      return fail(ERROR_WINHTTP_INVALID_QUERY_REQUEST);
    if (lpBuffer == nullptr || *lpdwBufferLength < sizeof(DWORD)) {
      *lpdwBufferLength = sizeof(DWORD);
      return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    DWORD number = static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 10));
    std::memcpy(lpBuffer, &number, sizeof number);
    *lpdwBufferLength = sizeof number;
  } else {
    std::u16string wide = fromAnsi(text);
    const DWORD needed = static_cast<DWORD>((wide.size() + 1) * sizeof(char16_t));
    if (lpBuffer == nullptr || *lpdwBufferLength < needed) {
      *lpdwBufferLength = needed;
      return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(lpBuffer, wide.c_str(), needed);
    *lpdwBufferLength = needed - sizeof(char16_t);
  }
  if (byName && lpdwIndex != nullptr) ++*lpdwIndex;
  return TRUE;
}
