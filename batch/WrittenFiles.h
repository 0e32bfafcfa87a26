#pragma once

#include "common/FileSystem.h"

#include <mutex>
#include <string>
#include <vector>

// The drawings a run has written, by the files they are, so that a later job of the run never
// replaces one with another (a link made meanwhile, a disk that takes two names as one).
class WrittenFiles {
public:
    // Held from the last check of a target until its drawing is written and noted, so that two
    // jobs at once cannot both find a target free.
    std::mutex& Lock() { return m_lock; }
    // Notes the drawing written to `target` for `input`; with the lock held.
    void Add(const std::string& target, const std::string& input);
    // The input whose drawing this run wrote at `target` already, or empty; with the lock held.
    [[nodiscard]] std::string WrittenFor(const std::string& target) const;

private:
    struct Written {
        filesys::FileState file;
        std::string input;
    };
    std::mutex m_lock;
    std::vector<Written> m_written;
};
