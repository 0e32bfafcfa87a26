#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The readers take paths, so every fuzz input is written to one private file first. The file
// is created once per process and removed when the process ends normally.
class ScratchFile {
public:
    ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile();

    // Replaces the file's content with the bytes and returns its path.
    const std::string& Write(const std::uint8_t* data, std::size_t size);
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};
