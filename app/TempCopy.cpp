#include "app/TempCopy.h"

#include "common/FileSystem.h"
#include "common/PendingFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

std::string RandomName() {
    thread_local std::mt19937_64 generator(std::random_device{}());
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name = "frt";
    for (int i = 0; i < 12; ++i)
        name += digits[generator() % 36];
    return name + ".tmp";
}

} // namespace

std::string TempCopy::Directory() {
    return filesys::TemporaryDirectory();
}

void TempCopy::Keep() {
    m_path.clear();
    pendingfiles::Drop(m_pendingSlot);
    m_pendingSlot = -1;
}

void TempCopy::Remove() {
    if (!m_path.empty()) {
        filesys::Remove(m_path);
        m_path.clear();
    }
    pendingfiles::Drop(m_pendingSlot);
    m_pendingSlot = -1;
}

bool TempCopy::Make(const std::string& source) {
    Remove();
    m_error.clear();
    // A new file, ours alone, never through a planted link, with the content copied into it at
    // once. The source is opened without blocking and must be a regular file, so a pipe cannot
    // hang us. Precious: should a write into the input fail half way, this is its only content.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = Directory() + RandomName();
        const int slot = pendingfiles::Reserve(candidate.c_str(), true);
        errno = 0;
        const filesys::CopyResult copied = filesys::CopyToNew(source, candidate);
        const int error = errno;
        pendingfiles::Settle(slot, copied.ok);
        if (copied.ok) {
            m_path = candidate;
            m_pendingSlot = slot;
            return true;
        }
        if (error != EEXIST) {
            m_error = copied.error;
            return false;
        }
    }
    m_error = std::strerror(EEXIST);
    return false;
}
