#include "common/PendingFiles.h"

#include <atomic>
#include <csignal>
#include <ctime>

namespace pendingfiles {
namespace {

// A stop that came during an in-place copy, acted on when the copy is done.
std::atomic<int> g_deferredSignal{0};

void EndWith(int signal) noexcept {
    Stop();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

extern "C" void OnInterrupt(int signal) {
    BeginStop();
    g_deferredSignal.store(signal);
    if (Deferring())
        return; // the copy's end acts on it
    if (const int pending = g_deferredSignal.exchange(0); pending != 0)
        EndWith(pending);
}

} // namespace

void StopDeferred() noexcept {
    if (const int pending = g_deferredSignal.exchange(0); pending != 0)
        EndWith(pending);
}

void RemoveOnInterrupt() {
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    std::signal(SIGHUP, OnInterrupt); // the terminal went away
    // A reader that went away (a pipe closed early) is seen as a failed write, not a kill
    // that would leave temporary files behind.
    std::signal(SIGPIPE, SIG_IGN);
    // Past a file-size limit the write should fail and be reported like a full disk, rather
    // than the signal ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
}

void PauseBriefly() noexcept {
    const timespec pause{0, 1000000}; // 1 ms; nanosleep may be called from a signal handler
    nanosleep(&pause, nullptr);
}

} // namespace pendingfiles
