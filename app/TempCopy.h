#pragma once

#include "common/Failure.h"
#include "common/TempFile.h"

#include <string>

// A private copy of the input file: a new file with a unique name "frt....tmp" in the user's
// temporary directory, created exclusively and readable by the user alone, so that no other
// run or user can read it or plant a link in its place. Removed when the object goes.
class TempCopy {
public:
    TempCopy() = default;

    // Copies the file. False with Error() when that fails (Open: the source, Write: the temporary
    // folder), or when the path names no regular file (a pipe is refused without waiting on it);
    // nothing is left.
    [[nodiscard]] bool Make(const std::string& source);
    void Remove() { m_file.Discard(); }
    // Leaves the copy where it is for good: it holds the only intact content of the input.
    void Keep() { m_file.Keep(); }

    [[nodiscard]] const std::string& Path() const { return m_file.Path(); }
    [[nodiscard]] const Failure& Error() const { return m_error; }

private:
    TempFile m_file;
    Failure m_error;
};
