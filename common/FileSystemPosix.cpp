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

std::error_code Errno(int error) {
    return {error, std::generic_category()};
}

// The error of the system call that just failed.
std::error_code LastError() {
    return Errno(errno);
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

std::error_code SeekTo(std::FILE* file, std::uint64_t offset) {
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 ? std::error_code() : LastError();
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

// A call's result as the table gives it: empty, or what errno says.
std::error_code Result(bool ok) {
    return ok ? std::error_code() : LastError();
}

int Descriptor(NativeFile file) {
    return static_cast<int>(file);
}

std::error_code OpenDescriptor(const char* path, Access access, NativeFile& file) {
    int fd = -1;
    switch (access) {
    case Access::Read:
        fd = ::open(path, O_RDONLY | O_CLOEXEC);
        break;
    case Access::Peek:
        fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        break;
    case Access::Update:
        fd = ::open(path, O_RDWR | O_CLOEXEC);
        break;
    case Access::Write:
        fd = ::open(path, O_WRONLY | O_CLOEXEC);
        break;
    case Access::CreateNew:
        fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        break;
    case Access::Unnamed: {
#ifdef O_TMPFILE
        // Naming it later goes through /proc; without /proc it could never get its name.
        static const bool named = ::access("/proc/self/fd", X_OK) == 0;
        if (!named)
            return Errno(ENOTSUP);
        fd = ::open(path, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        // Older kernels and some file systems say so in other words.
        if (fd < 0 && (errno == EISDIR || errno == EOPNOTSUPP || errno == EINVAL))
            return Errno(ENOTSUP);
        break;
#else
        return Errno(ENOTSUP);
#endif
    }
    }
    file = fd;
    return Result(fd >= 0);
}

std::error_code StreamOnDescriptor(NativeFile file, const char* mode, std::FILE*& stream) {
    stream = ::fdopen(Descriptor(file), mode);
    if (stream != nullptr)
        return {};
    const std::error_code error = LastError();
    ::close(Descriptor(file));
    return error;
}

std::error_code Facts(NativeFile file, OpenFacts& facts) {
    struct stat info {};
    if (::fstat(Descriptor(file), &info) != 0)
        return LastError();
    facts.regular = S_ISREG(info.st_mode);
    facts.directory = S_ISDIR(info.st_mode);
    facts.size = static_cast<std::uint64_t>(info.st_size);
    return {};
}

std::error_code ReadAt(NativeFile file, void* buffer, std::size_t size, std::uint64_t offset,
                       std::size_t& done) {
    const ssize_t n = ::pread(Descriptor(file), buffer, size, static_cast<off_t>(offset));
    done = n > 0 ? static_cast<std::size_t>(n) : 0;
    return Result(n >= 0);
}

std::error_code WriteAt(NativeFile file, const void* data, std::size_t size, std::uint64_t offset,
                        std::size_t& done) {
    const ssize_t n = ::pwrite(Descriptor(file), data, size, static_cast<off_t>(offset));
    done = n > 0 ? static_cast<std::size_t>(n) : 0;
    return Result(n >= 0);
}

std::error_code Reserve(NativeFile file, std::uint64_t size) {
    const int error = ::posix_fallocate(Descriptor(file), 0, static_cast<off_t>(size));
    // ENOTSUP and EOPNOTSUPP are one number on Linux; EINVAL is how some file systems say it too.
    return Errno(error == EOPNOTSUPP || error == EINVAL ? ENOTSUP : error);
}

std::error_code RenameNew(const char* from, const char* to) {
    return Result(::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0);
}

std::error_code Name(NativeFile file, const char* path) {
    const std::string self = "/proc/self/fd/" + std::to_string(Descriptor(file));
    return Result(::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path, AT_SYMLINK_FOLLOW) == 0);
}

std::error_code SyncFolder(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return LastError();
    const std::error_code error = Result(::fsync(fd) == 0);
    ::close(fd);
    return error;
}

} // namespace

SystemCalls& Calls() {
    static SystemCalls calls{
        &ReadFromFile,
        &WriteToFile,
        [](const char* path, const char* mode, std::FILE*& stream) {
            stream = std::fopen(path, mode);
            return Result(stream != nullptr);
        },
        &StreamOnDescriptor,
        [](std::FILE* stream, NativeFile& copy) {
            copy = ::dup(::fileno(stream));
            return Result(copy >= 0);
        },
        &OpenDescriptor,
        [](NativeFile file) { return Result(::close(Descriptor(file)) == 0); },
        &Facts,
        &ReadAt,
        &WriteAt,
        [](NativeFile file, std::uint64_t size) {
            return Result(::ftruncate(Descriptor(file), static_cast<off_t>(size)) == 0);
        },
        &Reserve,
        [](NativeFile file, bool wait) {
            return Result(::flock(Descriptor(file), wait ? LOCK_EX : LOCK_EX | LOCK_NB) == 0);
        },
        [](NativeFile file) { return Result(::fsync(Descriptor(file)) == 0); },
        &SyncFolder,
        [](const char* path, unsigned mode) { return Result(::chmod(path, static_cast<mode_t>(mode)) == 0); },
        [](const char* from, const char* to) { return Result(std::rename(from, to) == 0); },
        &RenameNew,
        [](const char* from, const char* to) { return Result(::link(from, to) == 0); },
        &Name,
        [](const char* path) { return Result(::unlink(path) == 0); },
    };
    return calls;
}

NativeFile NativeOf(std::FILE* stream) {
    return ::fileno(stream);
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

namespace {

// Gives the file the mode. A file system that sets modes itself (FAT) may refuse; that is no
// error when the file has at least the bits asked for.
std::error_code SetMode(const std::string& path, mode_t mode) {
    const std::error_code error = Calls().setMode(path.c_str(), mode);
    struct stat info {};
    if (!error || (::stat(path.c_str(), &info) == 0 && (info.st_mode & mode) == mode))
        return {};
    return error;
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

// The standard streams that were closed when the program started, now on the null device.
bool g_closedAtStart[3] = {false, false, false};

// A stream closed at start has no data to give or take: reading or writing it is an error, not
// the null device's silence.
ErrorOr<FilePtr> DuplicateStandard(std::FILE* stream, const char* mode) {
    if (g_closedAtStart[::fileno(stream)])
        return Errno(EBADF);
    NativeFile copy = kNoFile;
    if (const std::error_code error = Calls().duplicate(stream, copy))
        return error;
    return StreamOf(copy, mode);
}

} // namespace

ErrorOr<FilePtr> OpenStandardInput() {
    return DuplicateStandard(stdin, "rb");
}

ErrorOr<FilePtr> OpenStandardOutput() {
    std::fflush(stdout); // what the program printed comes first
    return DuplicateStandard(stdout, "wb");
}

ErrorOr<FilePtr> OpenStandardError() {
    std::fflush(stderr);
    return DuplicateStandard(stderr, "wb");
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

std::string TemporaryDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    if (dir.back() != '/')
        dir += '/';
    return dir;
}

} // namespace filesys
