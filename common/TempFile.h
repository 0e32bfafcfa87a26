#pragma once

#include "common/FileSystem.h"

#include <functional>
#include <string>
#include <system_error>

// A file of our own under a name no other file has: made only as a new file, so that nothing
// planted at its name is followed, readable by the user alone, and registered with the pending
// files so that an interrupt removes it too. Removed when the object goes, unless kept.
class TempFile {
public:
    // Makes the file at `path`, only as a new file; std::errc::file_exists when the name is taken.
    using Maker = std::function<std::error_code(const std::string& path)>;

    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() { Discard(); }

    // Makes the file "STEM<random>.tmp" in the directory, trying other names while a name is
    // taken; the maker's error when it cannot be made. A precious file stays on an interrupt
    // while a target is damaged (pendingfiles::Reserve).
    [[nodiscard]] std::error_code Create(const std::string& directory, const std::string& stem,
                                         const Maker& make, bool precious = false);
    // Makes the file as Create does with filesys::CreateNew, and hands it over open for writing.
    [[nodiscard]] ErrorOr<filesys::FilePtr> Create(const std::string& directory, const std::string& stem,
                                                   bool precious = false);
    // Empty when there is no file.
    [[nodiscard]] const std::string& Path() const { return m_path; }
    // The file stays for good, also on an interrupt; the object forgets it.
    void Keep();
    // Removes the file now.
    void Discard();

private:
    std::string m_path;
    int m_pendingSlot = -1;
};
