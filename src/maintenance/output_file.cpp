#include "maintenance/output_file.h"

#include "console/standard_output.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "maintenance/system_calls.h"

namespace campdb {

namespace {

// --- temporary files an interrupt must remove ------------------------------

// The temporary files not yet moved into place, kept where a signal handler
// may read them: fixed storage, each entry's path written completely before
// it is marked in use. A run has at most the output database and one info
// file in the making at a time.
struct TemporaryEntry {
  char path[4096];
  volatile sig_atomic_t inUse;
};
TemporaryEntry temporaries[4];

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

}  // namespace

InterruptsHeld::InterruptsHeld() {
  sigset_t held;
  sigemptyset(&held);
  for (int signal : kInterrupts) sigaddset(&held, signal);
  ::sigprocmask(SIG_BLOCK, &held, &previous_);
}

InterruptsHeld::~InterruptsHeld() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }

namespace {

void Remember(const std::string& path) {
  if (path.size() >= sizeof temporaries[0].path) return;  // no such path can be made
  for (TemporaryEntry& entry : temporaries) {
    if (entry.inUse) continue;
    std::memcpy(entry.path, path.c_str(), path.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    entry.inUse = 1;
    return;
  }
}

void Forget(const std::string& path) {
  for (TemporaryEntry& entry : temporaries) {
    if (entry.inUse && path == entry.path) {
      entry.inUse = 0;
      return;
    }
  }
}

// Only calls that are safe in a signal handler: unlink and _exit.
extern "C" void RemoveTemporariesAndEnd(int signal) {
  for (TemporaryEntry& entry : temporaries) {
    if (entry.inUse) ::unlink(entry.path);
  }
  // The console lines said so far are not lost with the run.
  WriteGatheredStandardOutput();
  ::_exit(128 + signal);
}

// --- the calls that reach the disk (see system_calls.h) ---------------------

// The most one call writes. A large write makes the system take large
// blocks of memory for the file's pages, which it finds far more slowly
// than the pages a megabyte at a time needs: 140 MB in one call has been
// seen to take ten times as long as in pieces.
constexpr size_t kWritePiece = size_t{1} << 20;

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = system_calls::Write(fd, data, std::min(size, kWritePiece));
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

// Asks the system to start writing `count` bytes at `at` of a file to disk
// now, rather than all at once when the file is synced, so that the disk
// works while the rest is made. Only a hint: the sync still waits for
// every byte and reports any failure.
void StartWriteback(int fd, uint64_t at, uint64_t count) {
  ::sync_file_range(fd, static_cast<off_t>(at), static_cast<off_t>(count), SYNC_FILE_RANGE_WRITE);
}

bool WriteAllAt(int fd, const char* data, size_t size, uint64_t at) {
  while (size > 0) {
    const ssize_t written = system_calls::WriteAt(fd, data, std::min(size, kWritePiece), static_cast<off_t>(at));
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) return false;
    data += written;
    at += static_cast<uint64_t>(written);
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool SyncFile(int fd) { return system_calls::Sync(fd) == 0; }

// Closes the descriptor in any case; false when the close reported an error
// (a delayed write error, say).
bool CloseFile(int fd) { return system_calls::Close(fd) == 0; }

bool MoveOver(const std::string& from, const std::string& to) {
  return system_calls::Rename(from.c_str(), to.c_str()) == 0;
}

// Makes a rename in `folder` durable. A file system that cannot sync a
// folder at all says so with EINVAL; there is nothing more to do there.
bool SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = system_calls::Sync(fd) == 0 || errno == EINVAL;
  const int error = errno;
  ::close(fd);
  errno = error;
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

// Creates a new, empty temporary file in `folder` with the given mode (less
// the umask), and remembers it for an interrupt to remove. The name is
// short and fixed in form, so it fits wherever the target's own name fits.
int CreateTemporary(const std::string& folder, mode_t mode, std::string& path) {
  static unsigned counter = 0;
  const std::string prefix = folder == "/" ? "/" : folder + "/";
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = prefix + ".campdb-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
    InterruptsHeld held;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) Remember(path);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Gives the new file the owner, group and permission bits of the file it
// replaces. Only a privileged process may give a file away; any process may
// at least try the group, which works for a group it belongs to. The bits
// are set last, since a change of owner clears the set-user-id bit.
void TakeOverOwnerAndMode(int fd, const struct stat& old) {
  if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
    [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
  }
  ::fchmod(fd, old.st_mode & 07777);
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
  // The probe is never left behind by an interrupt.
  InterruptsHeld held;
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(name.c_str());
  return true;
}

constexpr std::string_view kIsTheInput = "refers to the input database, which is never written";

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& name) {
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0) return std::nullopt;
  return IdentityFromStat(st);
}

OutputTarget TargetOf(const std::string& name, const std::optional<FileIdentity>& input) {
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0) return OutputTarget::New;
  if (S_ISDIR(st.st_mode)) return OutputTarget::Folder;
  if (IsTheFile(st, input)) return OutputTarget::Input;
  return S_ISREG(st.st_mode) ? OutputTarget::Regular : OutputTarget::Device;
}

void RemoveTemporaryFilesOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = RemoveTemporariesAndEnd;
  sigemptyset(&action.sa_mask);
  for (int signal : kInterrupts) sigaddset(&action.sa_mask, signal);
  for (int signal : kInterrupts) {
    struct sigaction previous {};
    if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &action, nullptr);
  }
}

OutputFile::OutputFile() = default;
OutputFile::~OutputFile() { Abandon(); }

bool OutputFile::Refuse(int error) {
  if (error_ == 0 && ownReason_.empty()) error_ = error != 0 ? error : EIO;
  return false;
}

bool OutputFile::Refuse(std::string reason) {
  if (error_ == 0 && ownReason_.empty()) ownReason_ = std::move(reason);
  return false;
}

std::string OutputFile::Reason() const {
  return name_ + ": " + (ownReason_.empty() ? std::string(std::strerror(error_ != 0 ? error_ : EIO)) : ownReason_);
}

bool OutputFile::OpenReplacing(const std::string& name, const std::optional<FileIdentity>& input) {
  Abandon();
  name_ = name;
  failed_ = false;
  error_ = 0;
  ownReason_.clear();
  written_.reset();
  struct stat st {};
  const bool exists = ::stat(name.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return Refuse(EISDIR);
  if (exists && IsTheFile(st, input)) return Refuse(std::string(kIsTheInput));

  if (exists && !S_ISREG(st.st_mode)) {
    // A device or a pipe: there is nothing to replace, only to write to.
    fd_ = ::open(name.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) return Refuse(errno);
    struct stat opened {};
    if (::fstat(fd_, &opened) != 0 || S_ISDIR(opened.st_mode) || IsTheFile(opened, input)) {
      const int error = S_ISDIR(opened.st_mode) ? EISDIR : errno;
      const bool isInput = IsTheFile(opened, input);
      ::close(fd_);
      fd_ = -1;
      return isInput ? Refuse(std::string(kIsTheInput)) : Refuse(error);
    }
    target_ = name;
    mode_ = Mode::Device;
    return true;
  }

  // The name must be one that could be opened for writing: an existing file
  // the operator may not write, an empty name or one too long for its folder
  // cannot be opened, and is refused now rather than when the finished file
  // would be moved over it.
  if (!CouldOpenForWriting(name, exists)) return Refuse(errno);

  target_ = ResolvedTarget(name);
  // A file that replaces another is made readable by its maker alone until
  // it has the old file's owner and mode, so that it is never open to more
  // people than the old file was.
  fd_ = CreateTemporary(FolderOf(target_), exists ? 0600 : 0666, temporary_);
  if (fd_ < 0) {
    temporary_.clear();
    return Refuse(errno);
  }
  if (exists) TakeOverOwnerAndMode(fd_, st);
  mode_ = Mode::Replacing;
  return true;
}

bool OutputFile::OpenInPlace(const std::string& name, const std::optional<FileIdentity>& input) {
  Abandon();
  name_ = name;
  target_ = name;
  failed_ = false;
  error_ = 0;
  ownReason_.clear();
  written_.reset();
  // Opened without truncating, so that nothing is lost before the file has
  // been checked: it may be the input database under another name.
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return Refuse(errno);
  struct stat st {};
  int error = 0;
  if (::fstat(fd, &st) != 0) {
    error = errno;
  } else if (S_ISDIR(st.st_mode)) {
    error = EISDIR;
  } else if (IsTheFile(st, input)) {
    ::close(fd);
    return Refuse(std::string(kIsTheInput));
  } else if (S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) {
    error = errno;
  }
  if (error != 0) {
    ::close(fd);
    return Refuse(error);
  }
  fd_ = fd;
  mode_ = S_ISREG(st.st_mode) ? Mode::InPlace : Mode::Device;
  return true;
}

// The bytes an output file is expected to hold, written into it and synced
// on a thread of its own. The plan is a list of pieces in file order, each
// a run of bytes at a place; a change of plan from a place on makes the
// thread go back there and write the new bytes over the old. Once the file
// is put (Close), the plan no longer changes.
class AheadWriter {
 public:
  AheadWriter(int fd, std::string_view likely) : fd_(fd) {
    plan_.push_back({0, likely});
    // Created with the interrupts held, the thread keeps them held for its
    // life, so that they always reach the main thread.
    InterruptsHeld held;
    thread_ = std::thread([this] { Run(); });
  }
  ~AheadWriter() {
    Close();
    Finish();
  }
  AheadWriter(const AheadWriter&) = delete;
  AheadWriter& operator=(const AheadWriter&) = delete;

  void Replan(uint64_t at, std::string_view likely) {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    while (!plan_.empty() && plan_.back().at >= at) plan_.pop_back();
    if (!plan_.empty()) {
      Piece& last = plan_.back();
      last.bytes = last.bytes.substr(0, std::min<uint64_t>(last.bytes.size(), at - last.at));
    }
    if (!likely.empty()) plan_.push_back({at, likely});
    rewindTo_ = std::min(rewindTo_, at);
    caughtUp_ = false;
    changed_.notify_all();
  }

  // Ends the changes and waits until the plan is written: 0, or the error
  // of the write that failed.
  int Close() {
    std::unique_lock lock(mutex_);
    closed_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return caughtUp_ || writeError_ != 0; });
    return writeError_;
  }
  // After Close: waits until the thread is done, then its sync's error, or 0.
  int Finish() {
    if (thread_.joinable()) thread_.join();
    return syncError_;
  }

  // After Close: whether `count` bytes at `at` are the ones planned there.
  bool Holds(uint64_t at, const char* data, size_t count) const {
    while (count > 0) {
      const Piece* piece = PieceAt(at);
      if (piece == nullptr) return false;
      const uint64_t within = at - piece->at;
      const size_t n = static_cast<size_t>(std::min<uint64_t>(count, piece->bytes.size() - within));
      const char* there = piece->bytes.data() + within;
      if (there != data && std::memcmp(there, data, n) != 0) return false;
      at += n;
      data += n;
      count -= n;
    }
    return true;
  }

 private:
  struct Piece {
    uint64_t at;
    std::string_view bytes;
  };

  // The piece that holds the byte at `at`, if one does.
  const Piece* PieceAt(uint64_t at) const {
    auto after = std::upper_bound(plan_.begin(), plan_.end(), at, [](uint64_t x, const Piece& p) { return x < p.at; });
    if (after == plan_.begin()) return nullptr;
    const Piece& piece = *std::prev(after);
    return at - piece.at < piece.bytes.size() ? &piece : nullptr;
  }

  void Run() {
    std::unique_lock lock(mutex_);
    uint64_t at = 0;
    bool synced = true;
    while (writeError_ == 0) {
      at = std::min(at, rewindTo_);
      rewindTo_ = UINT64_MAX;
      // A megabyte of the piece that holds `at`, or on to the next piece
      // when `at` lies between pieces.
      if (const Piece* piece = PieceAt(at)) {
        const uint64_t within = at - piece->at;
        const size_t count = static_cast<size_t>(std::min<uint64_t>(piece->bytes.size() - within, kWritePiece));
        const char* data = piece->bytes.data() + within;
        lock.unlock();
        const bool written = WriteAllAt(fd_, data, count, at);
        const int error = errno;
        if (written) StartWriteback(fd_, at, count);
        lock.lock();
        if (!written) writeError_ = error != 0 ? error : EIO;
        at += count;
        synced = false;
        continue;
      }
      const auto next = std::find_if(plan_.begin(), plan_.end(), [&](const Piece& p) { return p.at > at; });
      if (next != plan_.end()) {
        at = next->at;
        continue;
      }
      caughtUp_ = true;
      changed_.notify_all();
      if (!synced) {
        // The sync is made here so that its wait overlaps the run; its
        // error is kept, as a later sync of the file would not report it.
        lock.unlock();
        const bool ok = SyncFile(fd_);
        const int error = errno;
        lock.lock();
        if (!ok) syncError_ = error != 0 ? error : EIO;
        synced = true;
        continue;
      }
      if (closed_) break;
      changed_.wait(lock, [&] { return closed_ || rewindTo_ != UINT64_MAX; });
    }
    caughtUp_ = true;
    changed_.notify_all();
  }

  const int fd_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Piece> plan_;
  uint64_t rewindTo_ = UINT64_MAX;  // the lowest place the plan changed at
  bool closed_ = false;
  bool caughtUp_ = false;  // everything planned is written
  int writeError_ = 0;
  int syncError_ = 0;
  std::thread thread_;
};

void OutputFile::WriteAhead(std::string_view likely) {
  // Only a new file, not yet written to, can be written ahead; a device or
  // a pipe takes its bytes once, in order.
  if (fd_ < 0 || failed_ || mode_ != Mode::Replacing || size_ != 0 || ahead_) return;
  try {
    ahead_ = std::make_unique<AheadWriter>(fd_, likely);
  } catch (const std::system_error&) {
    // The system has no thread to give: the file is written as it is put.
  }
}

void OutputFile::WriteAheadFrom(uint64_t at, std::string_view likely) {
  if (ahead_ && size_ == 0) ahead_->Replan(at, likely);
}

bool OutputFile::AwaitAheadWritten() {
  if (!ahead_) return true;
  const int error = ahead_->Close();
  if (error == 0) return true;
  failed_ = true;
  return Refuse(error);
}

bool OutputFile::AwaitAhead() {
  if (!ahead_) return true;
  const bool written = AwaitAheadWritten();
  const int error = ahead_->Finish();
  if (!written || error == 0) return written;
  failed_ = true;
  return Refuse(error);
}

bool OutputFile::Put(const char* data, size_t size) {
  if (fd_ < 0 || !AwaitAheadWritten() || failed_) return false;
  if (!(ahead_ ? PutOver(data, size) : WriteAll(fd_, data, size))) {
    failed_ = true;
    Refuse(errno);
  }
  if (failed_) return false;
  size_ += size;
  if (mode_ == Mode::Replacing && !ahead_ && size_ - writebackFrom_ >= kWritePiece) {
    StartWriteback(fd_, writebackFrom_, size_ - writebackFrom_);
    writebackFrom_ = size_;
  }
  return true;
}

// Puts bytes at the current length of a file written ahead: only the pages
// that differ from what was written ahead there (and what lies beyond it)
// are written, each run of differing pages in one call.
bool OutputFile::PutOver(const char* data, size_t size) {
  const uint64_t at = size_;
  constexpr uint64_t kPage = 4096;
  size_t differing = 0;  // where the present run of differing pages starts
  for (size_t from = 0; from < size;) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(size - from, kPage - (at + from) % kPage));
    const bool same = ahead_->Holds(at + from, data + from, count);
    from += count;
    if (!same) continue;
    const size_t sameFrom = from - count;
    if (differing < sameFrom && !WriteAllAt(fd_, data + differing, sameFrom - differing, at + differing)) return false;
    differing = from;
  }
  return differing >= size || WriteAllAt(fd_, data + differing, size - differing, at + differing);
}

bool OutputFile::Finish() {
  if (fd_ < 0) return false;
  AwaitAhead();
  if (failed_) {
    Abandon();
    return false;
  }
  struct stat st {};
  const bool known = ::fstat(fd_, &st) == 0;
  if (mode_ != Mode::Replacing) {
    const bool closed = CloseFile(fd_);
    if (!closed) Refuse(errno);
    fd_ = -1;
    mode_ = Mode::Closed;
    if (closed && known) written_ = IdentityFromStat(st);
    return closed;
  }

  // Bytes written ahead beyond the length put (by any plan) are cut off.
  bool done = !ahead_ || ::ftruncate(fd_, static_cast<off_t>(size_)) == 0 || Refuse(errno);
  ahead_.reset();
  done = done && (SyncFile(fd_) || Refuse(errno));
  if (!CloseFile(fd_)) done = Refuse(errno);
  fd_ = -1;
  if (done) {
    InterruptsHeld held;
    done = MoveOver(temporary_, target_) || Refuse(errno);
    if (done) Forget(temporary_);
  }
  if (!done) {
    DropTemporary();
    mode_ = Mode::Closed;
    return false;
  }
  temporary_.clear();
  mode_ = Mode::Closed;
  if (known) written_ = IdentityFromStat(st);
  // The new file is in place now; a folder that cannot be synced leaves it
  // there but not known to be safe on disk, which is still a failure.
  if (!SyncFolder(FolderOf(target_))) return Refuse(errno);
  return true;
}

void OutputFile::Abandon() {
  ahead_.reset();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  DropTemporary();
  mode_ = Mode::Closed;
}

void OutputFile::DropTemporary() {
  if (temporary_.empty()) return;
  InterruptsHeld held;
  ::unlink(temporary_.c_str());
  Forget(temporary_);
  temporary_.clear();
}

}  // namespace campdb
