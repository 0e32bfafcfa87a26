#pragma once

#include <cstddef>

// Files that must not outlive an interrupted run: temporary drawings and copies. Their owners
// register them while they exist; when the process is stopped (SIGINT, SIGTERM or SIGHUP; on
// Windows Ctrl+C or closing the console) the handler removes them before the process ends.
namespace pendingfiles {

// Returns a slot number, or -1 when the path is too long or all slots are taken (the file is
// then still removed by its owner in every ordinary way out).
int Add(const char* path) noexcept;
void Drop(int slot) noexcept;
// Removes every registered file; usable from a signal handler.
void RemoveAll() noexcept;
// Installs the handler (SIGINT, SIGTERM and SIGHUP, ignoring SIGXFSZ so that a write past the
// file-size limit fails with an error instead; on Windows the console control handler).
void RemoveOnInterrupt();

} // namespace pendingfiles
