#include "common/SmallObjectPool.h"

#include <windows.h>

namespace smallpool {
namespace {
// Made at the first use, before any thread but the first can ask.
DWORD Slot() noexcept {
    static const DWORD slot = TlsAlloc();
    return slot;
}
} // namespace

void* ThreadPool() noexcept {
    return TlsGetValue(Slot());
}

void SetThreadPool(void* pool) noexcept {
    TlsSetValue(Slot(), pool);
}

} // namespace smallpool
