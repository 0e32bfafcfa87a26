#include "common/PendingFiles.h"

#include "common/FileSystem.h"

#include <csignal>
#include <cstdio>
#include <cstring>

namespace pendingfiles {
namespace {

constexpr int kSlots = 16;
constexpr std::size_t kPathMax = 4096;

// Plain arrays and flags: the signal handler may read them at any moment.
char g_paths[kSlots][kPathMax];
volatile std::sig_atomic_t g_used[kSlots];

} // namespace

int Add(const char* path) noexcept {
    const std::size_t length = std::strlen(path);
    if (length >= kPathMax)
        return -1;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (g_used[slot] == 0) {
            std::memcpy(g_paths[slot], path, length + 1);
            g_used[slot] = 1;
            return slot;
        }
    }
    return -1;
}

void Drop(int slot) noexcept {
    if (slot >= 0 && slot < kSlots)
        g_used[slot] = 0;
}

void RemoveAll() noexcept {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (g_used[slot] != 0) {
            filesys::RemoveNow(g_paths[slot]);
            g_used[slot] = 0;
        }
    }
}

} // namespace pendingfiles
