#include "support/allocation_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> armed{false};
std::atomic<size_t> largest{0};
std::atomic<size_t> total{0};

void* Allocate(size_t size) {
  if (armed.load(std::memory_order_relaxed)) {
    total.fetch_add(size, std::memory_order_relaxed);
    size_t seen = largest.load(std::memory_order_relaxed);
    while (size > seen && !largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
// The forms that return null instead of throwing (a JSON parser's buffers)
// must come from the same heap as the deletes above.
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace campdb::testdb {

AllocationProbe::AllocationProbe() {
  largest = 0;
  total = 0;
  armed = true;
}

AllocationProbe::~AllocationProbe() { armed = false; }

size_t AllocationProbe::Largest() const { return largest; }
size_t AllocationProbe::Total() const { return total; }

}  // namespace campdb::testdb
