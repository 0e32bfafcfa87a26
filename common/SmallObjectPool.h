#pragma once

#include <cstddef>
#include <string>

// Storage for the small objects a conversion makes and drops by the million, one after the
// other (elements of the survey, entities of the drawing): a free list per size serves them
// faster than the general heap (a tenth of the medium job's CPU time). Memory is carved from
// 64 KiB slabs that go back to the system only at exit; as each object is dropped before the
// next is made, a few slabs serve a whole run. Each thread has its own pool, so no lock is
// needed; an object released on another thread only moves to that thread's pool. Builds with
// AddressSanitizer use the ordinary heap so that every object stays checked.
namespace smallpool {

void* Allocate(std::size_t size);
void Release(void* memory, std::size_t size) noexcept;

// The pool as an allocator, for the strings of short-lived objects.
template <typename T> struct Allocator {
    using value_type = T;
    Allocator() = default;
    template <typename U> explicit Allocator(const Allocator<U>& /*other*/) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(Allocate(n * sizeof(T))); }
    void deallocate(T* memory, std::size_t n) noexcept { Release(memory, n * sizeof(T)); }
    friend bool operator==(const Allocator& /*a*/, const Allocator& /*b*/) { return true; }
    friend bool operator!=(const Allocator& /*a*/, const Allocator& /*b*/) { return false; }
};
using String = std::basic_string<char, std::char_traits<char>, Allocator<char>>;

// The calling thread's pool, null before the thread's first object; kept by the platform file.
// MinGW's thread_local costs a lock and a call per access, the Windows slot a few instructions.
void* ThreadPool() noexcept;
void SetThreadPool(void* pool) noexcept;

} // namespace smallpool
