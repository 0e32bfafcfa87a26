#include "common/ChunkPipeline.h"

#include <system_error>
#include <thread>
#include <utility>

struct ChunkPipeline::Slot {
    enum class Turn { Waiting, Catching, Writing };

    std::unique_ptr<Job> job;
    std::deque<std::string> pieces; // kept before its turn
    std::size_t held = 0;
    Turn turn = Turn::Waiting;
    bool finished = false;
    std::exception_ptr failure;
};

// A job's output: written through in its turn, kept before.
class ChunkPipeline::SlotSink : public ITextSink {
public:
    SlotSink(ChunkPipeline& pipeline, Slot& slot) : m_pipeline(pipeline), m_slot(slot) {}

    bool Write(const char* data, std::size_t size) override {
        std::unique_lock<std::mutex> lock(m_pipeline.m_mutex);
        m_pipeline.m_changed.wait(lock, [this] {
            return m_pipeline.m_stopping || m_slot.turn == Slot::Turn::Writing ||
                   (m_slot.turn == Slot::Turn::Waiting && m_slot.held < m_pipeline.m_heldBytes);
        });
        if (m_pipeline.m_stopping)
            return false;
        if (m_slot.turn == Slot::Turn::Writing) {
            lock.unlock(); // only this job writes now
            if ((*m_pipeline.m_write)(std::string_view(data, size)))
                return true;
            lock.lock();
            m_pipeline.m_writeFailed = true;
            return false;
        }
        if (m_pipeline.m_spare.empty()) {
            m_slot.pieces.emplace_back(data, size);
        } else {
            m_slot.pieces.push_back(std::move(m_pipeline.m_spare.back()));
            m_pipeline.m_spare.pop_back();
            m_slot.pieces.back().assign(data, size);
        }
        m_slot.held += size;
        return true;
    }
    [[nodiscard]] Failure Error() const override {
        return {Failure::Stage::Write, {}, "the conversion was stopped"};
    }

private:
    ChunkPipeline& m_pipeline;
    Slot& m_slot;
};

ChunkPipeline::ChunkPipeline(unsigned threads, std::size_t heldBytes)
    : m_threads(threads > 0 ? threads : 1), m_heldBytes(heldBytes) {}

void ChunkPipeline::Work() {
    for (;;) {
        Slot* slot = nullptr;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_workReady.wait(lock, [this] { return !m_todo.empty() || m_closing; });
            if (m_todo.empty() || m_stopping)
                return;
            slot = m_todo.front();
            m_todo.pop_front();
        }
        std::exception_ptr failure;
        try {
            SlotSink sink(*this, *slot);
            slot->job->Run(sink);
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        slot->failure = failure;
        slot->finished = true;
        m_changed.notify_all();
    }
}

bool ChunkPipeline::TakeTurn(Slot& slot, const JobDone& done) {
    std::deque<std::string> pieces;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        slot.turn = Slot::Turn::Catching; // its worker waits while the kept bytes go first
        pieces.swap(slot.pieces);
        slot.held = 0;
    }
    bool ok = true;
    for (const std::string& piece : pieces)
        if (ok && !(*m_write)(piece))
            ok = false;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (std::string& piece : pieces)
        m_spare.push_back(std::move(piece));
    if (!ok) {
        m_writeFailed = true;
        return false;
    }
    slot.turn = Slot::Turn::Writing;
    m_changed.notify_all();
    m_changed.wait(lock, [&slot] { return slot.finished; });
    if (m_writeFailed)
        return false;
    lock.unlock();
    if (slot.failure)
        std::rethrow_exception(slot.failure);
    return done(*slot.job);
}

bool ChunkPipeline::RunHere(const NextJob& next, const JobDone& done) {
    for (std::unique_ptr<Job> job = next(); job; job = next()) {
        Slot slot;
        slot.job = std::move(job);
        slot.turn = Slot::Turn::Writing;
        SlotSink sink(*this, slot);
        slot.job->Run(sink);
        if (m_writeFailed || !done(*slot.job))
            return false;
    }
    return true;
}

bool ChunkPipeline::Run(const NextJob& next, const WriteBytes& write, const JobDone& done) {
    m_write = &write;
    m_closing = false;
    m_stopping = false;
    m_writeFailed = false;
    if (m_threads == 1)
        return RunHere(next, done);
    std::vector<std::thread> workers;
    workers.reserve(m_threads);
    try {
        for (unsigned i = 0; i < m_threads; ++i)
            workers.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // The system gave fewer threads than asked for: fewer work, or none and this one.
        if (workers.empty())
            return RunHere(next, done);
    }

    // One job more than threads, so a worker is never idle while the oldest job's kept bytes are
    // written.
    std::deque<std::unique_ptr<Slot>> window;
    bool more = true;
    bool ok = true;
    std::exception_ptr failure;
    try {
        for (;;) {
            while (more && window.size() <= m_threads) {
                std::unique_ptr<Job> job = next();
                if (!job) {
                    more = false;
                    break;
                }
                window.push_back(std::make_unique<Slot>());
                window.back()->job = std::move(job);
                std::lock_guard<std::mutex> lock(m_mutex);
                m_todo.push_back(window.back().get());
                m_workReady.notify_one();
            }
            if (window.empty())
                break;
            if (!TakeTurn(*window.front(), done)) {
                ok = false;
                break;
            }
            window.pop_front();
        }
    } catch (...) {
        failure = std::current_exception();
        ok = false;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closing = true;
        m_stopping = !ok;
        m_todo.clear();
        m_workReady.notify_all();
        m_changed.notify_all();
    }
    for (std::thread& worker : workers)
        worker.join();
    if (failure)
        std::rethrow_exception(failure);
    return ok;
}
