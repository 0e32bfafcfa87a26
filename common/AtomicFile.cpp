#include "common/AtomicFile.h"

#include "common/FileSystem.h"
#include "common/PendingFiles.h"

#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::error_code SystemError(int error) {
    return {error, std::generic_category()};
}

// What the C library's call that just failed says, or a plain input/output error where it set none.
std::error_code LibraryError() {
    return SystemError(errno != 0 ? errno : EIO);
}

// A drawing left readable by its owner alone would keep colleagues out without a word.
constexpr const char* kPermissionsFailed = "the drawing could not be given its permissions";

} // namespace

AtomicFile::AtomicFile(std::string target, Existing existing)
    : m_requested(std::move(target)), m_target(m_requested), m_existing(existing) {}

AtomicFile::~AtomicFile() {
    Discard();
}

bool AtomicFile::Fail(std::error_code error, std::string detail) {
    if (!m_error)
        m_error = Failure(Failure::Stage::Write, m_requested, error, std::move(detail));
    Discard();
    return false;
}

void AtomicFile::Discard() {
    m_file.reset();
    m_temporary.Discard();
}

std::error_code AtomicFile::CreateTemporary(const std::string& directory, const std::string& stem) {
    // The writers hand over large pieces from their own buffers: a second buffer would only
    // copy them once more (on Windows through the C runtime's slower copy).
    const auto take = [this](ErrorOr<filesys::FilePtr> made) {
        if (!made)
            return made.error();
        m_file = std::move(*made);
        std::setvbuf(m_file.get(), nullptr, _IONBF, 0);
        return std::error_code();
    };
    // Unnamed until the commit, so that even a kill leaves nothing behind.
    const std::error_code unnamed = take(filesys::CreateUnnamed(directory));
    if (!unnamed) {
        m_directory = directory;
        m_stem = stem;
        return {};
    }
    if (unnamed != std::errc::not_supported)
        return unnamed;
    return take(m_temporary.Create(directory, stem));
}

std::error_code AtomicFile::NameTemporary() {
    if (m_directory.empty())
        return {}; // named from the start
    std::FILE* file = m_file.get();
    return m_temporary.Create(m_directory, m_stem,
                              [file](const std::string& path) { return filesys::NameUnnamed(file, path); });
}

bool AtomicFile::Open() {
    // Standard output, also as its file (`-o /dev/stdout >> log`), is fed at its position and in
    // its mode; replacing its file would lose what it held or write into a deleted file.
    if (m_requested == kStandardOutput ||
        filesys::IsStandardStreamFile(m_requested, filesys::StandardStream::Output))
        return OpenStraight(filesys::OpenStandardOutput());
    if (filesys::IsStandardStreamFile(m_requested, filesys::StandardStream::Error))
        return OpenStraight(filesys::OpenStandardError());
    std::error_code ec;
    const fs::file_status status = fs::status(filesys::PathOf(m_target), ec);
    if (m_existing == Existing::Keep && fs::exists(status))
        return Fail(SystemError(EEXIST));
    // A device or pipe, also behind a link (/dev/stdout), is written in place: it cannot be
    // replaced, only fed.
    if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status))
        return OpenStraight(filesys::OpenFile(m_target, "wb"));
    // Write through links to the file they name, also one that does not exist yet, as writing
    // in place would; the path is looked at again just before the commit.
    m_target = filesys::ResolveLinks(m_requested);
    const fs::path target = filesys::PathOf(m_target);
    if (target.filename().empty())
        return Fail(SystemError(EISDIR));
    // Still a link after as many hops as the system takes: a loop, never to be replaced by a file.
    if (fs::is_symlink(fs::symlink_status(target, ec)))
        return Fail(SystemError(ELOOP));
    const bool exists = fs::exists(target, ec);
    if (exists) {
        if (!fs::is_regular_file(target, ec))
            return Fail(SystemError(EISDIR));
        // A file we may not write stays as it is, as it would with a write in place.
        if (const ErrorOr<filesys::FilePtr> probe = filesys::OpenFile(m_target, "r+b"); !probe)
            return Fail(probe.error());
    }
    const std::string directory =
        target.has_parent_path() ? filesys::TextOf(target.parent_path()) : std::string(".");
    const std::string stem = "." + filesys::TextOf(target.filename()) + ".";
    const std::error_code error = CreateTemporary(directory, stem);
    if (!error) {
        m_copyOver = exists && !filesys::RenameKeepsIdentity(m_target, m_file.get());
        return true;
    }
    // A writable file in a folder that takes no new files: the content goes over it in place.
    if (exists &&
        (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
         error == std::errc::read_only_file_system) &&
        !CreateTemporary(filesys::TemporaryDirectory(), stem.substr(1))) {
        m_copyOver = true;
        return true;
    }
    return Fail(error);
}

bool AtomicFile::OpenStraight(ErrorOr<filesys::FilePtr> file) {
    if (!file)
        return Fail(file.error());
    m_straight = true;
    m_file = std::move(*file);
    return true;
}

bool AtomicFile::Write(const char* data, std::size_t size) {
    if (m_error || !m_file)
        return Fail(SystemError(EBADF));
    std::size_t written = 0;
    while (written < size) {
        std::size_t now = 0;
        const std::error_code error =
            filesys::Calls().write(m_file.get(), data + written, size - written, now);
        written += now;
        m_wroteStraight = m_wroteStraight || (now > 0 && m_straight);
        if (written == size)
            break;
        // A signal that interrupted a write into a pipe or terminal ends nothing: the rest follows.
        if (error != std::errc::interrupted)
            return Fail(error ? error : SystemError(EIO));
        std::clearerr(m_file.get());
    }
    return true;
}

bool AtomicFile::Commit() {
    if (m_error || !m_file)
        return Fail(SystemError(EBADF));
    errno = 0;
    if (std::fflush(m_file.get()) != 0)
        return Fail(LibraryError());
    if (!m_straight) {
        // On the disk before it takes the target's place: else a power cut after the rename can
        // leave an empty target, and the survey the desktop program wrote over gone with it.
        // A copy in place flushes the target itself.
        if (m_sync && !m_copyOver) {
            if (const std::error_code error = filesys::SyncFile(m_file.get()))
                return Fail(error);
        }
        if (const std::error_code error = NameTemporary())
            return Fail(error);
    }
    errno = 0;
    std::FILE* file = m_file.release();
    if (std::fclose(file) != 0)
        return Fail(LibraryError());
    if (m_straight)
        return true; // written in place
    // A link changed meanwhile would make the drawing land on another file than the one planned.
    if (filesys::ResolveLinks(m_requested) != m_target)
        return Fail("now leads to another file (a link was changed)");
    if (m_copyOver)
        return CopyIntoTarget();
    if (m_check) {
        if (std::string refused = m_check(); !refused.empty())
            return Fail(refused);
    }
    // The drawing takes the target's permissions, or a new file's: it was private until now.
    const std::string& temporary = m_temporary.Path();
    if (m_existing == Existing::Keep) {
        // Placed only where nothing is, in one step: a file made there meanwhile stays.
        if (const std::error_code error = filesys::GiveNewFilePermissions(temporary))
            return Fail(error, kPermissionsFailed);
        if (const std::error_code error = filesys::PlaceNew(temporary, m_target))
            return Fail(error);
        m_temporary.Keep(); // it is the target now
        return SyncFolder();
    }
    const std::error_code permissions = filesys::StateOf(m_target).exists
                                            ? filesys::CopyPermissions(m_target, temporary)
                                            : filesys::GiveNewFilePermissions(temporary);
    if (permissions)
        return Fail(permissions, kPermissionsFailed);
    if (const std::error_code error = filesys::Replace(temporary, m_target))
        return Fail(error);
    m_temporary.Keep(); // it is the target now
    return SyncFolder();
}

bool AtomicFile::SyncFolder() {
    if (!m_sync)
        return true;
    // The target holds the whole new content already; only a power cut could still undo that.
    if (const std::error_code error = filesys::SyncFolderOf(m_target))
        return Fail(error,
                    "holds the new content, but a power cut may undo the replacement: its folder could "
                    "not be flushed to the disk");
    return true;
}

bool AtomicFile::CopyIntoTarget() {
    // Once the target is held, a stop waits, so that the target is never left half written by it;
    // a stop while waiting for another writer ends the run at once.
    std::optional<pendingfiles::DeferStop> deferred;
    std::string refused;
    const filesys::CopyResult copied = filesys::CopyOver(
        m_temporary.Path(), m_target,
        [&] {
            deferred.emplace();
            refused = m_check ? m_check() : std::string();
            return refused.empty();
        },
        m_sync, m_lockWait);
    if (!copied.error) {
        Discard();
        return true;
    }
    std::string kept;
    if (copied.damaged) {
        // The temporary file is now the only complete drawing: it stays, even on an interrupt.
        kept = m_temporary.Path();
        m_temporary.Keep();
        pendingfiles::MarkDamaged(true);
    }
    if (copied.error == filesys::FileError::Refused)
        Fail(refused);
    else
        Fail(copied.error);
    m_error.damaged = copied.damaged;
    m_error.keptPath = std::move(kept);
    m_error.writtenMeanwhile = copied.error == filesys::FileError::WrittenMeanwhile;
    return false;
}
