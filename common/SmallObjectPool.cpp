#include "common/SmallObjectPool.h"

#include <array>
#include <memory>
#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define FRT2DXF_PLAIN_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FRT2DXF_PLAIN_HEAP 1
#endif
#endif

namespace smallpool {
namespace {

constexpr std::size_t kGrain = 8; // the objects hold doubles and pointers at most
constexpr std::size_t kLargest = 512;
constexpr std::size_t kSlab = std::size_t{64} << 10;

// Slabs are not zeroed: every object is constructed in place before use.
struct SlabDeleter {
    void operator()(void* slab) const noexcept { ::operator delete(slab); }
};
using Slab = std::unique_ptr<void, SlabDeleter>;

struct FreeNode {
    FreeNode* next;
};

class Pool {
public:
    void* Allocate(std::size_t size) {
        const std::size_t cls = ClassOf(size);
        if (FreeNode* node = m_free[cls]) {
            m_free[cls] = node->next;
            return node;
        }
        const std::size_t bytes = (cls + 1) * kGrain;
        if (m_slabRest < bytes) {
            m_slabs.emplace_back(::operator new(kSlab));
            m_slabNext = static_cast<std::byte*>(m_slabs.back().get());
            m_slabRest = kSlab;
        }
        void* memory = m_slabNext;
        m_slabNext += bytes;
        m_slabRest -= bytes;
        return memory;
    }

    void Release(void* memory, std::size_t size) noexcept {
        const std::size_t cls = ClassOf(size);
        auto* node = static_cast<FreeNode*>(memory);
        node->next = m_free[cls];
        m_free[cls] = node;
    }

private:
    static std::size_t ClassOf(std::size_t size) { return (size + kGrain - 1) / kGrain - 1; }

    std::array<FreeNode*, kLargest / kGrain> m_free{};
    std::vector<Slab> m_slabs;
    std::byte* m_slabNext = nullptr;
    std::size_t m_slabRest = 0;
};

[[maybe_unused]] Pool& ThePool() {
    // One pool per thread, so that conversions on several threads need no lock: an object is
    // made and released on the thread that converts it. Never destroyed: objects held by static
    // objects are released after static destruction began.
    if (void* pool = ThreadPool())
        return *static_cast<Pool*>(pool);
    auto* pool = new Pool(); // NOLINT(cppcoreguidelines-owning-memory)
    SetThreadPool(pool);
    return *pool;
}

} // namespace

void* Allocate(std::size_t size) {
#ifndef FRT2DXF_PLAIN_HEAP
    if (size > 0 && size <= kLargest)
        return ThePool().Allocate(size);
#endif
    return ::operator new(size);
}

void Release(void* memory, [[maybe_unused]] std::size_t size) noexcept {
    if (memory == nullptr)
        return;
#ifndef FRT2DXF_PLAIN_HEAP
    if (size > 0 && size <= kLargest) {
        ThePool().Release(memory, size);
        return;
    }
#endif
    ::operator delete(memory);
}

} // namespace smallpool
