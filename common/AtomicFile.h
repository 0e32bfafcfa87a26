#pragma once

#include "common/FileSystem.h"
#include "common/TempFile.h"
#include "common/TextStream.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <system_error>

// Writes a file so that its target is either left exactly as it was or gets the whole new
// content: the bytes go to a new temporary file first (on Linux one without a name until the
// commit, so that a kill leaves nothing), and only when every byte was written,
// flushed and closed without error does the target get them. A rename puts the temporary file in
// the target's place when that keeps the target the file it was (one link, same owner and group,
// no extended attributes, a writable folder); otherwise the content is copied over the target in
// place, which keeps its inode, links, owner and ACLs. On any failure, and when destroyed without
// Commit, the temporary file is removed, except when an in-place copy failed half way: then it is
// kept as the complete drawing, and the failure says so (Failure::damaged, keptPath). A
// target that exists but is no regular file (a device, a pipe) is written straight into. The
// temporary file is readable by the user alone until it takes the target's permissions. Told to
// keep an existing target, it writes only where no file is, also at the moment of the commit.
// A target that is the file of standard output or error is fed through that stream.
class AtomicFile : public ITextSink {
public:
    // The target that names standard output: it is written straight into.
    static constexpr const char* kStandardOutput = "-";

    // Whether an existing target may be replaced.
    enum class Existing { Replace, Keep };

    explicit AtomicFile(std::string target, Existing existing = Existing::Replace);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile() override;

    // Creates the temporary file. False with Error() when that is not possible.
    [[nodiscard]] bool Open();
    // A last check, right before the target gets the content (for a copy in place: once the
    // target is held); a text fails the commit with it and leaves the target as it is.
    using Check = std::function<std::string()>;
    void CheckBeforeCommit(Check check) { m_check = std::move(check); }
    // Before the target gets the content, the content reaches the disk, and after a rename the
    // folder's entry does too, so that a power cut right after the commit keeps the whole new
    // file (or, before it, the old one). Off only for scratch output, where speed counts more.
    void SkipSync() { m_sync = false; }
    // How long a copy in place waits for another writer that holds the target (filesys::LockWait);
    // by default as long as it takes.
    void WaitForLock(filesys::LockWait lockWait) { m_lockWait = std::move(lockWait); }
    bool Write(const char* data, std::size_t size) override;
    // Flushes, closes and renames over the target. False with Error() on any failure.
    [[nodiscard]] bool Commit();

    // Of the target as given; after a failed Commit also whether the target may have lost its old
    // content and where the complete new content was kept then, or whether another program wrote
    // into it during the copy in place (filesys::FileError::WrittenMeanwhile).
    [[nodiscard]] Failure Error() const override { return m_error; }
    [[nodiscard]] const std::string& TemporaryPath() const { return m_temporary.Path(); }
    // Whether bytes went straight to the target (a stream or device): a failure then leaves part
    // of the content there.
    [[nodiscard]] bool WroteStraight() const { return m_wroteStraight; }

private:
    // How the content reaches the target, chosen when the file is opened: straight into a stream
    // or device as it is written, or a temporary file that takes the target's name or is copied
    // over it.
    class Placement;
    class Straight;
    class ByRename;
    class InPlace;

    // The first failure is kept, with what the system said and the program's words about it.
    bool Fail(std::error_code error, std::string detail = {});
    bool Fail(std::string detail) { return Fail(std::error_code(), std::move(detail)); }
    void Discard();
    std::error_code CreateTemporary(const std::string& directory, const std::string& stem);
    // Gives an unnamed temporary file its name in its folder, for the rename or the copy.
    std::error_code NameTemporary();
    // Writes straight into a stream or device that was opened.
    bool OpenStraight(ErrorOr<filesys::FilePtr> file);
    // Names and closes the temporary file, and checks that the target is still the one planned.
    bool CloseTemporary();
    [[nodiscard]] bool PassesCheck();

    std::string m_requested; // the path as given
    std::string m_target;    // the file it leads to
    TempFile m_temporary;
    filesys::FilePtr m_file;
    std::unique_ptr<Placement> m_placement;
    Failure m_error;
    bool m_wroteStraight = false;
    std::string m_directory; // of an unnamed temporary file, and the stem of its name to be
    std::string m_stem;
    Check m_check;
    Existing m_existing;
    bool m_sync = true;
    filesys::LockWait m_lockWait;
};
