// Files the tool writes: the output database, the report and the campaign
// info files.
//
// The output database replaces its name only once it is complete: its bytes
// go to a new temporary file in the same folder, which is flushed to disk,
// closed and renamed over the name, after which the folder itself is synced.
// A failure at any point removes the temporary file, so an earlier file of
// that name is left exactly as it was. A name that is an existing device or
// pipe is written directly.
//
// The report and the info files are written in place: created, or truncated
// and rewritten.
//
// No output file is ever the input database: a name that refers to it (the
// same device and inode, however the name is spelled) cannot be opened, and
// neither can a folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "format/byte_stream.h"

namespace campdb {

// Where a file lives: its device and inode. Two names of one file (links,
// "./x" and "x") have the same identity.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// Identity of the file a name refers to, links followed; empty when there is
// no such file.
std::optional<FileIdentity> IdentityOf(const std::string& name);

class OutputFile final : public ByteSink {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // An unfinished file is abandoned.
  ~OutputFile() override;

  // Prepares to replace `name` with a completely written new file. False
  // when that cannot be done: `name` is a folder or the file `input` (the
  // input database, which nothing may replace), or could not be opened for
  // writing (an existing file that may not be written, an empty name, a
  // name too long), or no new file can be made in its folder.
  bool OpenReplacing(const std::string& name, const std::optional<FileIdentity>& input);
  // Opens `name` to be rewritten in place, creating it if need be. False
  // when it is a folder or the file `input`, or cannot be opened.
  bool OpenInPlace(const std::string& name, const std::optional<FileIdentity>& input);

  // Appends bytes; false once any write has failed.
  bool Put(const char* data, size_t size) override;
  // Completes the file: a replacing file is synced, closed and moved over
  // its name, then its folder is synced; a file written in place is closed.
  // True only when every step succeeded. A replacing file that fails is
  // removed, leaving the earlier file of the name as it was.
  bool Finish();
  // Gives up an unfinished file: a temporary file is closed and removed.
  void Abandon();

  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Name() const { return name_; }

 private:
  enum class Mode { Closed, Replacing, InPlace, Device };

  std::string name_;         // the name as the operator gave it
  std::string target_;       // the path renamed over (links resolved)
  std::string temporary_;    // the temporary file, while replacing
  int fd_ = -1;
  Mode mode_ = Mode::Closed;
  bool failed_ = false;
};

// Fault injection for tests, kept apart from the tool's own use: counts the
// operations output files perform on the system (each write, sync, close and
// rename) and can make one of them fail as though the disk had refused it.
namespace output_faults {
// From now on, the nth operation (1 = the next) fails; 0 injects nothing.
// Resets the count.
void FailNth(int64_t n);
// Operations performed since the last FailNth.
int64_t Performed();
}  // namespace output_faults

}  // namespace campdb
