#pragma once

#include <cstddef>

// Files that must not outlive an interrupted run: temporary drawings and copies. Their owners
// register them while they exist; when the process is stopped (SIGINT, SIGTERM or SIGHUP; on
// Windows Ctrl+C or closing the console) the handler removes them before the process ends.
//
// A file is reserved before it is created and settled once the attempt is over, so that no
// moment is left in which it exists unregistered: the stop may come during the creation itself,
// on this thread or on another one.
namespace pendingfiles {

// Returns a slot number, or -1 when the path is too long or all slots are taken (the file is
// then still removed by its owner in every ordinary way out). Once the process is being
// stopped, it does not return: nothing new is created while the files are removed.
int Reserve(const char* path) noexcept;
// The reserved file was created (it stays registered) or not (the slot is freed).
void Settle(int slot, bool created) noexcept;
void Drop(int slot) noexcept;
// Removes every registered file, waiting for creations in progress on other threads; usable
// from a signal handler.
void RemoveAll() noexcept;
// What the handler does: nothing new is reserved from now on, and every registered file goes.
void Stop() noexcept;
// Installs the handler (SIGINT, SIGTERM and SIGHUP, ignoring SIGXFSZ so that a write past the
// file-size limit fails with an error instead; on Windows the console control handler).
void RemoveOnInterrupt();

// A short sleep that a signal handler may take (platform file).
void PauseBriefly() noexcept;

} // namespace pendingfiles
