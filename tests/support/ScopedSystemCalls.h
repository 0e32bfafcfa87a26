#pragma once

#include "common/FileSystem.h"

// Swaps the file code's system calls for the test's until the end of the scope.
class ScopedSystemCalls {
public:
    explicit ScopedSystemCalls(const filesys::SystemCalls& calls) : m_saved(filesys::Calls()) {
        filesys::Calls() = calls;
    }
    ScopedSystemCalls(const ScopedSystemCalls&) = delete;
    ScopedSystemCalls& operator=(const ScopedSystemCalls&) = delete;
    ~ScopedSystemCalls() { filesys::Calls() = m_saved; }

private:
    filesys::SystemCalls m_saved;
};
