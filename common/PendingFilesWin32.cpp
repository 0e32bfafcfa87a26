#include "common/PendingFiles.h"

#include <windows.h>

namespace pendingfiles {
namespace {

// Ctrl+C, Ctrl+Break, closing the console, logging off: the files go before the process does.
// The handler runs on a thread of its own while the conversion goes on.
BOOL WINAPI OnConsoleEvent(DWORD /*event*/) {
    BeginStop();
    // An in-place copy over a user's file is finished first; it is bounded by the file's size.
    for (int round = 0; round < 600000 && Deferring(); ++round)
        Sleep(1);
    Stop();
    return FALSE; // the default handler ends the process
}

} // namespace

void StopDeferred() noexcept {
    // The console handler waits for the deferral on its own thread.
}

void RemoveOnInterrupt() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void PauseBriefly() noexcept {
    Sleep(1);
}

} // namespace pendingfiles
