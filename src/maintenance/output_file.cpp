#include "maintenance/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace campdb {

namespace {

// --- fault injection -------------------------------------------------------

int64_t operationsPerformed = 0;
int64_t failingOperation = 0;

// Counts one operation; true when it is the one chosen to fail.
bool InjectedFault() {
  ++operationsPerformed;
  if (failingOperation != 0 && operationsPerformed == failingOperation) {
    errno = EIO;
    return true;
  }
  return false;
}

// --- system calls, each counted --------------------------------------------

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    if (InjectedFault()) return false;
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool SyncFile(int fd) {
  if (InjectedFault()) return false;
  return ::fsync(fd) == 0;
}

// Closes the descriptor in any case; false when the close reported an error
// (a delayed write error, say) or was chosen to fail.
bool CloseFile(int fd) {
  const bool fault = InjectedFault();
  const bool closed = ::close(fd) == 0;
  return closed && !fault;
}

bool MoveOver(const std::string& from, const std::string& to) {
  if (InjectedFault()) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

// Makes a rename in `folder` durable. A file system that cannot sync a
// folder at all says so with EINVAL; there is nothing more to do there.
bool SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = true;
  if (InjectedFault()) {
    synced = false;
  } else if (::fsync(fd) != 0 && errno != EINVAL) {
    synced = false;
  }
  ::close(fd);
  return synced;
}

// --- names -----------------------------------------------------------------

FileIdentity IdentityFromStat(const struct stat& st) {
  return FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

bool IsTheFile(const struct stat& st, const std::optional<FileIdentity>& file) {
  return file.has_value() && *file == IdentityFromStat(st);
}

// The path a name finally refers to when it is a link to an existing file,
// so that replacing it replaces the file and keeps the link; otherwise the
// name itself.
std::string ResolvedTarget(const std::string& name) {
  struct stat st {};
  if (::lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return name;
  char* resolved = ::realpath(name.c_str(), nullptr);
  if (resolved == nullptr) return name;
  std::string target(resolved);
  std::free(resolved);
  return target;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Creates a new, empty temporary file in `folder`, with the permissions a
// newly created file gets. The name is short and fixed in form, so it fits
// wherever the target's own name fits.
int CreateTemporary(const std::string& folder, std::string& path) {
  static unsigned counter = 0;
  const std::string prefix = folder == "/" ? "/" : folder + "/";
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = prefix + ".campdb-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Whether `name` could be opened for writing, without changing what is
// there: an existing file is opened and closed again untouched; where there
// is nothing yet, a file is made under the name and removed at once.
bool CouldOpenForWriting(const std::string& name, bool exists) {
  if (exists) {
    const int fd = ::open(name.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
  }
  struct stat entry {};
  if (::lstat(name.c_str(), &entry) == 0) return true;  // a link to nothing yet
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(name.c_str());
  return true;
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& name) {
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0) return std::nullopt;
  return IdentityFromStat(st);
}

OutputFile::~OutputFile() { Abandon(); }

bool OutputFile::OpenReplacing(const std::string& name, const std::optional<FileIdentity>& input) {
  Abandon();
  name_ = name;
  failed_ = false;
  struct stat st {};
  const bool exists = ::stat(name.c_str(), &st) == 0;
  if (exists && (S_ISDIR(st.st_mode) || IsTheFile(st, input))) return false;

  if (exists && !S_ISREG(st.st_mode)) {
    // A device or a pipe: there is nothing to replace, only to write to.
    fd_ = ::open(name.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) return false;
    struct stat opened {};
    if (::fstat(fd_, &opened) != 0 || S_ISDIR(opened.st_mode) || IsTheFile(opened, input)) {
      ::close(fd_);
      fd_ = -1;
      return false;
    }
    target_ = name;
    mode_ = Mode::Device;
    return true;
  }

  // The name must be one that could be opened for writing: an existing file
  // the operator may not write, an empty name or one too long for its folder
  // cannot be opened, and is refused now rather than when the finished file
  // would be moved over it.
  if (!CouldOpenForWriting(name, exists)) return false;

  target_ = ResolvedTarget(name);
  fd_ = CreateTemporary(FolderOf(target_), temporary_);
  if (fd_ < 0) {
    temporary_.clear();
    return false;
  }
  // The new file takes over the permissions of the one it replaces.
  if (exists) ::fchmod(fd_, st.st_mode & 07777);
  mode_ = Mode::Replacing;
  return true;
}

bool OutputFile::OpenInPlace(const std::string& name, const std::optional<FileIdentity>& input) {
  Abandon();
  name_ = name;
  target_ = name;
  failed_ = false;
  // Opened without truncating, so that nothing is lost before the file has
  // been checked: it may be the input database under another name.
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || IsTheFile(st, input) ||
      (S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  mode_ = S_ISREG(st.st_mode) ? Mode::InPlace : Mode::Device;
  return true;
}

bool OutputFile::Put(const char* data, size_t size) {
  if (fd_ < 0 || failed_) return false;
  if (!WriteAll(fd_, data, size)) failed_ = true;
  return !failed_;
}

bool OutputFile::Finish() {
  if (fd_ < 0) return false;
  if (failed_) {
    Abandon();
    return false;
  }
  if (mode_ != Mode::Replacing) {
    const bool closed = CloseFile(fd_);
    fd_ = -1;
    mode_ = Mode::Closed;
    return closed;
  }

  const bool synced = SyncFile(fd_);
  const bool closed = CloseFile(fd_);
  fd_ = -1;
  if (!synced || !closed || !MoveOver(temporary_, target_)) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
    mode_ = Mode::Closed;
    return false;
  }
  temporary_.clear();
  mode_ = Mode::Closed;
  // The new file is in place now; a folder that cannot be synced leaves it
  // there but not known to be safe on disk, which is still a failure.
  return SyncFolder(FolderOf(target_));
}

void OutputFile::Abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  mode_ = Mode::Closed;
}

namespace output_faults {

void FailNth(int64_t n) {
  operationsPerformed = 0;
  failingOperation = n;
}

int64_t Performed() { return operationsPerformed; }

}  // namespace output_faults

}  // namespace campdb
