#pragma once

class CDxfEntity;

// Hears of each entity a streaming document writes, right after it was written (see
// CDxfDocument::streamTo), on the thread that writes it.
class IEntityObserver {
public:
    virtual ~IEntityObserver() = default;
    virtual void Streamed(const CDxfEntity& entity) = 0;
};
