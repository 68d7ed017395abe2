#include "platform/system/pending_messages.h"

#include <atomic>

namespace {
std::atomic<PendingMessageProcessor> registered{nullptr};
}  // namespace

void setPendingMessageProcessor(PendingMessageProcessor processor) { registered.store(processor); }

void processPendingMessages() {
  if (PendingMessageProcessor processor = registered.load()) processor();
}
