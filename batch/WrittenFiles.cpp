#include "batch/WrittenFiles.h"

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
