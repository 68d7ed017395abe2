// Placeholder bodies: every call fails until the transport lands.
#include "platform/winhttp/failure_hook.h"

namespace {
thread_local DWORD lastError = 0;
BOOL fail() { lastError = ERROR_WINHTTP_INTERNAL_ERROR; return FALSE; }
}  // namespace

namespace winhttp_detail {
std::atomic<FailureHook> failureHook{nullptr};
bool injectedFailure(winhttp_test_seam::Call call) {
  FailureHook hook = failureHook.load();
  DWORD error = 0;
  if (hook == nullptr || !hook(call, &error)) return false;
  lastError = error;
  return true;
}
}  // namespace winhttp_detail

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD error) { lastError = error; }
BOOL WinHttpCheckPlatform() { return FALSE; }
BOOL WinHttpCrackUrl(LPCWSTR, DWORD, DWORD, LPURL_COMPONENTS) { return fail(); }
HINTERNET WinHttpOpen(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD) { fail(); return nullptr; }
BOOL WinHttpSetTimeouts(HINTERNET, int, int, int, int) { return fail(); }
HINTERNET WinHttpConnect(HINTERNET, LPCWSTR, INTERNET_PORT, DWORD) { fail(); return nullptr; }
HINTERNET WinHttpOpenRequest(HINTERNET, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR*, DWORD) {
  fail();
  return nullptr;
}
BOOL WinHttpSetCredentials(HINTERNET, DWORD, DWORD, LPCWSTR, LPCWSTR, LPVOID) { return fail(); }
BOOL WinHttpSetOption(HINTERNET, DWORD, LPVOID, DWORD) { return fail(); }
BOOL WinHttpAddRequestHeaders(HINTERNET, LPCWSTR, DWORD, DWORD) { return fail(); }
BOOL WinHttpSendRequest(HINTERNET, LPCWSTR, DWORD, LPVOID, DWORD, DWORD, DWORD_PTR) { return fail(); }
BOOL WinHttpWriteData(HINTERNET, LPCVOID, DWORD, LPDWORD) { return fail(); }
BOOL WinHttpReceiveResponse(HINTERNET, LPVOID) { return fail(); }
BOOL WinHttpQueryDataAvailable(HINTERNET, LPDWORD) { return fail(); }
BOOL WinHttpReadData(HINTERNET, LPVOID, DWORD, LPDWORD) { return fail(); }
BOOL WinHttpQueryHeaders(HINTERNET, DWORD, LPCWSTR, LPVOID, LPDWORD, LPDWORD) { return fail(); }
BOOL WinHttpCloseHandle(HINTERNET) { return fail(); }
