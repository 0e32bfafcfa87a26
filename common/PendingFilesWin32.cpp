#include "common/PendingFiles.h"

#include <windows.h>

namespace pendingfiles {
namespace {

// Ctrl+C, Ctrl+Break, closing the console, logging off: the files go before the process does.
BOOL WINAPI OnConsoleEvent(DWORD /*event*/) {
    RemoveAll();
    return FALSE; // the default handler ends the process
}

} // namespace

void RemoveOnInterrupt() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

} // namespace pendingfiles
