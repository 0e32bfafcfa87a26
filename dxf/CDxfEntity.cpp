#include "dxf/CDxfEntity.h"

#include "dxf/EntityPool.h"

// NOLINTNEXTLINE(misc-new-delete-overloads): the sized delete below is the matching one
void* CDxfEntity::operator new(std::size_t size) {
    return entitypool::Allocate(size);
}

void CDxfEntity::operator delete(void* memory, std::size_t size) noexcept {
    entitypool::Release(memory, size);
}
