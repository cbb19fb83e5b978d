// Reading the input database into memory, whole, before any of it is parsed.
#pragma once

#include <optional>
#include <string>

#include "format/database.h"
#include "maintenance/alongside.h"
#include "maintenance/output_file.h"

namespace campdb {

// The whole input database, with the identity of the file it came from.
struct InputImage {
  ByteImage bytes;
  FileIdentity identity;
};

// Reads the named file whole. Empty when it cannot be opened or read, or is
// a folder; `error`, when given, then receives the system's error number
// (EISDIR for a folder, EFBIG for a stream past the bound). A regular file
// is read whole, however large, straight into one buffer of its size; a
// pipe or device is read up to a generous bound, so that one that never
// ends (/dev/zero) is refused rather than read until memory runs out.
std::optional<InputImage> ReadInputImage(const std::string& name, int* error = nullptr);
// The same for an action's input, which is standard input when `name` is "-".
std::optional<InputImage> ReadActionInput(const std::string& name, int* error = nullptr);

// An action's input, read on a thread of its own from the moment it is
// named, so that reading it overlaps with the work on another input. Only a
// regular file is read ahead; anything else (standard input, a pipe, a
// device, a name that cannot be looked at) is read when it is taken, so
// that a pipe is never opened before its turn.
class InputReadAhead {
 public:
  explicit InputReadAhead(const std::string& name);
  InputReadAhead(const InputReadAhead&) = delete;
  InputReadAhead& operator=(const InputReadAhead&) = delete;

  // The input as ReadActionInput reads it, once it is read.
  std::optional<InputImage> Take(int* error);

 private:
  std::string name_;
  std::optional<InputImage> image_;
  int error_ = 0;
  std::optional<Alongside> reading_;  // last, so that it is joined first
};

}  // namespace campdb
