#include "common/FileSystem.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace filesys {

namespace {

std::error_code Errno(int error) {
    return {error, std::generic_category()};
}

class FileErrorCategory : public std::error_category {
public:
    [[nodiscard]] const char* name() const noexcept override { return "file"; }
    [[nodiscard]] std::string message(int error) const override {
        switch (static_cast<FileError>(error)) {
        case FileError::NotRegular:
            return "not a regular file";
        case FileError::TooLarge:
            return "too large to be a settings file";
        case FileError::Refused:
            return "refused before the copy";
        case FileError::StillLocked:
            return "another program is still writing the file (it holds its lock); nothing was written";
        case FileError::WrittenMeanwhile:
            return "another program wrote into the file while the drawing was copied into it";
        }
        return "unknown file error";
    }
};

} // namespace

std::error_code make_error_code(FileError error) {
    static const FileErrorCategory category;
    return {static_cast<int>(error), category};
}

std::error_code WriteToFile(std::FILE* file, const void* data, std::size_t size, std::size_t& done) {
    errno = 0;
    done = std::fwrite(data, 1, size, file);
    return done == size ? std::error_code() : Errno(errno != 0 ? errno : EIO);
}

std::error_code ReadFromFile(std::FILE* file, void* buffer, std::size_t size, std::size_t& done) {
    errno = 0;
    done = std::fread(buffer, 1, size, file);
    // What came before a failure is given first; the next read tells the failure.
    if (done == 0 && std::ferror(file) != 0)
        return Errno(errno != 0 ? errno : EIO);
    return {};
}

ErrorOr<FilePtr> StreamOf(NativeFile file, const char* mode) {
    std::FILE* stream = nullptr;
    if (const std::error_code error = Calls().streamOn(file, mode, stream))
        return error;
    return FilePtr(stream);
}

ErrorOr<FilePtr> OpenFile(const std::string& path, const char* mode) {
    std::FILE* stream = nullptr;
    if (const std::error_code error = Calls().openStream(path.c_str(), mode, stream))
        return error;
    return FilePtr(stream);
}

ErrorOr<FilePtr> CreateNew(const std::string& path) {
    NativeFile file = kNoFile;
    if (const std::error_code error = Calls().open(path.c_str(), Access::CreateNew, file))
        return error;
    ErrorOr<FilePtr> stream = StreamOf(file, "wb");
    // Made but not to be written through: it must not stay behind.
    if (!stream)
        static_cast<void>(Calls().remove(path.c_str()));
    return stream;
}

ErrorOr<FilePtr> CreateUnnamed(const std::string& directory) {
    NativeFile file = kNoFile;
    if (const std::error_code error = Calls().open(directory.c_str(), Access::Unnamed, file))
        return error;
    return StreamOf(file, "wb");
}

std::error_code NameUnnamed(std::FILE* file, const std::string& path) {
    return Calls().name(NativeOf(file), path.c_str());
}

std::error_code PlaceNew(const std::string& file, const std::string& path) {
    const SystemCalls& calls = Calls();
    std::error_code error = calls.renameNew(file.c_str(), path.c_str());
    if (error != std::errc::invalid_argument && error != std::errc::function_not_supported)
        return error;
    // A file system without the atomic no-replace rename: a new link fails just as well.
    error = calls.link(file.c_str(), path.c_str());
    if (!error) {
        static_cast<void>(calls.remove(file.c_str()));
        return {};
    }
    if (error != std::errc::operation_not_permitted && error != std::errc::not_supported)
        return error;
    // Nor links (FAT, exFAT): the name is taken by an empty file made only where nothing is, and
    // the file renamed over it.
    NativeFile reserved = kNoFile;
    if ((error = calls.open(path.c_str(), Access::CreateNew, reserved)))
        return error;
    static_cast<void>(calls.close(reserved));
    if ((error = calls.replace(file.c_str(), path.c_str())))
        static_cast<void>(calls.remove(path.c_str()));
    return error;
}

std::error_code Replace(const std::string& replacement, const std::string& target) {
    return Calls().replace(replacement.c_str(), target.c_str());
}

std::error_code SyncFile(std::FILE* file) {
    return Calls().syncFile(NativeOf(file));
}

std::error_code SyncFolderOf(const std::string& path) {
    const std::filesystem::path parent = PathOf(path).parent_path();
    return Calls().syncFolder(parent.empty() ? "." : TextOf(parent).c_str());
}

std::error_code Remove(const std::string& path) {
    return Calls().remove(path.c_str());
}

namespace {

// A file opened through the table, closed with it.
class Opened {
public:
    Opened() = default;
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;
    ~Opened() {
        if (m_file != kNoFile)
            static_cast<void>(Calls().close(m_file));
    }
    std::error_code Open(const std::string& path, Access access) {
        return Calls().open(path.c_str(), access, m_file);
    }
    [[nodiscard]] NativeFile get() const { return m_file; }
    // Closes now, so that a late write error is seen.
    std::error_code Close() {
        const NativeFile file = std::exchange(m_file, kNoFile);
        return Calls().close(file);
    }

private:
    NativeFile m_file = kNoFile;
};

bool Interrupted(const std::error_code& error) {
    return error == std::errc::interrupted;
}

std::error_code NotRegular(const OpenFacts& facts) {
    return facts.directory ? Errno(EISDIR) : make_error_code(FileError::NotRegular);
}

// Reads at the offset, again after a signal.
std::error_code ReadAt(const Opened& file, char* buffer, std::size_t size, std::uint64_t offset,
                       std::size_t& done) {
    std::error_code error;
    while (Interrupted(error = Calls().readAt(file.get(), buffer, size, offset, done))) {
    }
    return error;
}

// Writes all of it at the offset, `written` of it before a failure; a write that takes nothing is
// a full disk.
std::error_code WriteAllAt(const Opened& file, const char* data, std::size_t size, std::uint64_t offset,
                           std::size_t& written) {
    for (written = 0; written < size;) {
        std::size_t done = 0;
        const std::error_code error =
            Calls().writeAt(file.get(), data + written, size - written, offset + written, done);
        if (error && !Interrupted(error))
            return error;
        if (!error && done == 0)
            return Errno(ENOSPC);
        written += done;
    }
    return {};
}

// Whether the first `size` bytes of both files are the same, and `b` holds no more; false also
// when either cannot be read.
bool SameBytes(const Opened& a, const Opened& b, std::uint64_t size) {
    OpenFacts facts;
    if (Calls().facts(b.get(), facts) || facts.size != size)
        return false;
    std::vector<char> left(1 << 20);
    std::vector<char> right(left.size());
    for (std::uint64_t at = 0; at < size;) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(size - at, left.size()));
        std::size_t got = 0;
        std::size_t again = 0;
        if (ReadAt(a, left.data(), want, at, got) || got == 0 || ReadAt(b, right.data(), got, at, again) ||
            again != got || std::memcmp(left.data(), right.data(), got) != 0)
            return false;
        at += got;
    }
    return true;
}

// Copies every byte of `in` to `out` and cuts `out` after them; with `sync`, the bytes reach the
// disk before the file is closed (and its lock let go); with `verify`, `out` is read back and
// compared with `in` first, as a writer that ignores the lock may have written. A failure before
// a byte was written gives `out` its old size back (room claimed for the copy grew it): it is as
// it was.
CopyResult CopyBytes(const Opened& in, Opened& out, std::uint64_t oldSize, bool sync = false,
                     bool verify = false) {
    const SystemCalls& calls = Calls();
    std::vector<char> buffer(1 << 20);
    std::uint64_t offset = 0;
    const auto failed = [&](std::error_code error, std::size_t written) -> CopyResult {
        const bool untouched = offset + written == 0 && !calls.resize(out.get(), oldSize);
        return {error, !untouched};
    };
    for (;;) {
        std::size_t got = 0;
        if (const std::error_code error = ReadAt(in, buffer.data(), buffer.size(), offset, got))
            return failed(error, 0);
        if (got == 0)
            break;
        std::size_t written = 0;
        if (const std::error_code error = WriteAllAt(out, buffer.data(), got, offset, written))
            return failed(error, written);
        offset += got;
    }
    if (const std::error_code error = calls.resize(out.get(), offset))
        return {error, true};
    if (sync) {
        if (const std::error_code error = calls.syncFile(out.get()))
            return {error, true};
    }
    if (verify && !SameBytes(in, out, offset))
        return {make_error_code(FileError::WrittenMeanwhile), true};
    if (const std::error_code error = out.Close())
        return {error, true};
    return {};
}

// The file a copy is taken from, only a regular file: opened so that a pipe put in its place
// cannot hang the caller.
std::error_code OpenSource(const std::string& source, Opened& in, OpenFacts& facts) {
    if (const std::error_code error = in.Open(source, Access::Peek))
        return error;
    if (const std::error_code error = Calls().facts(in.get(), facts))
        return error;
    return facts.regular ? std::error_code() : NotRegular(facts);
}

// Takes the target's lock, waiting for another writer as `lockWait` allows.
std::error_code Lock(const Opened& file, const LockWait& lockWait) {
    std::error_code error;
    if (!lockWait) {
        while (Interrupted(error = Calls().lock(file.get(), true))) {
        }
        return error;
    }
    const auto start = std::chrono::steady_clock::now();
    while ((error = Calls().lock(file.get(), false))) {
        if (Interrupted(error))
            continue;
        if (error != std::errc::resource_unavailable_try_again)
            return error;
        if (!lockWait(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                            start)))
            return make_error_code(FileError::StillLocked);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

} // namespace

CopyResult CopyOver(const std::string& source, const std::string& target, const BeforeCopy& beforeCopy,
                    bool sync, const LockWait& lockWait) {
    Opened in;
    OpenFacts from;
    if (const std::error_code error = OpenSource(source, in, from))
        return {error, false};
    // Opened for reading too, so that the copy can be read back; a file that may only be written
    // is copied all the same, unchecked.
    Opened out;
    std::error_code error = out.Open(target, Access::Update);
    const bool readable = !error;
    if (error == std::errc::permission_denied)
        error = out.Open(target, Access::Write);
    if (error)
        return {error, false};
    // A second writer of the same file waits here until the first has copied all of its bytes.
    if ((error = Lock(out, lockWait)))
        return {error, false};
    if (beforeCopy && !beforeCopy())
        return {make_error_code(FileError::Refused), false};
    // Looked at only now: the writer before may have changed the size.
    OpenFacts to;
    if ((error = Calls().facts(out.get(), to)))
        return {error, false};
    if (from.size > to.size) {
        error = Calls().reserve(out.get(), from.size);
        if (error && error != std::errc::not_supported) {
            // Gives back what was claimed, as far as it can; the failure told is the claim's.
            static_cast<void>(Calls().resize(out.get(), to.size));
            return {error, false};
        }
    }
    return CopyBytes(in, out, to.size, sync, readable);
}

CopyResult CopyToNew(const std::string& source, const std::string& copy) {
    Opened in;
    OpenFacts from;
    if (const std::error_code error = OpenSource(source, in, from))
        return {error, false, true};
    Opened out;
    if (const std::error_code error = out.Open(copy, Access::CreateNew))
        return {error, false};
    CopyResult result = CopyBytes(in, out, 0);
    if (result.error) {
        static_cast<void>(out.Close());
        static_cast<void>(Calls().remove(copy.c_str()));
        result.damaged = false;
    }
    return result;
}

ErrorOr<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes) {
    Opened in;
    OpenFacts facts;
    if (const std::error_code error = OpenSource(path, in, facts))
        return error;
    if (facts.size > maxBytes)
        return make_error_code(FileError::TooLarge);
    // One byte more than allowed tells a file that grew since.
    std::string content(maxBytes + 1, '\0');
    std::size_t got = 0;
    while (got < content.size()) {
        std::size_t n = 0;
        if (const std::error_code error = ReadAt(in, content.data() + got, content.size() - got, got, n))
            return error;
        if (n == 0)
            break;
        got += n;
    }
    if (got > maxBytes)
        return make_error_code(FileError::TooLarge);
    content.resize(got);
    return content;
}

std::string ResolveLinks(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path current = fs::absolute(PathOf(path), ec);
    if (ec)
        current = PathOf(path);
    // As many links as the system itself follows before it gives up with a loop.
    for (int hop = 0; hop < 40; ++hop) {
        // The folders first: they exist or the write fails anyway.
        const fs::path folder = fs::weakly_canonical(current.parent_path(), ec);
        if (!ec)
            current = folder / current.filename();
        if (!fs::is_symlink(fs::symlink_status(current, ec)))
            break;
        const fs::path next = fs::read_symlink(current, ec);
        if (ec)
            break;
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return TextOf(current.lexically_normal());
}

bool IsStandardStreamFile(const std::string& path, StandardStream stream) {
    const FileState streamState = StateOf(stream);
    if (!streamState.exists)
        return false;
    const FileState file = StateOf(path);
    return file.exists && file.device == streamState.device && file.inode == streamState.inode;
}

bool SameContent(const std::string& a, const std::string& b) {
    ErrorOr<FilePtr> first = OpenFile(a, "rb");
    ErrorOr<FilePtr> second = OpenFile(b, "rb");
    if (!first || !second)
        return false;
    static constexpr std::size_t kBlock = 1 << 16;
    auto blocks = std::make_unique<std::array<char, 2 * kBlock>>();
    char* x = blocks->data();
    char* y = x + kBlock;
    const auto readBlock = [](std::FILE* file, char* block, std::size_t& got) {
        // Short reads are filled up, so that the two files are compared block by block.
        got = 0;
        for (std::size_t n = 1; got < kBlock && n > 0;) {
            if (Calls().read(file, block + got, kBlock - got, n))
                return false;
            got += n;
        }
        return true;
    };
    for (;;) {
        std::size_t got = 0;
        std::size_t other = 0;
        if (!readBlock(first->get(), x, got) || !readBlock(second->get(), y, other) || other != got ||
            std::memcmp(x, y, got) != 0)
            return false;
        if (got < kBlock)
            return true;
    }
}

bool ModifiedAfter(const FileState& file, const FileState& than) {
    const std::int64_t second = TicksPerSecond();
    const bool coarse = file.modified % second == 0 || than.modified % second == 0;
    return file.modified > than.modified + (coarse ? 2 * second : 0);
}

std::string FreeNameBeside(const std::string& path, int from) {
    const std::filesystem::path given = PathOf(path);
    const std::string stem = TextOf(given.parent_path() / given.stem());
    const std::string extension = TextOf(given.extension());
    for (int n = from;; ++n) {
        std::string candidate = path;
        if (n >= 2)
            candidate.assign(stem).append(" (").append(std::to_string(n)).append(")").append(extension);
        if (!StateOf(candidate, false).exists)
            return candidate;
    }
}

} // namespace filesys
