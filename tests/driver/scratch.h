// Test helpers: a scratch folder that is the working folder for the length
// of a test, small file utilities, and a runner for the built tool.
#pragma once

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
  std::string transcript;  // standard output
  int status = -1;         // exit status; -1 when it did not exit normally
  int signal = 0;          // the signal that ended it, if one did
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

// Runs the built tool in the working folder. Standard input comes from a
// removed temporary file, so the folder holds only what the tool made;
// standard output is a pipe, which a file-size limit does not reach. At most
// the first 16 MiB of the transcript are kept.
inline ToolRun RunTool(std::vector<std::string> args, const std::string& input, const ToolLimits& limits) {
  char inName[] = "/tmp/campdb-stdin-XXXXXX";
  const int inFd = ::mkstemp(inName);
  ::unlink(inName);
  int pipeFds[2];
  if (::write(inFd, input.data(), input.size()) != static_cast<ssize_t>(input.size()) || ::pipe(pipeFds) != 0) {
    std::abort();
  }
  ::lseek(inFd, 0, SEEK_SET);

  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(inFd, 0);
    ::dup2(pipeFds[1], 1);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
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
    args.insert(args.begin(), CAMPDB_BINARY);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  ::close(inFd);
  ToolRun run;
  constexpr size_t kTranscriptLimit = size_t{16} << 20;
  char chunk[4096];
  for (ssize_t got; (got = ::read(pipeFds[0], chunk, sizeof chunk)) != 0;) {
    if (got > 0) {
      if (run.transcript.size() < kTranscriptLimit) run.transcript.append(chunk, static_cast<size_t>(got));
    } else if (errno != EINTR) {
      break;
    }
  }
  ::close(pipeFds[0]);
  int wstatus = 0;
  while (::waitpid(child, &wstatus, 0) < 0 && errno == EINTR) {
  }
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  run.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
  return run;
}

inline ToolRun RunTool(std::vector<std::string> args, const std::string& input,
                       std::optional<rlim_t> fileSizeLimit = std::nullopt) {
  return RunTool(std::move(args), input, ToolLimits{fileSizeLimit, std::nullopt, 0});
}

}  // namespace campdb::testing
