#include "common/TempFile.h"

#include "common/FileSystem.h"
#include "common/PendingFiles.h"

#include <cerrno>
#include <cstdint>
#include <random>

namespace {

std::string RandomTag() {
    thread_local std::mt19937_64 generator(std::random_device{}());
    static const char digits[] = "0123456789abcdef";
    std::string tag(12, '0');
    std::uint64_t bits = generator();
    for (char& c : tag) {
        c = digits[bits & 15U];
        bits >>= 4U;
    }
    return tag;
}

} // namespace

bool TempFile::Create(const std::string& directory, const std::string& stem, const Maker& make,
                      bool precious) {
    Discard();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate =
            filesys::TextOf(filesys::PathOf(directory) / filesys::PathOf(stem + RandomTag() + ".tmp"));
        // Registered before it exists, so that no moment is left in which an interrupt misses it.
        const int slot = pendingfiles::Reserve(candidate.c_str(), precious);
        errno = 0;
        const bool made = make(candidate);
        const int error = errno;
        pendingfiles::Settle(slot, made);
        if (made) {
            m_path = candidate;
            m_pendingSlot = slot;
            return true;
        }
        errno = error;
        if (error != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

void TempFile::Keep() {
    m_path.clear();
    pendingfiles::Drop(m_pendingSlot);
    m_pendingSlot = -1;
}

void TempFile::Discard() {
    if (!m_path.empty())
        filesys::Remove(m_path);
    Keep();
}
