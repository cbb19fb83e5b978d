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
};

// Runs the built tool in the working folder. Standard input comes from a
// removed temporary file, so the folder holds only what the tool made;
// standard output is a pipe, which a file-size limit does not reach. With
// `fileSizeLimit`, no file the tool writes may grow past it, and SIGXFSZ is
// ignored so that such a write fails instead of killing the tool.
inline ToolRun RunTool(std::vector<std::string> args, const std::string& input,
                       std::optional<rlim_t> fileSizeLimit = std::nullopt) {
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
    if (fileSizeLimit) {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{*fileSizeLimit, *fileSizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
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
  char chunk[4096];
  for (ssize_t got; (got = ::read(pipeFds[0], chunk, sizeof chunk)) != 0;) {
    if (got > 0) run.transcript.append(chunk, static_cast<size_t>(got));
    else if (errno != EINTR) break;
  }
  ::close(pipeFds[0]);
  int wstatus = 0;
  ::waitpid(child, &wstatus, 0);
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  return run;
}

}  // namespace campdb::testing
