#include "app/TempCopy.h"

#include "common/FileSystem.h"
#include "common/PendingFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

std::string RandomName() {
    static std::mt19937_64 generator(std::random_device{}());
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name = "frt";
    for (int i = 0; i < 12; ++i)
        name += digits[generator() % 36];
    return name + ".tmp";
}

// Writes all bytes, going on after interrupted or partial writes.
bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
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
        ::unlink(m_path.c_str());
        m_path.clear();
    }
    pendingfiles::Drop(m_pendingSlot);
    m_pendingSlot = -1;
}

bool TempCopy::Make(const std::string& source) {
    Remove();
    m_error.clear();
    // Without blocking: opening a pipe for reading would wait for a writer that never comes.
    const int in = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) {
        m_error = std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        m_error = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : filesys::kNotRegular;
        ::close(in);
        return false;
    }
    int out = -1;
    for (int attempt = 0; attempt < 100 && out < 0; ++attempt) {
        const std::string candidate = Directory() + RandomName();
        // O_EXCL | O_NOFOLLOW: a new file or nothing, never through a planted link; 0600: ours alone.
        out = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (out >= 0) {
            m_path = candidate;
            m_pendingSlot = pendingfiles::Add(m_path.c_str());
        } else if (errno != EEXIST)
            break;
    }
    if (out < 0) {
        m_error = std::strerror(errno);
        ::close(in);
        return false;
    }
    char buffer[1 << 16];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        if (!WriteAll(out, buffer, static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    const int error = errno;
    ok = (::close(out) == 0) && ok;
    ::close(in);
    if (!ok) {
        m_error = std::strerror(error != 0 ? error : EIO);
        Remove();
        return false;
    }
    return true;
}
