#include "fuzz/ScratchFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

ScratchFile::ScratchFile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "frt2dxf-fuzz-XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        std::perror("frt2dxf fuzz: cannot create a scratch file");
        std::abort();
    }
    close(fd);
    m_path = pattern;
}

ScratchFile::~ScratchFile() {
    std::remove(m_path.c_str());
}

const std::string& ScratchFile::Write(const std::uint8_t* data, std::size_t size) {
    std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        std::perror("frt2dxf fuzz: cannot write the scratch file");
        std::abort();
    }
    return m_path;
}
