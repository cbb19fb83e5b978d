// PLACEHOLDER: the actions not built yet.
#include "console/console.h"
#include "driver/actions.h"

namespace campdb {

int RunDump(const ActionRequest&, std::ostream&, Console& console) {
  console.Diagnostic("--dump is not built yet");
  return kActionNoInput;
}
int RunRestore(const ActionRequest&, std::ostream&, Console& console) {
  console.Diagnostic("--restore is not built yet");
  return kActionNoInput;
}

}  // namespace campdb
