// Files the tool writes: the output database, the report and the campaign
// info files.
//
// The output database replaces its name only once it is complete: its bytes
// go to a new temporary file in the same folder, which is flushed to disk,
// closed and renamed over the name, after which the folder itself is synced.
// A failure at any point removes the temporary file, so an earlier file of
// that name is left exactly as it was. A file that replaces another takes
// over its permission bits and, where the process may set them, its owner
// and group; a new file gets the usual mode (0666 less the umask). A name
// that is an existing device or pipe is written directly. The info files
// that describe a database are replaced the same way, once it is in place.
//
// The report is written in place: created, or truncated and rewritten.
//
// A run interrupted by SIGINT, SIGTERM or SIGHUP removes the temporary
// files it has made before it ends (see RemoveTemporaryFilesOnInterrupt).
//
// No output file is ever the input database: a name that refers to it (the
// same device and inode, however the name is spelled) cannot be opened, and
// neither can a folder.
#pragma once

#include <signal.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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

// What a name that a file would be written under refers to now, links
// followed: nothing yet (or nothing that can be looked at), a regular file,
// another kind of file (a device, a pipe), a folder, or the file `input`
// (the input database, which nothing may replace).
enum class OutputTarget { New, Regular, Device, Folder, Input };
OutputTarget TargetOf(const std::string& name, const std::optional<FileIdentity>& input);

// From now on SIGINT, SIGTERM and SIGHUP remove every temporary file an
// OutputFile has made and not yet moved into place, then end the process
// with 128 + the signal. A signal that was ignored when this is called stays
// ignored.
void RemoveTemporaryFilesOnInterrupt();

// Holds off SIGINT, SIGTERM and SIGHUP for its lifetime, so that a temporary
// file is never made or moved without its entry agreeing. A thread created
// while they are held keeps them held for its life, so that they always
// reach the main thread.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

 private:
  sigset_t previous_;
};

class AheadWriter;

class OutputFile final : public ByteSink {
 public:
  OutputFile();
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

  // For a new file expected to hold mostly `likely`, at the same places (a
  // database written again with few or no changes): starts writing those
  // bytes into it, and syncing them, on a thread of its own, so that the
  // disk works while the run goes on. The Puts that follow wait until what
  // is planned is written, then write only the pages that differ (the sync
  // may go on meanwhile; Finish waits for it), and Finish cuts the file to
  // the length put: what is under the name in the end is exactly what was
  // put, and a failure of the writing ahead is the file's failure. The
  // bytes must stay unchanged until Finish or Abandon.
  void WriteAhead(std::string_view likely);
  // Before the first Put: the bytes from `at` on are now expected to be
  // `likely` (none: the file is expected to end at `at`) rather than what
  // was planned there, as when the run finds that the output leaves out
  // bytes of its input. The thread writes them over what it wrote there.
  void WriteAheadFrom(uint64_t at, std::string_view likely);

  // Appends bytes; false once any write has failed.
  bool Put(const char* data, size_t size) override;
  // While written ahead: runs of the bytes written ahead, handed over where
  // they lie, need not even be compared.
  bool TakesRunsWhereTheyLie() const override { return ahead_ != nullptr; }
  // Completes the file: a replacing file is synced, closed and moved over
  // its name, then its folder is synced; a file written in place is closed.
  // True only when every step succeeded. A replacing file that fails is
  // removed, leaving the earlier file of the name as it was.
  bool Finish();
  // Gives up an unfinished file: a temporary file is closed and removed.
  void Abandon();

  bool IsOpen() const { return fd_ >= 0; }
  // While replacing: the temporary file being written, for a writer that
  // must open the file by its name (it is synced and moved by Finish).
  const std::string& TemporaryName() const { return temporary_; }
  const std::string& Name() const { return name_; }
  // After a failure: the name and why it failed, as the system put it
  // ("out.db: No space left on device").
  std::string Reason() const;
  // After a successful Finish: the file now under the name.
  const std::optional<FileIdentity>& Written() const { return written_; }
  // The number of bytes put so far.
  uint64_t Size() const { return size_; }

 private:
  enum class Mode { Closed, Replacing, InPlace, Device };

  std::string name_;         // the name as the operator gave it
  std::string target_;       // the path renamed over (links resolved)
  std::string temporary_;    // the temporary file, while replacing
  int fd_ = -1;
  Mode mode_ = Mode::Closed;
  bool failed_ = false;
  // The first failure: a system error number, or a reason of the tool's own.
  int error_ = 0;
  std::string ownReason_;
  std::optional<FileIdentity> written_;
  uint64_t size_ = 0;
  uint64_t writebackFrom_ = 0;  // the bytes put from here on are not yet on their way to disk
  // The writing ahead, while there is one (see output_file.cpp).
  std::unique_ptr<AheadWriter> ahead_;

  // Waits until what is planned is written ahead, or also synced; false
  // when that failed, which fails the file.
  bool AwaitAheadWritten();
  bool AwaitAhead();
  bool PutOver(const char* data, size_t size);
  bool Refuse(int error);
  bool Refuse(std::string reason);
  void DropTemporary();
};

}  // namespace campdb
