#include "common/PendingFiles.h"

#include <windows.h>

namespace pendingfiles {
namespace {

// Ctrl+C, Ctrl+Break, closing the console, logging off: the files go before the process does.
// The handler runs on a thread of its own while the conversion goes on.
BOOL WINAPI OnConsoleEvent(DWORD /*event*/) {
    Stop();
    return FALSE; // the default handler ends the process
}

} // namespace

void RemoveOnInterrupt() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void PauseBriefly() noexcept {
    Sleep(1);
}

} // namespace pendingfiles
