// On Windows the automation components are the system's: VBScript.RegExp,
// MSScriptControl.ScriptControl, ADODB.Stream and the WMI locator are found by
// ProgID and class id in the registry, so there is nothing to register.
#include "platform/components/components.h"

void registerComponentFactories() {}
