#include "frt/CFrtElement.h"

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
