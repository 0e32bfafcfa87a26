#pragma once

#include "common/TextStream.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// Runs jobs on worker threads (one thread: on the calling thread, one after the other) and
// passes what they write on in the order the jobs were made,
// while they run. The oldest job writes straight through (its bytes are still in its core's
// cache); a job ahead of its turn keeps its bytes until then, and waits once it holds a few
// MiB, so memory stays bounded whatever the jobs write.
class ChunkPipeline {
public:
    class Job {
    public:
        virtual ~Job() = default;
        // Runs on a worker thread. Writes to `out` fail once the run is being stopped.
        virtual void Run(ITextSink& out) = 0;
    };

    using NextJob = std::function<std::unique_ptr<Job>()>;
    using WriteBytes = std::function<bool(std::string_view)>;
    using JobDone = std::function<bool(Job&)>;

    explicit ChunkPipeline(unsigned threads, std::size_t heldBytes = std::size_t{2} << 20);

    // Makes jobs with `next` until it returns null and runs them, `threads` at a time. Hands
    // each job's bytes to `write` and then the job to `done`, job by job in order; `write` is
    // called on the worker threads and on this one, but never by two at once. Returns false, after all
    // running jobs have stopped, as soon as `write` or `done` does. An exception of a job is thrown here,
    // once the workers are gone.
    bool Run(const NextJob& next, const WriteBytes& write, const JobDone& done);

private:
    struct Slot;
    class SlotSink;

    void Work();
    // Runs every job on this thread, each writing straight through.
    bool RunHere(const NextJob& next, const JobDone& done);
    // Gives the slot its turn: writes what it kept, lets it write through, and waits for it to
    // finish; false when the run must stop.
    bool TakeTurn(Slot& slot, const JobDone& done);

    unsigned m_threads;
    std::size_t m_heldBytes;
    std::mutex m_mutex;
    std::condition_variable m_workReady; // a job waits, or the run ends
    std::condition_variable m_changed;   // a job kept bytes or finished, or a turn moved on
    std::deque<Slot*> m_todo;
    // Written pieces kept for reuse: a fresh large buffer each time costs page faults, and
    // returning it to the system stalls every core the process runs on.
    std::vector<std::string> m_spare;
    const WriteBytes* m_write = nullptr;
    bool m_closing = false;
    bool m_stopping = false;
    bool m_writeFailed = false;
};
