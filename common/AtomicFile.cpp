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

class AtomicFile::Placement {
public:
    Placement() = default;
    Placement(const Placement&) = delete;
    Placement& operator=(const Placement&) = delete;
    virtual ~Placement() = default;
    [[nodiscard]] virtual bool WritesStraight() const { return false; }
    // Gives the target the content that was written and flushed; false with file.Error().
    [[nodiscard]] virtual bool Commit(AtomicFile& file) = 0;
};

// A stream or device is fed as the content comes: a failure leaves part of it there.
class AtomicFile::Straight final : public Placement {
public:
    [[nodiscard]] bool WritesStraight() const override { return true; }
    bool Commit(AtomicFile& file) override {
        errno = 0;
        if (std::fclose(file.m_file.release()) != 0)
            return file.Fail(LibraryError());
        return true;
    }
};

// The temporary file takes the target's name, or a new file's where an existing one is kept.
class AtomicFile::ByRename final : public Placement {
public:
    bool Commit(AtomicFile& file) override;

private:
    // Flushes the target's folder (m_sync): false with the error when that fails.
    static bool SyncFolder(AtomicFile& file);
};

// The temporary file's content is copied over the target, which stays the file it is.
class AtomicFile::InPlace final : public Placement {
public:
    bool Commit(AtomicFile& file) override;
};

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
        if (exists && !filesys::RenameKeepsIdentity(m_target, m_file.get()))
            m_placement = std::make_unique<InPlace>();
        else
            m_placement = std::make_unique<ByRename>();
        return true;
    }
    // A writable file in a folder that takes no new files: the content goes over it in place.
    if (exists &&
        (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
         error == std::errc::read_only_file_system) &&
        !CreateTemporary(filesys::TemporaryDirectory(), stem.substr(1))) {
        m_placement = std::make_unique<InPlace>();
        return true;
    }
    return Fail(error);
}

bool AtomicFile::OpenStraight(ErrorOr<filesys::FilePtr> file) {
    if (!file)
        return Fail(file.error());
    m_placement = std::make_unique<Straight>();
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
        m_wroteStraight = m_wroteStraight || (now > 0 && m_placement->WritesStraight());
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
    return m_placement->Commit(*this);
}

bool AtomicFile::CloseTemporary() {
    if (const std::error_code error = NameTemporary())
        return Fail(error);
    errno = 0;
    if (std::fclose(m_file.release()) != 0)
        return Fail(LibraryError());
    // A link changed meanwhile would make the drawing land on another file than the one planned.
    if (filesys::ResolveLinks(m_requested) != m_target)
        return Fail("now leads to another file (a link was changed)");
    return true;
}

bool AtomicFile::PassesCheck() {
    if (!m_check)
        return true;
    std::string refused = m_check();
    return refused.empty() || Fail(std::move(refused));
}

bool AtomicFile::ByRename::Commit(AtomicFile& file) {
    // On the disk before it takes the target's place: else a power cut after the rename can
    // leave an empty target, and the survey the desktop program wrote over gone with it.
    if (file.m_sync) {
        if (const std::error_code error = filesys::SyncFile(file.m_file.get()))
            return file.Fail(error);
    }
    if (!file.CloseTemporary() || !file.PassesCheck())
        return false;
    // The drawing takes the target's permissions, or a new file's: it was private until now.
    const std::string& temporary = file.m_temporary.Path();
    if (file.m_existing == Existing::Keep) {
        // Placed only where nothing is, in one step: a file made there meanwhile stays.
        if (const std::error_code error = filesys::GiveNewFilePermissions(temporary))
            return file.Fail(error, kPermissionsFailed);
        if (const std::error_code error = filesys::PlaceNew(temporary, file.m_target))
            return file.Fail(error);
        file.m_temporary.Keep(); // it is the target now
        return SyncFolder(file);
    }
    const std::error_code permissions = filesys::StateOf(file.m_target).exists
                                            ? filesys::CopyPermissions(file.m_target, temporary)
                                            : filesys::GiveNewFilePermissions(temporary);
    if (permissions)
        return file.Fail(permissions, kPermissionsFailed);
    if (const std::error_code error = filesys::Replace(temporary, file.m_target))
        return file.Fail(error);
    file.m_temporary.Keep(); // it is the target now
    return SyncFolder(file);
}

bool AtomicFile::ByRename::SyncFolder(AtomicFile& file) {
    if (!file.m_sync)
        return true;
    // The target holds the whole new content already; only a power cut could still undo that.
    if (const std::error_code error = filesys::SyncFolderOf(file.m_target))
        return file.Fail(error, "holds the new content, but a power cut may undo the replacement: its folder "
                                "could not be flushed to the disk");
    return true;
}

bool AtomicFile::InPlace::Commit(AtomicFile& file) {
    // The copy flushes the target itself.
    if (!file.CloseTemporary())
        return false;
    // Once the target is held, a stop waits, so that the target is never left half written by it;
    // a stop while waiting for another writer ends the run at once.
    std::optional<pendingfiles::DeferStop> deferred;
    std::string refused;
    const filesys::CopyResult copied = filesys::CopyOver(
        file.m_temporary.Path(), file.m_target,
        [&] {
            deferred.emplace();
            refused = file.m_check ? file.m_check() : std::string();
            return refused.empty();
        },
        file.m_sync, file.m_lockWait);
    if (!copied.error) {
        file.Discard();
        return true;
    }
    std::string kept;
    if (copied.damaged) {
        // The temporary file is now the only complete drawing: it stays, even on an interrupt.
        kept = file.m_temporary.Path();
        file.m_temporary.Keep();
        pendingfiles::MarkDamaged(true);
    }
    if (copied.error == filesys::FileError::Refused)
        file.Fail(refused);
    else
        file.Fail(copied.error);
    file.m_error.damaged = copied.damaged;
    file.m_error.keptPath = std::move(kept);
    file.m_error.writtenMeanwhile = copied.error == filesys::FileError::WrittenMeanwhile;
    return false;
}
