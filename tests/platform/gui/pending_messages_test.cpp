// The window framework's runtime lends its event processing to code below
// it (processPendingMessages), and takes it back when it ends.
#include <gtest/gtest.h>

#include <QTimer>

#include "platform/gui/runtime.h"
#include "platform/system/pending_messages.h"

namespace {

TEST(PendingMessages, DispatchedWhileTheRuntimeRunsNoOpOtherwise) {
  processPendingMessages();  // no framework yet: nothing to do, nothing breaks
  bool ran = false;
  {
    gui::GuiRuntime runtime;
    QTimer::singleShot(0, [&] { ran = true; });
    processPendingMessages();
    EXPECT_TRUE(ran);
  }
  processPendingMessages();  // the runtime is gone: back to a no-op
}

}  // namespace
