#include "UHugePages.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace UHugePages {

#if defined(__linux__) && defined(MADV_HUGEPAGE)

namespace {

// Huge pages are 2 MiB on the usual Linux systems; elsewhere the advice is
// merely not followed.
constexpr size_t kHugePage = size_t(2) << 20;

size_t RoundUp(size_t bytes, size_t unit) { return (bytes + unit - 1) / unit * unit; }

}  // namespace

size_t Room(size_t bytes) {
  if (bytes < kHugePage) return bytes;
  const size_t room = RoundUp(bytes, kHugePage);
  return room < bytes ? bytes : room;  // no room past the address space
}

void *Allocate(size_t bytes) {
  if (bytes < kHugePage) {
    void *data = std::malloc(bytes ? bytes : 1);
    if (!data) throw std::bad_alloc();
    return data;
  }
  // A mapping one huge page longer than wanted, cut down to the part that
  // starts on a huge-page boundary, so that all of it can be backed by huge
  // pages.
  const size_t wanted = RoundUp(bytes, kHugePage);
  if (wanted < bytes || wanted + kHugePage < wanted) throw std::bad_alloc();
  void *raw = ::mmap(nullptr, wanted + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = RoundUp(start, kHugePage);
  if (aligned > start) ::munmap(raw, aligned - start);
  const uintptr_t tail = aligned + wanted;
  if (start + wanted + kHugePage > tail)
    ::munmap(reinterpret_cast<void *>(tail), start + wanted + kHugePage - tail);
  ::madvise(reinterpret_cast<void *>(aligned), wanted, MADV_HUGEPAGE);
  return reinterpret_cast<void *>(aligned);
}

void Free(void *data, size_t bytes) noexcept {
  if (!data) return;
  if (bytes < kHugePage)
    std::free(data);
  else
    ::munmap(data, RoundUp(bytes, kHugePage));
}

#else

size_t Room(size_t bytes) { return bytes; }

void *Allocate(size_t bytes) {
  void *data = std::malloc(bytes ? bytes : 1);
  if (!data) throw std::bad_alloc();
  return data;
}

void Free(void *data, size_t) noexcept { std::free(data); }

#endif

}  // namespace UHugePages
