#include "common/PendingFiles.h"

#include "common/FileSystem.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace pendingfiles {
namespace {

constexpr int kSlots = kCapacity;
constexpr std::size_t kPathMax = 4096;
// How long a stop waits for another thread's file creation to finish: creating a file takes
// far less, even on a busy disk, and a stop must not hang on a stuck one.
constexpr int kCreationWaitRounds = 5000;

enum class SlotState : int { Free, Filling, Creating, Used };

// A plain array and lock-free flags: the signal handler may read them at any moment, and
// conversions on several threads claim slots at once.
char g_paths[kSlots][kPathMax];
std::atomic<SlotState> g_state[kSlots];
std::atomic<bool> g_precious[kSlots];
std::atomic<bool> g_stopping{false};
std::atomic<bool> g_damaged{false};
std::atomic<int> g_deferring{0};
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");
static_assert(std::atomic<SlotState>::is_always_lock_free, "read from a signal handler");
static_assert(std::atomic<bool>::is_always_lock_free, "read from a signal handler");

// The slot this thread is filling or creating a file for: a handler that interrupted its own
// thread there cannot wait for the creation to finish.
thread_local int t_ownSlot = -1;

[[noreturn]] void WaitForTheEnd() noexcept {
    for (;;)
        PauseBriefly();
}

// The state a stop may act on: another thread's creation is waited for, so that its file is not
// made just after the stop looked.
SlotState SettledState(int slot) noexcept {
    SlotState state = g_state[slot].load();
    if (slot == t_ownSlot)
        return state;
    for (int round = 0;
         round < kCreationWaitRounds && (state == SlotState::Filling || state == SlotState::Creating);
         ++round) {
        PauseBriefly();
        state = g_state[slot].load();
    }
    return state;
}

} // namespace

int Reserve(const char* path, bool precious) noexcept {
    const std::size_t length = std::strlen(path);
    if (length >= kPathMax)
        return -1;
    for (int slot = 0; slot < kSlots; ++slot) {
        SlotState expected = SlotState::Free;
        if (g_state[slot].compare_exchange_strong(expected, SlotState::Filling)) {
            t_ownSlot = slot;
            // Claimed first, then the stop looked for: either the stop sees this slot and waits
            // for it, or this sees the stop and creates nothing.
            if (g_stopping.load()) {
                g_state[slot].store(SlotState::Free);
                WaitForTheEnd();
            }
            std::memcpy(g_paths[slot], path, length + 1);
            g_precious[slot].store(precious);
            g_state[slot].store(SlotState::Creating);
            return slot;
        }
    }
    if (g_stopping.load())
        WaitForTheEnd();
    return -1;
}

void Settle(int slot, bool created) noexcept {
    if (slot < 0 || slot >= kSlots)
        return;
    g_state[slot].store(created ? SlotState::Used : SlotState::Free);
    t_ownSlot = -1;
}

void Drop(int slot) noexcept {
    if (slot >= 0 && slot < kSlots)
        g_state[slot].store(SlotState::Free);
}

void RemoveAll() noexcept {
    for (int slot = 0; slot < kSlots; ++slot) {
        const SlotState state = SettledState(slot);
        // A creation this thread was interrupted in may have made the file already.
        if ((state == SlotState::Used || state == SlotState::Creating) &&
            !(g_precious[slot].load() && g_damaged.load())) {
            filesys::RemoveNow(g_paths[slot]);
            g_state[slot].store(SlotState::Free);
        }
    }
}

void Stop() noexcept {
    g_stopping.store(true);
    RemoveAll();
}

void MarkDamaged(bool damaged) noexcept {
    g_damaged.store(damaged);
}

bool Deferring() noexcept {
    return g_deferring.load() > 0;
}

void BeginStop() noexcept {
    g_stopping.store(true);
}

DeferStop::DeferStop() noexcept {
    ++g_deferring;
    // Counted first, then the stop looked for: a stop that began before may not have seen this
    // deferral, so no copy starts; the stop is finished instead (or, on its own thread, awaited).
    if (g_stopping.load()) {
        --g_deferring;
        StopDeferred();
        WaitForTheEnd();
    }
}

DeferStop::~DeferStop() {
    if (--g_deferring == 0)
        StopDeferred();
}

} // namespace pendingfiles
