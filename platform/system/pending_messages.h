// Processing the calling thread's pending window messages, for code below
// the window framework (the HTTP engine, once an exchange is over). The
// framework registers how it does this when it starts; without a framework
// running (command-line tools) processing is a no-op.
#pragma once

using PendingMessageProcessor = void (*)();

// Registers the framework's processor; null removes it.
void setPendingMessageProcessor(PendingMessageProcessor processor);

// Dispatches the thread's pending window messages through the registered
// processor; does nothing when none is registered.
void processPendingMessages();
