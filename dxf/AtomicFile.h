#pragma once

#include "TextStream.h"

#include <cstdio>
#include <memory>
#include <string>

// Writes a file so that its target is either left exactly as it was or replaced whole: the
// bytes go to a new temporary file beside the target, which replaces the target by a rename
// only when every byte was written, flushed and closed without error. On any failure, and
// when destroyed without Commit, the temporary file is removed. A target that exists but is no
// regular file (a device, a pipe) is written in place, as it cannot be replaced.
class AtomicFile : public ITextSink {
public:
    explicit AtomicFile(std::string target);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile() override;

    // Creates the temporary file. False with Error() when that is not possible.
    bool Open();
    bool Write(const char* data, std::size_t size) override;
    // Flushes, closes and renames over the target. False with Error() on any failure.
    bool Commit();

    std::string Error() const override { return m_error; }
    const std::string& TemporaryPath() const { return m_temporary; }

protected:
    // The one place bytes reach the file; tests replace it to simulate a full disk.
    virtual std::size_t WriteBytes(std::FILE* file, const char* data, std::size_t size);

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    bool Fail(const std::string& reason);
    void Discard();

    std::string m_target;
    std::string m_temporary;
    std::unique_ptr<std::FILE, FileCloser> m_file;
    std::string m_error;
    bool m_failed = false;
    int m_pendingSlot = -1; // so that an interrupt removes the temporary file too
};
