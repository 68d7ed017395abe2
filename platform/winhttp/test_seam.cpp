// The test seam: a list of armed failures that the stand-in's hook consults.
#include "platform/winhttp/test_seam.h"

#include <mutex>
#include <vector>

#include "platform/winhttp/failure_hook.h"

namespace winhttp_test_seam {
namespace {

struct Armed {
  int id;
  Call call;
  int remaining;  // calls of `call` still to pass before the failing one
  DWORD error;
  bool fired;
};

std::mutex armedLock;
std::vector<Armed> armed;
int nextId = 1;

bool consult(Call call, DWORD* error) {
  std::lock_guard lock(armedLock);
  bool fail = false;
  for (Armed& a : armed) {
    if (a.call != call || a.fired) continue;
    if (--a.remaining == 0) {
      a.fired = true;
      if (!fail) *error = a.error;
      fail = true;
    }
  }
  return fail;
}

std::mutex recordLock;
std::vector<SessionCall> recorded;

void record(const SessionCall& call) {
  std::lock_guard lock(recordLock);
  recorded.push_back(call);
}

}  // namespace

RecordSessionCalls::RecordSessionCalls() {
  std::lock_guard lock(recordLock);
  recorded.clear();
  winhttp_detail::sessionObserver.store(&record);
}

RecordSessionCalls::~RecordSessionCalls() { winhttp_detail::sessionObserver.store(nullptr); }

std::vector<SessionCall> RecordSessionCalls::calls() const {
  std::lock_guard lock(recordLock);
  return recorded;
}

FailCall::FailCall(Call call, int occurrence, DWORD error) {
  std::lock_guard lock(armedLock);
  id_ = nextId++;
  armed.push_back({id_, call, occurrence < 1 ? 1 : occurrence, error, false});
  winhttp_detail::failureHook.store(&consult);
}

FailCall::~FailCall() {
  std::lock_guard lock(armedLock);
  std::erase_if(armed, [this](const Armed& a) { return a.id == id_; });
  if (armed.empty()) winhttp_detail::failureHook.store(nullptr);
}

bool FailCall::fired() const {
  std::lock_guard lock(armedLock);
  for (const Armed& a : armed)
    if (a.id == id_) return a.fired;
  return false;
}

}  // namespace winhttp_test_seam
