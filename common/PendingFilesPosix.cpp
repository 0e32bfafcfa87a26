#include "common/PendingFiles.h"

#include <csignal>
#include <ctime>

namespace pendingfiles {
namespace {

extern "C" void OnInterrupt(int signal) {
    Stop();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

void RemoveOnInterrupt() {
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    std::signal(SIGHUP, OnInterrupt); // the terminal went away
    // Past a file-size limit the write should fail and be reported like a full disk, rather
    // than the signal ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
}

void PauseBriefly() noexcept {
    const timespec pause{0, 1000000}; // 1 ms; nanosleep may be called from a signal handler
    nanosleep(&pause, nullptr);
}

} // namespace pendingfiles
