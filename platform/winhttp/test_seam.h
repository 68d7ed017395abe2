// Tests only: make a chosen WinHTTP call fail, so that every caller's
// failure path can be driven for real.
//
// Link the CMake target `kestrune_winhttp_test_seam` (never linked into the
// program). The stand-in itself only holds an empty hook; nothing but this
// library fills it, so the shipped program has no way to arm a failure.
//
//   #include "platform/winhttp/test_seam.h"
//   using winhttp_test_seam::Call;
//   winhttp_test_seam::FailCall fail(Call::SetOption, 2);  // the 2nd SetOption from now
//   ... // that call returns FALSE / null, GetLastError() = the given error
//   // the failure is disarmed when `fail` goes out of scope
//
// A failed call does nothing else (no handle is created, nothing is sent).
// Failures count calls on every thread; arm them from the test's thread.
//
// It also records what reached the session: the access type and proxy string
// of WinHttpOpen and the four timeouts of WinHttpSetTimeouts.
//
//   winhttp_test_seam::RecordSessionCalls record;
//   ... httpRequest(...) ...
//   record.calls()  // in call order
#pragma once

#include <string>
#include <vector>

#include "platform/winhttp/winhttp.h"

namespace winhttp_test_seam {

enum class Call {
  CheckPlatform,
  CrackUrl,
  Open,
  SetTimeouts,
  Connect,
  OpenRequest,
  SetCredentials,
  SetOption,
  AddRequestHeaders,
  SendRequest,
  WriteData,
  ReceiveResponse,
  QueryDataAvailable,
  ReadData,
  QueryHeaders,
};

// While alive: the `occurrence`-th call (1-based, counted from construction)
// of `call` fails with `error`; calls before and after it run normally.
// Several may be alive at once, for different calls or occurrences.
class FailCall {
 public:
  explicit FailCall(Call call, int occurrence = 1, DWORD error = ERROR_WINHTTP_INTERNAL_ERROR);
  ~FailCall();
  FailCall(const FailCall&) = delete;
  FailCall& operator=(const FailCall&) = delete;

  // True once the armed call has failed.
  bool fired() const;

 private:
  int id_;
};

// What one WinHttpOpen (access type, proxy) or WinHttpSetTimeouts (the four
// timeouts in milliseconds, as given) was called with.
struct SessionCall {
  Call call = Call::Open;
  DWORD accessType = 0;
  std::u16string proxy;
  int resolve = 0, connect = 0, send = 0, receive = 0;
};

// While alive: records the session calls of every thread, in order.
class RecordSessionCalls {
 public:
  RecordSessionCalls();
  ~RecordSessionCalls();
  RecordSessionCalls(const RecordSessionCalls&) = delete;
  RecordSessionCalls& operator=(const RecordSessionCalls&) = delete;

  std::vector<SessionCall> calls() const;
};

}  // namespace winhttp_test_seam
