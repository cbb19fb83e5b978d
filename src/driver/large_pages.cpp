// The program's allocation of large blocks. A large database makes a few
// blocks of many megabytes (the list of its objects, the check's tables of
// ids and ship entries, the indexes): in ordinary pages each costs a page
// fault every 4 KB when it is first written, and lookups that jump about in
// it miss the processor's page cache at nearly every step. A block of at
// least a few large pages is placed on a large-page boundary and asked for
// in large pages, as the input buffer is; where the system has none it is
// an ordinary block. Smaller blocks are the C library's as ever.
//
// Linked into the program and the benchmark only: the tests and the fuzz
// targets keep the allocator their sanitizers watch.

#include <sys/mman.h>

#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define CAMPDB_SANITIZED_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CAMPDB_SANITIZED_ALLOCATOR 1
#endif

#ifndef CAMPDB_SANITIZED_ALLOCATOR

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;
constexpr std::size_t kLargeBlock = kLargePage;

void* Allocate(std::size_t size) {
  while (true) {
    void* block = nullptr;
    if (size >= kLargeBlock) {
      // (aligned_alloc would want the size a whole number of large pages.)
      if (::posix_memalign(&block, kLargePage, size) != 0) block = nullptr;
      // Only the large pages the block covers whole: its last, partial one
      // stays in ordinary pages, so that no memory is taken beyond it.
      if (block != nullptr) ::madvise(block, size / kLargePage * kLargePage, MADV_HUGEPAGE);
    } else {
      block = std::malloc(size != 0 ? size : 1);
    }
    if (block != nullptr) return block;
    const std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

#endif
