// The progress line of a long job: shown at a terminal once the job has
// run for a second, erased at its end, and never written into a pipe.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <pty.h>

#include <thread>

#include "driver/scratch.h"
#include "support/large_database.h"

namespace campdb::testing {
namespace {

// Restores `dump` from standard input, a pipe that stalls for more than a
// second halfway; returns what the tool wrote to standard error, a
// terminal or a pipe.
std::string RestoreStalled(const std::string& dump, bool terminal) {
  int feed[2];
  int errPipe[2];
  if (::pipe(feed) != 0 || ::pipe(errPipe) != 0) std::abort();
  const std::string tool = ToolBinary();
  int master = -1;
  const pid_t pid = terminal ? ::forkpty(&master, nullptr, nullptr, nullptr) : ::fork();
  if (pid == 0) {
    ::dup2(feed[0], 0);
    if (!terminal) ::dup2(errPipe[1], 2);
    for (const int fd : {feed[0], feed[1], errPipe[0], errPipe[1]}) ::close(fd);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::execl(tool.c_str(), tool.c_str(), "--restore", "-", "out.db", nullptr);
    ::_exit(127);
  }
  ::close(feed[0]);
  ::close(errPipe[1]);
  const int from = terminal ? master : errPipe[0];
  std::thread writer([&] {
    const size_t half = dump.find('\n', dump.size() / 2) + 1;
    EXPECT_EQ(::write(feed[1], dump.data(), half), static_cast<ssize_t>(half));
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    EXPECT_EQ(::write(feed[1], dump.data() + half, dump.size() - half), static_cast<ssize_t>(dump.size() - half));
    ::close(feed[1]);
  });
  std::string err;
  while (ReadSome(from, err, 100)) {
  }
  writer.join();
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0) << err;
  ::close(from);
  if (terminal) ::close(errPipe[0]);
  return err;
}

TEST(ProgressLine, AtATerminalOnly) {
  ScratchFolder folder;
  testdb::LargeDatabaseOptions options;
  options.objects = 10000;
  WriteFile("big.db", testdb::LargeDatabaseBytes(options));
  ASSERT_EQ(RunTool({"--dump", "big.db", "big.jsonl"}, "").status, 0);
  const std::string dump = *ReadFile("big.jsonl");

  const std::string shown = RestoreStalled(dump, true);
  const size_t last = shown.rfind("\rcampdb: restoring: ");
  ASSERT_NE(last, std::string::npos) << shown;
  EXPECT_NE(shown.find("\r\033[K", last), std::string::npos) << shown;
  EXPECT_EQ(RestoreStalled(dump, false).find('\r'), std::string::npos);
}

}  // namespace
}  // namespace campdb::testing
