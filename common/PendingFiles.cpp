#include "common/PendingFiles.h"

#include "common/FileSystem.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace pendingfiles {
namespace {

constexpr int kSlots = 64; // a temporary file for each conversion running at once
constexpr std::size_t kPathMax = 4096;

enum SlotState : int { kFree = 0, kFilling = 1, kUsed = 2 };

// A plain array and lock-free flags: the signal handler may read them at any moment, and
// conversions on several threads claim slots at once.
char g_paths[kSlots][kPathMax];
std::atomic<int> g_used[kSlots];
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

} // namespace

int Add(const char* path) noexcept {
    const std::size_t length = std::strlen(path);
    if (length >= kPathMax)
        return -1;
    for (int slot = 0; slot < kSlots; ++slot) {
        int expected = kFree;
        if (g_used[slot].compare_exchange_strong(expected, kFilling)) {
            std::memcpy(g_paths[slot], path, length + 1);
            g_used[slot].store(kUsed);
            return slot;
        }
    }
    return -1;
}

void Drop(int slot) noexcept {
    if (slot >= 0 && slot < kSlots)
        g_used[slot].store(kFree);
}

void RemoveAll() noexcept {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (g_used[slot].load() == kUsed) {
            filesys::RemoveNow(g_paths[slot]);
            g_used[slot].store(kFree);
        }
    }
}

} // namespace pendingfiles
