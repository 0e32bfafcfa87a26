#pragma once

#include <cstddef>

// Storage for entities without a heap header per object: millions of small entities of a few
// sizes are carved from 64 KiB slabs, and freed ones are reused for the next entity of the same
// size. Slabs go back to the system only at exit. Each thread has its own pool:
// an entity is released on the thread that made it. Builds with
// AddressSanitizer use the ordinary heap so that every object stays checked.
namespace entitypool {

void* Allocate(std::size_t size);
void Release(void* memory, std::size_t size) noexcept;

} // namespace entitypool
