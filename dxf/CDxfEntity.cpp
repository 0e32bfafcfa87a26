#include "dxf/CDxfEntity.h"

#include "common/SmallObjectPool.h"

// NOLINTNEXTLINE(misc-new-delete-overloads): the sized delete below is the matching one
void* CDxfEntity::operator new(std::size_t size) {
    return smallpool::Allocate(size);
}

void CDxfEntity::operator delete(void* memory, std::size_t size) noexcept {
    smallpool::Release(memory, size);
}
