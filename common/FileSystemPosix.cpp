#include "common/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace filesys {

namespace {

// Attributes that every file on the volume carries and a new file gets as well.
bool OnlyAutomaticAttributes(const std::string& path) {
    const ssize_t size = ::listxattr(path.c_str(), nullptr, 0);
    if (size <= 0)
        return size == 0 || errno == ENOTSUP;
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = ::listxattr(path.c_str(), names.data(), names.size());
    if (got < 0)
        return false;
    for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
        const std::string_view name(names.data() + at);
        if (name != "security.selinux")
            return false;
        at += name.size() + 1;
    }
    return true;
}

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    [[nodiscard]] int get() const { return m_fd; }
    // Closes now, so that a late write error is seen.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

std::error_code Errno(int error) {
    return {error, std::generic_category()};
}

// The error of the system call that just failed.
std::error_code LastError() {
    return Errno(errno);
}

CopyResult Failed(bool damaged) {
    return {Errno(errno != 0 ? errno : EIO), damaged};
}

std::error_code NotRegular(const struct stat& info) {
    return S_ISDIR(info.st_mode) ? Errno(EISDIR) : make_error_code(FileError::NotRegular);
}

// Whether the first `size` bytes of both files are the same, and `b` holds no more; false also
// when either cannot be read.
bool SameBytes(int a, int b, off_t size) {
    struct stat info {};
    if (::fstat(b, &info) != 0 || info.st_size != size)
        return false;
    std::vector<char> left(1 << 20);
    std::vector<char> right(left.size());
    for (off_t at = 0; at < size;) {
        const auto want =
            static_cast<std::size_t>(std::min<off_t>(size - at, static_cast<off_t>(left.size())));
        const ssize_t got = ::pread(a, left.data(), want, at);
        if (got <= 0 || ::pread(b, right.data(), static_cast<std::size_t>(got), at) != got ||
            std::memcmp(left.data(), right.data(), static_cast<std::size_t>(got)) != 0)
            return false;
        at += got;
    }
    return true;
}

// Copies every byte of `in` to `out` from its start and cuts `out` after them; with `sync`, the
// bytes reach the disk before the file is closed (and its lock let go); with `verify`, `out` is
// read back and compared with `in` first, as a writer that ignores the lock may have written.
CopyResult CopyBytes(int in, Fd& out, bool sync = false, bool verify = false) {
    std::vector<char> buffer(1 << 20);
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Failed(offset > 0);
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w =
                ::pwrite(out.get(), buffer.data() + done, static_cast<std::size_t>(n - done), offset);
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return Failed(true);
            }
            done += w;
            offset += w;
        }
    }
    if (::ftruncate(out.get(), offset) != 0 || (sync && Calls().syncFile(out.get()) != 0))
        return Failed(true);
    if (verify && !SameBytes(in, out.get(), offset))
        return {make_error_code(FileError::WrittenMeanwhile), true};
    if (!out.Close())
        return Failed(true);
    return {};
}

// The file a copy is taken from, or -1 with `failure` set: opened without blocking, so that a
// pipe put in its place cannot hang the caller, and only when it is a regular file.
int OpenSource(const std::string& source, struct stat& info, CopyResult& failure) {
    errno = 0;
    const int fd = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        failure = Failed(false);
        return -1;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        failure = errno != 0 ? Failed(false) : CopyResult{NotRegular(info), false};
        ::close(fd);
        return -1;
    }
    return fd;
}

mode_t Umask() {
    static mode_t mask = 0;
    static std::once_flag once;
    // Read once, as the only way to read it is to set it; files made meanwhile are ours and
    // private anyway.
    std::call_once(once, [] {
        mask = ::umask(077);
        ::umask(mask);
    });
    return mask;
}

std::int64_t Nanoseconds(const struct timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// A stream on a descriptor just opened; the descriptor is closed when that fails.
ErrorOr<FilePtr> StreamOn(int fd, const char* mode) {
    if (fd < 0)
        return LastError();
    FilePtr file(::fdopen(fd, mode));
    if (!file) {
        const std::error_code error = LastError();
        ::close(fd);
        return error;
    }
    return file;
}

} // namespace

std::vector<std::string> Arguments(int argc, char** argv) {
    return {argv + std::min(argc, 1), argv + argc};
}

std::vector<std::string> MatchArgument(const std::string& argument) {
    return {argument};
}

std::filesystem::path PathOf(const std::string& text) {
    return {text};
}

std::string TextOf(const std::filesystem::path& path) {
    return path.string();
}

ErrorOr<FilePtr> OpenFile(const std::string& path, const char* mode) {
    FilePtr file(std::fopen(path.c_str(), mode));
    if (!file)
        return LastError();
    return file;
}

std::error_code SeekTo(std::FILE* file, std::uint64_t offset) {
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 ? std::error_code() : LastError();
}

ErrorOr<FilePtr> CreateNew(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    ErrorOr<FilePtr> file = StreamOn(fd, "wb");
    // Made but not to be written through: it must not stay behind.
    if (!file && fd >= 0)
        ::unlink(path.c_str());
    return file;
}

ErrorOr<FilePtr> CreateUnnamed(const std::string& directory) {
#ifdef O_TMPFILE
    // Naming it later goes through /proc; without /proc it could never get its name.
    static const bool named = ::access("/proc/self/fd", X_OK) == 0;
    if (!named)
        return Errno(ENOTSUP);
    const int fd = ::open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    // Older kernels and some file systems say so in other words.
    if (fd < 0 && (errno == EISDIR || errno == EOPNOTSUPP || errno == EINVAL))
        return Errno(ENOTSUP);
    return StreamOn(fd, "wb");
#else
    (void)directory;
    return Errno(ENOTSUP);
#endif
}

std::error_code NameUnnamed(std::FILE* file, const std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(::fileno(file));
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0)
        return LastError();
    return {};
}

std::error_code PlaceNew(const std::string& file, const std::string& path) {
    if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS)
        return LastError();
    // A file system without the atomic no-replace rename: a new link fails just as well.
    if (::link(file.c_str(), path.c_str()) == 0) {
        ::unlink(file.c_str());
        return {};
    }
    // ENOTSUP and EOPNOTSUPP are one number on Linux.
    if (errno != EPERM && errno != EOPNOTSUPP)
        return LastError();
    // Nor links (FAT, exFAT): the name is taken by an empty file made only where nothing is, and
    // the file renamed over it.
    const int reserved = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (reserved < 0)
        return LastError();
    ::close(reserved);
    if (::rename(file.c_str(), path.c_str()) != 0) {
        const std::error_code error = LastError();
        ::unlink(path.c_str());
        return error;
    }
    return {};
}

std::error_code Replace(const std::string& replacement, const std::string& target) {
    if (Calls().replace(replacement.c_str(), target.c_str()) != 0)
        return LastError();
    return {};
}

namespace {

// The mode a new file made with 0666 in a folder with a default ACL gets: the ACL's owner, mask
// (or group, without a mask) and other entries, each cut to read and write; the umask does not
// apply there. Nothing when the folder has no default ACL.
std::optional<mode_t> ModeFromDefaultAcl(const std::string& folder) {
    // Read whatever size the ACL has: one that grows between asking and reading is asked again.
    std::vector<std::uint8_t> acl;
    ssize_t size = -1;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t needed = ::getxattr(folder.c_str(), "system.posix_acl_default", nullptr, 0);
        if (needed < 4 + 8)
            return std::nullopt;
        acl.resize(static_cast<std::size_t>(needed));
        size = ::getxattr(folder.c_str(), "system.posix_acl_default", acl.data(), acl.size());
        if (size >= 0 || errno != ERANGE)
            break;
    }
    if (size < 4 + 8)
        return std::nullopt;
    const auto le16 = [&acl](std::size_t at) { return static_cast<unsigned>(acl[at] | (acl[at + 1] << 8U)); };
    unsigned owner = 0;
    unsigned group = 0;
    unsigned mask = 8; // none yet
    unsigned other = 0;
    for (std::size_t at = 4; at + 8 <= static_cast<std::size_t>(size); at += 8) {
        const unsigned tag = le16(at);
        const unsigned perm = le16(at + 2) & 7U;
        if (tag == 0x01)
            owner = perm;
        else if (tag == 0x04)
            group = perm;
        else if (tag == 0x10)
            mask = perm;
        else if (tag == 0x20)
            other = perm;
    }
    const unsigned groupClass = mask != 8 ? mask : group;
    return static_cast<mode_t>(((owner & 6U) << 6U) | ((groupClass & 6U) << 3U) | (other & 6U));
}

} // namespace

namespace {

int SyncFolder(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const int synced = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced;
}

} // namespace

SystemCalls& Calls() {
    static SystemCalls calls{
        &ReadFromFile,
        &WriteToFile,
        [](const char* path, unsigned mode) { return ::chmod(path, static_cast<mode_t>(mode)); },
        &std::rename,
        &::fsync,
        &SyncFolder,
    };
    return calls;
}

std::string PathKey(const std::string& path) {
    return path;
}

bool IgnoresCase(const std::string& folder) {
    // A name never looked up before: a file system may answer from a cache of names it knows.
    static std::mt19937_64 generator(std::random_device{}());
    const std::string tag = std::to_string(generator());
    const std::string base = (folder.empty() ? std::string(".") : folder) + "/.frt2dxf-case-";
    const std::string lower = base + "probe-" + tag;
    if (!CreateNew(lower))
        return false;
    const bool same = StateOf(base + "PROBE-" + tag, false).exists;
    static_cast<void>(Remove(lower));
    return same;
}

std::error_code SyncFile(std::FILE* file) {
    if (Calls().syncFile(::fileno(file)) != 0)
        return LastError();
    return {};
}

std::error_code SyncFolderOf(const std::string& path) {
    const std::filesystem::path parent = PathOf(path).parent_path();
    if (Calls().syncFolder(parent.empty() ? "." : parent.c_str()) != 0)
        return LastError();
    return {};
}

namespace {

// Gives the file the mode. A file system that sets modes itself (FAT) may refuse; that is no
// error when the file has at least the bits asked for.
std::error_code SetMode(const std::string& path, mode_t mode) {
    if (Calls().setMode(path.c_str(), mode) == 0)
        return {};
    const int error = errno;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && (info.st_mode & mode) == mode)
        return {};
    return Errno(error);
}

} // namespace

std::error_code GiveNewFilePermissions(const std::string& path) {
    // The file was made private; now it gets what any program's new file there gets: in a folder
    // with a default ACL, that ACL with its mask (a chmod by the umask would narrow the mask).
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const std::optional<mode_t> inherited = ModeFromDefaultAcl(folder.empty() ? "." : folder);
    return SetMode(path, inherited ? *inherited : 0666 & ~Umask());
}

std::error_code CopyPermissions(const std::string& from, const std::string& to) {
    struct stat info {};
    if (::stat(from.c_str(), &info) != 0)
        return LastError();
    return SetMode(to, info.st_mode & 07777);
}

namespace {

// A stream of its own on a duplicate of the descriptor.
ErrorOr<FilePtr> Duplicate(int fd, const char* mode) {
    return StreamOn(::dup(fd), mode);
}

} // namespace

namespace {

// The standard streams that were closed when the program started, now on the null device.
bool g_closedAtStart[3] = {false, false, false};

// A stream closed at start has no data to give or take: reading or writing it is an error, not
// the null device's silence.
ErrorOr<FilePtr> DuplicateStandard(int fd, const char* mode) {
    if (g_closedAtStart[fd])
        return Errno(EBADF);
    return Duplicate(fd, mode);
}

} // namespace

ErrorOr<FilePtr> OpenStandardInput() {
    return DuplicateStandard(STDIN_FILENO, "rb");
}

ErrorOr<FilePtr> OpenStandardOutput() {
    std::fflush(stdout); // what the program printed comes first
    return DuplicateStandard(STDOUT_FILENO, "wb");
}

ErrorOr<FilePtr> OpenStandardError() {
    std::fflush(stderr);
    return DuplicateStandard(STDERR_FILENO, "wb");
}

void OpenClosedStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        g_closedAtStart[fd] = true;
        // The lowest free number is taken, which is this one.
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0 && null != fd)
            ::close(null);
    }
}

bool NamesStandardStream(const std::string& path, StandardStream stream) {
    struct stat named {};
    struct stat open {};
    const int fd = static_cast<int>(stream);
    return !g_closedAtStart[fd] && ::stat(path.c_str(), &named) == 0 && ::fstat(fd, &open) == 0 &&
           named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) != 0;
}

std::error_code Remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? std::error_code() : LastError();
}

void RemoveNow(const char* path) noexcept {
    ::unlink(path);
}

FileState StateOf(const std::string& path, bool followLinks) {
    FileState state;
    struct stat info {};
    if ((followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) != 0) {
        state.error = LastError();
        return state;
    }
    state.exists = true;
    state.device = static_cast<std::uint64_t>(info.st_dev);
    state.inode = static_cast<std::uint64_t>(info.st_ino);
    state.size = static_cast<std::uint64_t>(info.st_size);
    state.modified = Nanoseconds(info.st_mtim);
    state.changed = Nanoseconds(info.st_ctim);
    state.links = static_cast<std::uint64_t>(info.st_nlink);
    return state;
}

std::int64_t TicksPerSecond() {
    return 1'000'000'000; // nanoseconds
}

FileState StateOf(StandardStream stream) {
    FileState state;
    struct stat info {};
    if (::fstat(static_cast<int>(stream), &info) != 0 || !S_ISREG(info.st_mode))
        return state;
    state.exists = true;
    state.device = static_cast<std::uint64_t>(info.st_dev);
    state.inode = static_cast<std::uint64_t>(info.st_ino);
    state.size = static_cast<std::uint64_t>(info.st_size);
    return state;
}

bool RenameKeepsIdentity(const std::string& target, std::FILE* replacement) {
    struct stat old {};
    struct stat fresh {};
    if (::lstat(target.c_str(), &old) != 0)
        return errno == ENOENT; // nothing there to keep
    if (::fstat(::fileno(replacement), &fresh) != 0)
        return false;
    return S_ISREG(old.st_mode) && old.st_nlink == 1 && old.st_uid == fresh.st_uid &&
           old.st_gid == fresh.st_gid && OnlyAutomaticAttributes(target);
}

namespace {

// Takes the target's lock, waiting for another writer as `lockWait` allows.
CopyResult Lock(int fd, const LockWait& lockWait) {
    if (!lockWait) {
        while (::flock(fd, LOCK_EX) != 0)
            if (errno != EINTR)
                return Failed(false);
        return {};
    }
    const auto start = std::chrono::steady_clock::now();
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return Failed(false);
        if (!lockWait(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                            start)))
            return {make_error_code(FileError::StillLocked), false};
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

} // namespace

CopyResult CopyOver(const std::string& source, const std::string& target, const BeforeCopy& beforeCopy,
                    bool sync, const LockWait& lockWait) {
    CopyResult failure;
    struct stat from {};
    Fd in(OpenSource(source, from, failure));
    if (in.get() < 0)
        return failure;
    // Opened for reading too, so that the copy can be read back; a file that may only be written
    // is copied all the same, unchecked.
    int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    const bool readable = fd >= 0;
    if (!readable && errno == EACCES)
        fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    Fd out(fd);
    if (out.get() < 0)
        return Failed(false);
    // A second writer of the same file waits here until the first has copied all of its bytes.
    if (const CopyResult locked = Lock(out.get(), lockWait); locked.error)
        return locked;
    if (beforeCopy) {
        if (!beforeCopy())
            return {make_error_code(FileError::Refused), false};
    }
    // Looked at only now: the writer before may have changed the size.
    struct stat to {};
    if (::fstat(out.get(), &to) != 0)
        return Failed(false);
    if (from.st_size > to.st_size) {
        const int error = ::posix_fallocate(out.get(), to.st_size, from.st_size - to.st_size);
        if (error != 0 && error != EOPNOTSUPP && error != EINVAL) {
            // Gives back what was claimed, as far as it can; the failure told is the claim's.
            const int released = ::ftruncate(out.get(), to.st_size);
            static_cast<void>(released);
            errno = error;
            return Failed(false);
        }
    }
    return CopyBytes(in.get(), out, sync, readable);
}

CopyResult CopyToNew(const std::string& source, const std::string& copy) {
    CopyResult failure;
    struct stat from {};
    Fd in(OpenSource(source, from, failure));
    if (in.get() < 0) {
        failure.ofSource = true;
        return failure;
    }
    Fd out(::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.get() < 0)
        return Failed(false);
    CopyResult result = CopyBytes(in.get(), out);
    if (result.error) {
        ::unlink(copy.c_str());
        result.damaged = false;
    }
    return result;
}

ErrorOr<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes) {
    Fd in(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    if (in.get() < 0 || ::fstat(in.get(), &info) != 0)
        return LastError();
    if (!S_ISREG(info.st_mode))
        return NotRegular(info);
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes)
        return make_error_code(FileError::TooLarge);
    // One byte more than allowed tells a file that grew since.
    std::string content(maxBytes + 1, '\0');
    std::size_t got = 0;
    while (got < content.size()) {
        const ssize_t n = ::read(in.get(), content.data() + got, content.size() - got);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return LastError();
        }
        got += static_cast<std::size_t>(n);
    }
    if (got > maxBytes)
        return make_error_code(FileError::TooLarge);
    content.resize(got);
    return content;
}

std::string TemporaryDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    if (dir.back() != '/')
        dir += '/';
    return dir;
}

} // namespace filesys
