#include "CDxfEntity.h"

#include "EntityPool.h"

void* CDxfEntity::operator new(std::size_t size) { // NOLINT(misc-new-delete-overloads) return EntityPool::Allocate(size); }

void CDxfEntity::operator delete(void* memory, std::size_t size) noexcept { EntityPool::Release(memory, size); }
