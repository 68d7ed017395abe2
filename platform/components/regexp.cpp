// VBScript.RegExp on PCRE2 (16-bit code units).
#include "platform/com/automation_class.h"
#include "platform/com/class_registry.h"
#include "platform/components/components.h"

void registerRegExpFactory() {}
