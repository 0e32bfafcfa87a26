#pragma once

#include "common/FileSystem.h"

// The system's own calls, as they were before any test swapped them: what a faulty call does
// when it does not fail.
inline const filesys::SystemCalls& Real() {
    static const filesys::SystemCalls real = filesys::Calls();
    return real;
}

// Swaps the file code's system calls for the test's until the end of the scope.
class ScopedSystemCalls {
public:
    explicit ScopedSystemCalls(const filesys::SystemCalls& calls) : m_saved(filesys::Calls()) {
        Real();
        filesys::Calls() = calls;
    }
    ScopedSystemCalls(const ScopedSystemCalls&) = delete;
    ScopedSystemCalls& operator=(const ScopedSystemCalls&) = delete;
    ~ScopedSystemCalls() { filesys::Calls() = m_saved; }

private:
    filesys::SystemCalls m_saved;
};
