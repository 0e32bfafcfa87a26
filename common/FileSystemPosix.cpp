#include "common/FileSystem.h"

#include <algorithm>
#include <cstdio>

#include <fcntl.h>
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
    int get() const { return m_fd; }
    // Closes now, so that a late write error is seen.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

CopyResult Failed(bool damaged) {
    CopyResult result;
    result.damaged = damaged;
    result.error = std::strerror(errno != 0 ? errno : EIO);
    return result;
}

} // namespace

std::vector<std::string> Arguments(int argc, char** argv) {
    return {argv + std::min(argc, 1), argv + argc};
}

std::filesystem::path PathOf(const std::string& text) {
    return {text};
}

std::string TextOf(const std::filesystem::path& path) {
    return path.string();
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

bool SeekTo(std::FILE* file, std::uint64_t offset) {
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::FILE* CreateNew(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        // The file is made but cannot be written through: it must not stay behind.
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        errno = error;
    }
    return file;
}

std::string Replace(const std::string& replacement, const std::string& target) {
    if (std::rename(replacement.c_str(), target.c_str()) != 0)
        return std::strerror(errno);
    return {};
}

void CopyPermissions(const std::string& from, const std::string& to) {
    struct stat info {};
    if (::stat(from.c_str(), &info) == 0)
        ::chmod(to.c_str(), info.st_mode & 07777);
}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) != 0;
}

bool Remove(const std::string& path) {
    return std::remove(path.c_str()) == 0;
}

void RemoveNow(const char* path) noexcept {
    ::unlink(path);
}

FileId IdOf(const std::string& path) {
    FileId id;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        id.exists = true;
        id.device = static_cast<std::uint64_t>(info.st_dev);
        id.inode = static_cast<std::uint64_t>(info.st_ino);
    }
    return id;
}

bool RenameKeepsIdentity(const std::string& target, const std::string& replacement) {
    struct stat old {};
    struct stat fresh {};
    if (::lstat(target.c_str(), &old) != 0)
        return errno == ENOENT; // nothing there to keep
    if (::stat(replacement.c_str(), &fresh) != 0)
        return false;
    return S_ISREG(old.st_mode) && old.st_nlink == 1 && old.st_uid == fresh.st_uid &&
           old.st_gid == fresh.st_gid && OnlyAutomaticAttributes(target);
}

CopyResult CopyOver(const std::string& source, const std::string& target) {
    errno = 0;
    // Without blocking, so that a pipe put in the file's place cannot hang the caller.
    Fd in(::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (in.get() < 0)
        return Failed(false);
    Fd out(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
    if (out.get() < 0)
        return Failed(false);
    struct stat from {};
    struct stat to {};
    if (::fstat(in.get(), &from) != 0 || ::fstat(out.get(), &to) != 0)
        return Failed(false);
    if (!S_ISREG(from.st_mode)) {
        CopyResult result;
        result.error = S_ISDIR(from.st_mode) ? std::strerror(EISDIR) : kNotRegular;
        return result;
    }
    if (from.st_size > to.st_size) {
        const int error = ::posix_fallocate(out.get(), to.st_size, from.st_size - to.st_size);
        if (error != 0 && error != EOPNOTSUPP && error != EINVAL) {
            (void)::ftruncate(out.get(), to.st_size); // give back what was claimed
            errno = error;
            return Failed(false);
        }
    }
    std::vector<char> buffer(1 << 20);
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
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
    if (::ftruncate(out.get(), offset) != 0 || !out.Close())
        return Failed(true);
    CopyResult result;
    result.ok = true;
    return result;
}

bool CreatePrivate(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(path.c_str());
        errno = error;
        return false;
    }
    return true;
}

std::string TemporaryDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    if (dir.back() != '/')
        dir += '/';
    return dir;
}

} // namespace filesys
