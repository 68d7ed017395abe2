#include "platform/components/components.h"

#include <mutex>

void registerComponentFactories() {
  static std::once_flag once;
  std::call_once(once, [] {
    registerRegExpFactory();
    registerScriptControlFactory();
    registerAdodbStreamFactory();
    registerWbemLocatorFactory();
    // One line per further component.
  });
}
