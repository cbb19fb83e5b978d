// The database an action writes, with its info files beside it: the one
// way every action that produces a database writes it.
#include <sys/stat.h>

#include <cstring>
#include <sstream>

#include "console/console.h"
#include "driver/actions.h"
#include "maintenance/writer.h"

namespace campdb {

InfoPlacement InfoPlacementOf(const ActionRequest& request) {
  return InfoPlacement{request.noInfo, request.infoDir};
}

bool InfoPlacementUsable(const InfoPlacement& placement, Console& console) {
  if (placement.none || !placement.dir) return true;
  struct stat st {};
  if (::stat(placement.dir->c_str(), &st) != 0) {
    console.Diagnostic(Cat(*placement.dir, ": ", std::strerror(errno), "; nothing was written"));
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    console.Diagnostic(Cat(*placement.dir, ": ", std::strerror(ENOTDIR), "; nothing was written"));
    return false;
  }
  return true;
}

bool WriteActionDatabase(const Database& db, const std::string& outputName, const std::optional<FileIdentity>& input,
                         const InfoPlacement& placement, Console& console, Text unloaded, int64_t* bytes) {
  OutputFile file;
  if (!file.OpenReplacing(outputName, input)) {
    console.Diagnostic(file.Reason());
    return false;
  }
  return WriteActionDatabase(db, file, input, placement, console, unloaded, bytes);
}

bool WriteActionDatabase(const Database& db, OutputFile& file, const std::optional<FileIdentity>& input,
                         const InfoPlacement& placement, Console& console, Text unloaded, int64_t* bytes) {
  const std::string& outputName = file.Name();
  // The info files describe the database, so they lie beside it unless
  // they are sent elsewhere.
  InfoFolder where;
  where.none = placement.none;
  if (placement.dir) {
    where.folder = *placement.dir;
  } else if (const size_t slash = outputName.rfind('/'); slash != std::string::npos) {
    where.folder = slash == 0 ? "/" : outputName.substr(0, slash);
  }
  // The writer narrates as the interactive runs do; an action prints none
  // of that, only the reasons of what failed (the database, an info file).
  std::istringstream nothing;
  std::ostringstream transcript;
  std::ostringstream reasons;
  Console quiet(nothing, transcript, &reasons);
  const bool written = WriteDatabase(db, file, input, quiet, unloaded, where);
  std::istringstream reasonLines(reasons.str());
  for (std::string line; std::getline(reasonLines, line);) {
    console.Diagnostic(line.starts_with("campdb: ") ? std::string_view(line).substr(8) : std::string_view(line));
  }
  if (bytes != nullptr) *bytes = static_cast<int64_t>(file.Size());
  return written;
}

}  // namespace campdb
