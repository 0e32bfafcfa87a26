#include "common/SmallObjectPool.h"

namespace smallpool {
namespace {
thread_local void* t_pool = nullptr;
} // namespace

void* ThreadPool() noexcept {
    return t_pool;
}

void SetThreadPool(void* pool) noexcept {
    t_pool = pool;
}

} // namespace smallpool
