#include "frt/CFrtElement.h"

#include "common/SmallObjectPool.h"

// NOLINTNEXTLINE(misc-new-delete-overloads): the sized delete below is the matching one
void* CFrtElement::operator new(std::size_t size) {
    return smallpool::Allocate(size);
}

void CFrtElement::operator delete(void* memory, std::size_t size) noexcept {
    smallpool::Release(memory, size);
}

void CFrtElement::ImportTyped(const CAttributeMap& source) {
    char letter = 0;
    switch (m_type) {
    case FRT_ELEMENT_POINT:
        letter = 'P';
        break;
    case FRT_ELEMENT_LINE:
        letter = 'L';
        break;
    case FRT_ELEMENT_AREA:
        letter = 'A';
        break;
    }
    if (letter != 0)
        ImportTypedKeys(source, letter);
}
