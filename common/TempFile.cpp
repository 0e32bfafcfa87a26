#include "common/TempFile.h"

#include "common/FileSystem.h"
#include "common/PendingFiles.h"

#include <cstdint>
#include <random>
#include <utility>

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

// The stem, cut so that the temporary name fits the 255 bytes a file name may have: a target of
// 240 bytes must still be writable. Cut between two characters of UTF-8.
std::string FittingStem(const std::string& stem) {
    constexpr std::size_t kMaxName = 255;
    constexpr std::size_t kAdded = 12 + 4; // the random tag and ".tmp"
    if (stem.size() + kAdded <= kMaxName)
        return stem;
    std::size_t size = kMaxName - kAdded;
    while (size > 0 && (static_cast<unsigned char>(stem[size]) & 0xC0U) == 0x80U)
        --size;
    return stem.substr(0, size);
}

} // namespace

std::error_code TempFile::Create(const std::string& directory, const std::string& stem, const Maker& make,
                                 bool precious) {
    Discard();
    const std::string fitting = FittingStem(stem);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate =
            filesys::TextOf(filesys::PathOf(directory) / filesys::PathOf(fitting + RandomTag() + ".tmp"));
        // Registered before it exists, so that no moment is left in which an interrupt misses it.
        const int slot = pendingfiles::Reserve(candidate.c_str(), precious);
        const std::error_code error = make(candidate);
        pendingfiles::Settle(slot, !error);
        if (!error) {
            m_path = candidate;
            m_pendingSlot = slot;
            return {};
        }
        if (error != std::errc::file_exists)
            return error;
    }
    return std::make_error_code(std::errc::file_exists);
}

ErrorOr<filesys::FilePtr> TempFile::Create(const std::string& directory, const std::string& stem,
                                           bool precious) {
    filesys::FilePtr file;
    const std::error_code error = Create(
        directory, stem,
        [&file](const std::string& path) {
            ErrorOr<filesys::FilePtr> made = filesys::CreateNew(path);
            if (!made)
                return made.error();
            file = std::move(*made);
            return std::error_code();
        },
        precious);
    if (error)
        return error;
    return file;
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
