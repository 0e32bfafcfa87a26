#include "TempCopy.h"

#include "PendingFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
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
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    if (dir.back() != '/')
        dir += '/';
    return dir;
}

void TempCopy::Remove() {
    if (!m_path.empty()) {
        ::unlink(m_path.c_str());
        m_path.clear();
    }
    PendingFiles::Drop(m_pendingSlot);
    m_pendingSlot = -1;
}

bool TempCopy::Make(const std::string& source) {
    Remove();
    m_error.clear();
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        m_error = std::strerror(errno);
        return false;
    }
    int out = -1;
    for (int attempt = 0; attempt < 100 && out < 0; ++attempt) {
        const std::string candidate = Directory() + RandomName();
        // O_EXCL | O_NOFOLLOW: a new file or nothing, never through a planted link; 0600: ours alone.
        out = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (out >= 0) {
            m_path = candidate;
            m_pendingSlot = PendingFiles::Add(m_path.c_str());
        }
        else if (errno != EEXIST)
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
