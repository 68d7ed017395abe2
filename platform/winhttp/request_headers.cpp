// WinHttpAddRequestHeaders and the request's header lines.
#include "platform/winhttp/request_headers.h"

#include <algorithm>

#include "platform/winhttp/failure_hook.h"
#include "platform/winhttp/handles.h"

namespace winhttp_detail {
namespace {

bool isTokenChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         std::u16string_view(u"!#$%&'*+-.^_`|~").find(c) != std::u16string_view::npos;
}

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

bool equalsNoCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

bool parseHeaderLine(std::u16string_view text, HeaderLine& line) {
  size_t colon = text.find(u':');
  if (colon == std::u16string_view::npos || colon == 0) return false;
  std::u16string_view name = text.substr(0, colon);
  if (!std::all_of(name.begin(), name.end(), isTokenChar)) return false;
  std::u16string_view value = text.substr(colon + 1);
  if (value.find_first_of(std::u16string_view(u"\r\n\0", 3)) != std::u16string_view::npos) return false;
  while (!value.empty() && isBlank(value.front())) value.remove_prefix(1);
  while (!value.empty() && isBlank(value.back())) value.remove_suffix(1);
  line.name.assign(name.begin(), name.end());
  line.value = toAnsi(value);
  return true;
}

const HeaderLine* RequestHeaders::find(std::string_view name) const {
  for (const HeaderLine& line : lines_)
    if (equalsNoCase(line.name, name)) return &line;
  return nullptr;
}

void RequestHeaders::append(std::string name, std::string value) {
  lines_.push_back({std::move(name), std::move(value)});
}

DWORD RequestHeaders::apply(HeaderLine line, DWORD modifiers) {
  auto existing = std::find_if(lines_.begin(), lines_.end(),
                               [&](const HeaderLine& l) { return equalsNoCase(l.name, line.name); });
  const bool found = existing != lines_.end();
  if (modifiers & WINHTTP_ADDREQ_FLAG_REPLACE) {
    if (found) {
      if (line.value.empty())
        lines_.erase(existing);
      else
        existing->value = std::move(line.value);
    } else if (modifiers & WINHTTP_ADDREQ_FLAG_ADD) {
      if (!line.value.empty()) lines_.push_back(std::move(line));
    } else {
      return ERROR_WINHTTP_HEADER_NOT_FOUND;
    }
    return ERROR_SUCCESS;
  }
  if (modifiers & WINHTTP_ADDREQ_FLAG_ADD_IF_NEW) {
    if (found) return ERROR_WINHTTP_HEADER_ALREADY_EXISTS;
  } else if (found && (modifiers & (WINHTTP_ADDREQ_FLAG_COALESCE_WITH_COMMA |
                                    WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON))) {
    existing->value += (modifiers & WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON) ? "; " : ", ";
    existing->value += line.value;
    return ERROR_SUCCESS;
  }
  lines_.push_back(std::move(line));
  return ERROR_SUCCESS;
}

DWORD RequestHeaders::add(std::u16string_view block, DWORD modifiers) {
  RequestHeaders result = *this;
  size_t start = 0;
  while (start <= block.size()) {
    size_t end = block.find(u"\r\n", start);
    if (end == std::u16string_view::npos) end = block.size();
    std::u16string_view text = block.substr(start, end - start);
    start = end + 2;
    if (text.empty()) continue;
    HeaderLine line;
    if (!parseHeaderLine(text, line)) return ERROR_WINHTTP_INVALID_HEADER;
    if (DWORD error = result.apply(std::move(line), modifiers); error != ERROR_SUCCESS) return error;
  }
  *this = std::move(result);
  return ERROR_SUCCESS;
}

}  // namespace winhttp_detail

using namespace winhttp_detail;

BOOL WinHttpAddRequestHeaders(HINTERNET hRequest, LPCWSTR lpszHeaders, DWORD dwHeadersLength,
                              DWORD dwModifiers) {
  if (injectedFailure(winhttp_test_seam::Call::AddRequestHeaders)) return FALSE;
  auto request = findHandleOf<Request>(hRequest, HandleKind::Request);
  if (!request) return FALSE;
  if (lpszHeaders == nullptr && dwHeadersLength != 0) return fail(ERROR_INVALID_PARAMETER);
  std::u16string_view block;
  if (lpszHeaders != nullptr)
    block = dwHeadersLength == static_cast<DWORD>(-1) ? std::u16string_view(lpszHeaders)
                                                       : std::u16string_view(lpszHeaders, dwHeadersLength);
  std::lock_guard guard(request->lock);
  DWORD error = request->settings.headers.add(block, dwModifiers);
  return error == ERROR_SUCCESS ? TRUE : fail(error);
}
