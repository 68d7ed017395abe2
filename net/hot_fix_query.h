// Which operating-system hot-fixes are installed, asked of Windows Management
// Instrumentation through raw COM calls (slot numbers, as in com_call.h).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/text/text.h"

// Hot-fix identifiers ("KB3140245") as local text, in WMI's order.
using HotFixList = std::vector<Text>;

// The WMI services of a namespace (UTF-16 from toWideText), with the proxy
// blanket set for impersonation; null when the locator cannot be created or
// the connection fails. The locator is released before return. The caller
// releases the services (releaseComObject).
void* connectWmi(const ByteArray& wideNamespace);

// Empties `list`, then fills it with the HotFixID of every installed
// hot-fix, or, when `filtered`, of those whose identifier is `hotFixId`; gives
// the number of elements. Failures give a shorter list, 0 at worst: no WMI,
// COM not initialised on this thread (the caller initialises it; this
// function does not), a refused query. An identifier holding a quote or a
// backslash gives 0 without a query, so it can never change the query's text.
int32_t queryHotFixes(HotFixList& list, const Text& hotFixId = {}, bool filtered = false);
