#include "batch/WrittenFiles.h"

#include <filesystem>

void WrittenFiles::Add(const std::string& target, const std::string& input) {
    m_written.push_back({filesys::StateOf(target), input});
}

std::string WrittenFiles::WrittenFor(const std::string& target) const {
    const filesys::FileState file = filesys::StateOf(target);
    for (const Written& written : m_written)
        if (file.SameFile(written.file))
            return written.input;
    return {};
}

std::string WrittenFiles::FreeNameBeside(const std::string& target) {
    const std::filesystem::path path = filesys::PathOf(target);
    const std::string stem = filesys::TextOf(path.parent_path() / path.stem());
    const std::string extension = filesys::TextOf(path.extension());
    for (int n = 2;; ++n) {
        std::string candidate = stem + " (" + std::to_string(n) + ")" + extension;
        if (!filesys::StateOf(candidate, false).exists)
            return candidate;
    }
}
