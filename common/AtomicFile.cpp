#include "common/AtomicFile.h"

#include "common/FileSystem.h"
#include "common/PendingFiles.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string SystemError(int error) {
    return std::strerror(error);
}

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

AtomicFile::AtomicFile(std::string target) : m_target(std::move(target)) {}

AtomicFile::~AtomicFile() {
    Discard();
}

bool AtomicFile::Fail(const std::string& reason) {
    if (!m_failed) {
        m_failed = true;
        m_error = reason;
    }
    Discard();
    return false;
}

void AtomicFile::Discard() {
    m_file.reset();
    if (!m_temporary.empty()) {
        filesys::Remove(m_temporary);
        m_temporary.clear();
    }
    pendingfiles::Drop(m_pendingSlot);
    m_pendingSlot = -1;
}

bool AtomicFile::CreateTemporary(const std::string& directory, const std::string& stem) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate =
            filesys::TextOf(filesys::PathOf(directory) / filesys::PathOf(stem + RandomTag() + ".tmp"));
        const int slot = pendingfiles::Reserve(candidate.c_str());
        errno = 0;
        // Created new or not at all, so nothing planted under this name is followed.
        m_file.reset(filesys::CreateNew(candidate));
        const int error = errno;
        pendingfiles::Settle(slot, m_file != nullptr);
        if (m_file) {
            m_temporary = candidate;
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

bool AtomicFile::Open() {
    std::error_code ec;
    // Write through a link to the file it names, as writing in place would.
    if (fs::is_symlink(filesys::PathOf(m_target), ec)) {
        const fs::path resolved = fs::canonical(filesys::PathOf(m_target), ec);
        if (ec)
            return Fail(ec.message());
        m_target = filesys::TextOf(resolved);
    }
    const fs::path target = filesys::PathOf(m_target);
    if (target.filename().empty())
        return Fail(SystemError(EISDIR));
    const bool exists = fs::exists(target, ec);
    if (exists) {
        if (fs::is_directory(target, ec))
            return Fail(SystemError(EISDIR));
        // A device or pipe is written in place: it cannot be replaced, only fed.
        if (!fs::is_regular_file(target, ec)) {
            m_file.reset(filesys::OpenFile(m_target, "wb"));
            if (!m_file)
                return Fail(SystemError(errno));
            return true;
        }
        // A file we may not write stays as it is, as it would with a write in place.
        std::unique_ptr<std::FILE, FileCloser> probe(filesys::OpenFile(m_target, "r+b"));
        if (!probe)
            return Fail(SystemError(errno));
    }
    const std::string directory =
        target.has_parent_path() ? filesys::TextOf(target.parent_path()) : std::string(".");
    const std::string stem = "." + filesys::TextOf(target.filename()) + ".";
    if (CreateTemporary(directory, stem)) {
        m_copyOver = exists && !filesys::RenameKeepsIdentity(m_target, m_temporary);
        return true;
    }
    const int error = errno;
    // A writable file in a folder that takes no new files: the content goes over it in place.
    if (exists && (error == EACCES || error == EPERM || error == EROFS) &&
        CreateTemporary(filesys::TemporaryDirectory(), stem.substr(1))) {
        m_copyOver = true;
        return true;
    }
    return Fail(SystemError(error));
}

std::size_t AtomicFile::WriteBytes(std::FILE* file, const char* data, std::size_t size) {
    return std::fwrite(data, 1, size, file);
}

bool AtomicFile::Write(const char* data, std::size_t size) {
    if (m_failed || !m_file)
        return Fail(m_error.empty() ? SystemError(EBADF) : m_error);
    errno = 0;
    if (WriteBytes(m_file.get(), data, size) != size)
        return Fail(SystemError(errno != 0 ? errno : EIO));
    return true;
}

bool AtomicFile::Commit() {
    if (m_failed || !m_file)
        return Fail(m_error.empty() ? SystemError(EBADF) : m_error);
    errno = 0;
    if (std::fflush(m_file.get()) != 0)
        return Fail(SystemError(errno != 0 ? errno : EIO));
    std::FILE* file = m_file.release();
    if (std::fclose(file) != 0)
        return Fail(SystemError(errno != 0 ? errno : EIO));
    if (m_temporary.empty())
        return true; // written in place
    if (m_copyOver)
        return CopyIntoTarget();
    filesys::CopyPermissions(m_target, m_temporary); // the drawing takes the target's permissions
    if (const std::string error = filesys::Replace(m_temporary, m_target); !error.empty())
        return Fail(error);
    pendingfiles::Drop(m_pendingSlot);
    m_pendingSlot = -1;
    m_temporary.clear();
    return true;
}

bool AtomicFile::CopyIntoTarget() {
    const filesys::CopyResult copied = filesys::CopyOver(m_temporary, m_target);
    if (copied.ok) {
        Discard();
        return true;
    }
    if (copied.damaged) {
        // The temporary file is now the only complete drawing: it stays, even on an interrupt.
        pendingfiles::Drop(m_pendingSlot);
        m_pendingSlot = -1;
        m_kept = m_temporary;
        m_temporary.clear();
        m_damaged = true;
    }
    return Fail(copied.error);
}
