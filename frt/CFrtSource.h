#pragma once

#include "common/Failure.h"
#include "frt/FrtTypes.h"
#include "frt/IFrtConsumer.h"

#include <memory>
#include <string>

// How a Read went. The export run ignores it; the batch tool reports it.
struct FrtReadResult {
    bool opened = false;
    Failure error; // when the file could not be opened or read
    std::uint64_t bytes = 0;
    std::uint64_t checksum = 0; // of the bytes read, to tell whether a second reading saw the same
    std::uint64_t elements = 0;
    std::uint64_t points = 0; // of the elements: records of [Points], lines, areas
    std::uint64_t lines = 0;
    std::uint64_t areas = 0;

    [[nodiscard]] bool Ok() const { return opened && !error; }
};

// Something that reads FRT elements and hands them to the consumer it owns.
class CFrtSource {
public:
    CFrtSource(std::unique_ptr<IFrtConsumer> consumer, const DataKindFlags* dataKinds)
        : m_consumer(std::move(consumer)), m_dataKinds(dataKinds) {}
    CFrtSource(const CFrtSource&) = delete;
    CFrtSource& operator=(const CFrtSource&) = delete;
    virtual ~CFrtSource() = default;

    virtual FrtReadResult Read(const std::string& path) = 0;
    virtual void SetConsumer(std::unique_ptr<IFrtConsumer> consumer) { m_consumer = std::move(consumer); }
    [[nodiscard]] virtual IFrtConsumer* GetConsumer() const { return m_consumer.get(); }
    [[nodiscard]] virtual const DataKindFlags* GetDataKinds() const { return m_dataKinds; }

private:
    std::unique_ptr<IFrtConsumer> m_consumer;
    const DataKindFlags* m_dataKinds; // the caller's word, not owned
};
