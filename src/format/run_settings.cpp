#include "format/run_settings.h"

namespace campdb {

RunSettings& Run() {
  static RunSettings settings;
  return settings;
}

void ResetRunSettings() { Run() = RunSettings{}; }

}  // namespace campdb
