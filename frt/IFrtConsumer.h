#pragma once

#include "frt/CFrtElement.h"

#include <memory>

// What the reader hands finished elements to. Process takes ownership of the element.
class IFrtConsumer {
public:
    IFrtConsumer() = default;
    IFrtConsumer(const IFrtConsumer&) = delete;
    IFrtConsumer& operator=(const IFrtConsumer&) = delete;
    virtual ~IFrtConsumer() = default;

    virtual void Process(std::unique_ptr<CFrtElement> element) = 0;
};
