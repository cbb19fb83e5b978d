// Reading the input database: every byte of a file of any size, from a
// regular file or a pipe, and nothing from what is not a readable file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>
#include <thread>

#include "driver/input_file.h"
#include "driver/scratch.h"

namespace campdb::testing {
namespace {

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
  return bytes;
}

std::string AsString(const InputImage& image) {
  const auto bytes = image.bytes.Bytes();
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

TEST(InputFile, RegularFilesAreReadWholeWhateverTheirSize) {
  ScratchFolder folder;
  for (size_t size : {size_t{0}, size_t{1}, size_t{4095}, size_t{4096}, size_t{4097}, size_t{65536},
                      size_t{3} << 20}) {
    const std::string bytes = Pattern(size);
    WriteFile("in.db", bytes);
    const auto image = ReadInputImage("in.db");
    ASSERT_TRUE(image.has_value()) << size;
    EXPECT_EQ(image->bytes.size, size);
    EXPECT_TRUE(AsString(*image) == bytes) << size;

    struct stat st {};
    ASSERT_EQ(::stat("in.db", &st), 0);
    EXPECT_EQ(image->identity, (FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)}));
  }
}

TEST(InputFile, APipeIsReadToItsEndPastTheFirstBuffer) {
  ScratchFolder folder;
  ASSERT_EQ(::mkfifo("pipe", 0600), 0);
  // More than the first buffer of a pipe, and not a multiple of any buffer.
  const std::string bytes = Pattern((size_t{1} << 20) + 12345);
  std::thread writer([&] {
    const int fd = ::open("pipe", O_WRONLY);
    size_t done = 0;
    while (fd >= 0 && done < bytes.size()) {
      // Small, uneven writes, so that reads return short.
      const size_t piece = std::min<size_t>(bytes.size() - done, 1000 + done % 7919);
      const ssize_t put = ::write(fd, bytes.data() + done, piece);
      if (put <= 0) break;
      done += static_cast<size_t>(put);
    }
    if (fd >= 0) ::close(fd);
  });
  const auto image = ReadInputImage("pipe");
  writer.join();
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->bytes.size, bytes.size());
  EXPECT_TRUE(AsString(*image) == bytes);
}

TEST(InputFile, FoldersAndMissingFilesCannotBeRead) {
  ScratchFolder folder;
  fs::create_directory("folder");
  // The reason for each is the system's, and a folder's is its own.
  for (const auto& [name, reason] : {std::pair<const char*, int>{"folder", EISDIR}, {"missing.db", ENOENT}, {"", ENOENT}}) {
    int error = 0;
    EXPECT_FALSE(ReadInputImage(name, &error).has_value()) << name;
    EXPECT_EQ(error, reason) << name;
  }
}

}  // namespace
}  // namespace campdb::testing
