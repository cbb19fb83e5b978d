// PLACEHOLDER: the actions not built yet.
#include "console/console.h"
#include "driver/actions.h"

namespace campdb {

int RunCheck(const ActionRequest&, std::ostream&, Console& console) {
  console.Diagnostic("--check is not built yet");
  return kActionNoInput;
}
int RunMap(const ActionRequest&, std::ostream&, Console& console) {
  console.Diagnostic("--map is not built yet");
  return kActionNoInput;
}

}  // namespace campdb
