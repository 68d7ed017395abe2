// The stand-in's end of the test seam (test_seam.h): empty hooks that only
// the test-seam library fills.
#pragma once

#include <atomic>
#include <string>

#include "platform/winhttp/test_seam.h"

namespace winhttp_detail {

// Returns true and sets *error when `call` is to fail.
using FailureHook = bool (*)(winhttp_test_seam::Call call, DWORD* error);
extern std::atomic<FailureHook> failureHook;

// True (with the last error set) when the armed test seam fails `call`.
bool injectedFailure(winhttp_test_seam::Call call);

// Tells a recording test seam what a session call was given.
using SessionObserver = void (*)(const winhttp_test_seam::SessionCall& call);
extern std::atomic<SessionObserver> sessionObserver;
void observeSession(const winhttp_test_seam::SessionCall& call);

}  // namespace winhttp_detail
