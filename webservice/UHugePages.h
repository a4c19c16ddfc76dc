// UHugePages: memory for large buffers and arrays, which the system is
// asked to back with huge pages where it can. Filling fresh memory costs a
// page fault per page touched; over a buffer of many megabytes, faults a
// page of 4 KiB at a time cost more than the work done in it.
#pragma once

#include <cstddef>
#include <new>

namespace UHugePages {

// The bytes Allocate gives for a request of `bytes`: from a huge page on,
// rounded up to whole huge pages, which the caller may use.
size_t Room(size_t bytes);
// At least Room(bytes) bytes, not zeroed: a mapping of its own that starts
// on a huge-page boundary from a huge page on, malloc below. Throws
// std::bad_alloc.
void *Allocate(size_t bytes);
// Frees what Allocate gave for a request of `bytes` (or of its Room).
void Free(void *data, size_t bytes) noexcept;

// For containers of large arrays: std::vector<T, UHugePages::TAllocator<T>>.
template <typename T>
class TAllocator {
 public:
  using value_type = T;
  TAllocator() = default;
  template <typename U>
  TAllocator(const TAllocator<U> &) noexcept {}
  T *allocate(size_t count) {
    if (count > size_t(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T *>(Allocate(count * sizeof(T)));
  }
  void deallocate(T *data, size_t count) noexcept { Free(data, count * sizeof(T)); }
  template <typename U>
  bool operator==(const TAllocator<U> &) const noexcept { return true; }
  template <typename U>
  bool operator!=(const TAllocator<U> &) const noexcept { return false; }
};

}  // namespace UHugePages
