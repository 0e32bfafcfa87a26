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

// How many files may be registered at once: the batch tool's largest number of jobs with a
// temporary drawing each, and a few more.
constexpr int kCapacity = 264;

// Returns a slot number, or -1 when the path is too long or all slots are taken (the file is
// then still removed by its owner in every ordinary way out). Once the process is being
// stopped, it does not return: nothing new is created while the files are removed.
// A file reserved as precious (the desktop program's copy of its input) is kept by a stop
// while a target is damaged (see MarkDamaged).
int Reserve(const char* path, bool precious = false) noexcept;
// The reserved file was created (it stays registered) or not (the slot is freed).
void Settle(int slot, bool created) noexcept;
void Drop(int slot) noexcept;
// Removes every registered file, waiting for creations in progress on other threads; usable
// from a signal handler.
void RemoveAll() noexcept;
// What the handler does: nothing new is reserved from now on, and every registered file goes.
void Stop() noexcept;
// While one lives, a stop waits for it: an in-place copy over a user's file is finished
// before the process ends, so that the file holds either its old or its whole new content
// and the complete copy it came from is not removed half way. Nestable, and cheap.
class DeferStop {
public:
    DeferStop() noexcept;
    DeferStop(const DeferStop&) = delete;
    DeferStop& operator=(const DeferStop&) = delete;
    ~DeferStop();
};

// A target lost part of its old content: from now on a stop leaves precious files in place,
// as they may hold the only intact content. Cleared once the target was mended.
void MarkDamaged(bool damaged) noexcept;

// Installs the handler (SIGINT, SIGTERM and SIGHUP, ignoring SIGXFSZ so that a write past the
// file-size limit fails with an error instead; on Windows the console control handler).
void RemoveOnInterrupt();

// A short sleep that a signal handler may take (platform file).
void PauseBriefly() noexcept;
// What ending a deferral does when a stop came meanwhile (platform file).
void StopDeferred() noexcept;
// For the handlers: whether a DeferStop lives now, and the stop's first step.
bool Deferring() noexcept;
void BeginStop() noexcept;

} // namespace pendingfiles
