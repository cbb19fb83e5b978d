// Test helpers: a scratch folder that is the working folder for the length
// of a test, small file utilities, and a runner for the built tool.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace campdb::testing {

namespace fs = std::filesystem;

class ScratchFolder {
 public:
  ScratchFolder() : previous_(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "campdb-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    fs::current_path(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Every name in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path previous_;
  fs::path path_;
};

inline void WriteFile(const fs::path& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::optional<std::string> ReadFile(const fs::path& name) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (auto line : lines) text.append(line).push_back('\n');
  return text;
}

struct ToolRun {
  std::string transcript;   // standard output
  std::string diagnostics;  // standard error
  int status = -1;          // exit status; -1 when it did not exit normally
  int signal = 0;           // the signal that ended it, if one did
};

// Limits a run of the tool is held to.
struct ToolLimits {
  // No file the tool writes may grow past this; SIGXFSZ is ignored, so that
  // such a write fails instead of killing the tool.
  std::optional<rlim_t> fileSize;
  // The tool's whole address space; an allocation beyond it fails.
  std::optional<rlim_t> addressSpace;
  // A run still going after this many seconds is ended by SIGALRM (0: never).
  // This only detects a tool that never ends; it measures nothing.
  unsigned watchdogSeconds = 0;
};

// A run of the built tool in progress: its process, and the reading ends of
// the pipes its standard output and standard error go to.
struct StartedTool {
  pid_t pid = -1;
  int out = -1;
  int err = -1;
};

// The tool the runs start: the one built, unless CAMPDB_TOOL names another
// (an earlier build, say, to see that a change alters no output).
inline std::string ToolBinary() {
  const char* tool = std::getenv("CAMPDB_TOOL");
  return tool != nullptr && *tool != '\0' ? tool : CAMPDB_BINARY;
}

// Starts the tool in the working folder with `input` as its standard input
// (the descriptor is closed here).
inline StartedTool StartTool(std::vector<std::string> args, int input, const ToolLimits& limits = {}) {
  args.insert(args.begin(), ToolBinary());
  int outFds[2];
  int errFds[2];
  if (::pipe(outFds) != 0 || ::pipe(errFds) != 0) std::abort();
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(input, 0);
    ::dup2(outFds[1], 1);
    ::dup2(errFds[1], 2);
    for (int fd : {input, outFds[0], outFds[1], errFds[0], errFds[1]}) ::close(fd);
    if (limits.fileSize) {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{*limits.fileSize, *limits.fileSize};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (limits.addressSpace) {
      const rlimit limit{*limits.addressSpace, *limits.addressSpace};
      ::setrlimit(RLIMIT_AS, &limit);
    }
    // The alarm outlives exec and, unhandled, ends the tool.
    if (limits.watchdogSeconds > 0) ::alarm(limits.watchdogSeconds);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(input);
  ::close(outFds[1]);
  ::close(errFds[1]);
  return StartedTool{child, outFds[0], errFds[0]};
}

// Adds what `fd` has to `text` (at most 16 MiB are kept), waiting at most
// `timeoutMs` for it; false once the pipe has ended.
inline bool ReadSome(int fd, std::string& text, int timeoutMs) {
  pollfd ready{fd, POLLIN, 0};
  if (::poll(&ready, 1, timeoutMs) <= 0) return true;
  char chunk[4096];
  const ssize_t got = ::read(fd, chunk, sizeof chunk);
  if (got < 0) return errno == EINTR;
  if (got == 0) return false;
  if (text.size() < (size_t{16} << 20)) text.append(chunk, static_cast<size_t>(got));
  return true;
}

// Reads both pipes to their end and waits for the process; `run` may hold
// what was read from them before.
inline ToolRun FinishTool(const StartedTool& tool, ToolRun run = {}) {
  bool outOpen = true;
  bool errOpen = true;
  while (outOpen || errOpen) {
    pollfd fds[2] = {{outOpen ? tool.out : -1, POLLIN, 0}, {errOpen ? tool.err : -1, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (outOpen && fds[0].revents != 0) outOpen = ReadSome(tool.out, run.transcript, 0);
    if (errOpen && fds[1].revents != 0) errOpen = ReadSome(tool.err, run.diagnostics, 0);
  }
  ::close(tool.out);
  ::close(tool.err);
  int wstatus = 0;
  while (::waitpid(tool.pid, &wstatus, 0) < 0 && errno == EINTR) {
  }
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  run.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
  return run;
}

// Runs the built tool in the working folder. Standard input comes from a
// removed temporary file, so the folder holds only what the tool made;
// standard output and standard error are pipes, which a file-size limit
// does not reach.
inline ToolRun RunTool(std::vector<std::string> args, const std::string& input, const ToolLimits& limits) {
  char inName[] = "/tmp/campdb-stdin-XXXXXX";
  const int inFd = ::mkstemp(inName);
  ::unlink(inName);
  if (inFd < 0 || ::write(inFd, input.data(), input.size()) != static_cast<ssize_t>(input.size())) std::abort();
  ::lseek(inFd, 0, SEEK_SET);
  return FinishTool(StartTool(std::move(args), inFd, limits));
}

inline ToolRun RunTool(std::vector<std::string> args, const std::string& input,
                       std::optional<rlim_t> fileSizeLimit = std::nullopt) {
  return RunTool(std::move(args), input, ToolLimits{fileSizeLimit, std::nullopt, 0});
}

}  // namespace campdb::testing
