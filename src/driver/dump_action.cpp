// --dump writes a database as text, --restore writes a database from that
// text. Neither asks anything; every failure is a line on standard error.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ostream>
#include <sstream>
#include <string>

#include "console/console.h"
#include "driver/actions.h"
#include "driver/loader.h"
#include "maintenance/info_files.h"
#include "maintenance/output_file.h"
#include "maintenance/writer.h"
#include "textform/dump.h"
#include "textform/line_reader.h"

namespace campdb {

namespace {

// Hands the dump to a stream (standard output) in the writer's blocks.
class StreamSink final : public ByteSink {
 public:
  explicit StreamSink(std::ostream& out) : out_(out) {}
  bool Put(const char* data, size_t size) override {
    out_.write(data, static_cast<std::streamsize>(size));
    return static_cast<bool>(out_);
  }

 private:
  std::ostream& out_;
};

// The dump to restore, open for reading.
class DumpFile {
 public:
  ~DumpFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  // False with the system's reason when it cannot be opened or is a folder.
  bool Open(const std::string& name, std::string& reason) {
    fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    int error = 0;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
      error = errno;
    } else if (S_ISDIR(st.st_mode)) {
      error = EISDIR;
    }
    if (error != 0) {
      reason = std::strerror(error);
      return false;
    }
    regular_ = S_ISREG(st.st_mode);
    identity_ = FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
  }
  int Fd() const { return fd_; }
  bool Regular() const { return regular_; }
  const FileIdentity& Identity() const { return identity_; }

 private:
  int fd_ = -1;
  bool regular_ = true;
  FileIdentity identity_;
};

}  // namespace

int RunDump(const ActionRequest& request, std::ostream& out, Console& console) {
  const std::string& name = request.files[0];
  auto loaded = LoadForAction(name, request.layout, true, console);
  if (!loaded) return kActionNoInput;
  const bool complete = loaded->outcome.Complete();
  if (!complete) console.Diagnostic(Cat("warning: ", name, ": ", DescribeIncompleteLoad(loaded->outcome)));

  if (request.files.size() < 2 || request.files[1] == "-") {
    StreamSink sink(out);
    ByteWriter writer(&sink);
    WriteDump(loaded->db, writer);
    if (!writer.Flush() || !out.flush()) {
      console.Diagnostic("standard output: the dump could not be written");
      return kActionFailed;
    }
  } else {
    OutputFile file;
    if (!file.OpenReplacing(request.files[1], loaded->identity)) {
      console.Diagnostic(file.Reason());
      return kActionFailed;
    }
    ByteWriter writer(&file);
    WriteDump(loaded->db, writer);
    const bool flushed = writer.Flush();
    if (!flushed) file.Abandon();
    if (!flushed || !file.Finish()) {
      console.Diagnostic(file.Reason());
      return kActionFailed;
    }
  }
  return complete ? kActionOk : kActionIncomplete;
}

int RunRestore(const ActionRequest& request, std::ostream&, Console& console) {
  const std::string& dumpName = request.files[0];
  const std::string& outputName = request.files[1];
  DumpFile dump;
  std::string reason;
  if (!dump.Open(dumpName, reason)) {
    console.Diagnostic(Cat(dumpName, ": ", reason));
    return kActionNoInput;
  }

  // The whole dump is read and checked before any output is touched.
  Database db;
  LineReader lines(dump.Fd(), dump.Regular());
  if (const auto error = ReadDump(lines, db, request.layout)) {
    if (error->unreadable) {
      console.Diagnostic(Cat(dumpName, ": ", error->message));
      return kActionNoInput;
    }
    console.Diagnostic(Cat(dumpName, ":", error->line, ": ", error->message));
    return kActionFailed;
  }

  if (IdentityOf(outputName) == dump.Identity()) {
    console.Diagnostic(Cat(outputName, ": is the dump being restored, which is never written"));
    return kActionFailed;
  }
  OutputFile file;
  if (!file.OpenReplacing(outputName, dump.Identity())) {
    console.Diagnostic(file.Reason());
    return kActionFailed;
  }
  // The writer narrates as Clean and Edit do; an action prints none of
  // that, only the reasons of what failed (the database, an info file).
  std::istringstream nothing;
  std::ostringstream transcript;
  std::ostringstream reasons;
  Console quiet(nothing, transcript, &reasons);
  const bool written = WriteDatabase(db, file, dump.Identity(), quiet, db.unloaded, InfoFilesWithheldByRecords(db));
  std::istringstream reasonLines(reasons.str());
  for (std::string line; std::getline(reasonLines, line);) {
    console.Diagnostic(line.starts_with("campdb: ") ? std::string_view(line).substr(8) : std::string_view(line));
  }
  return written ? kActionOk : kActionFailed;
}

}  // namespace campdb
