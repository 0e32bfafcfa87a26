#include "app/TempCopy.h"

#include "common/FileSystem.h"

#include <cerrno>
#include <cstring>

bool TempCopy::Make(const std::string& source) {
    m_error.clear();
    // A new file, ours alone, never through a planted link, with the content copied into it at
    // once. The source is opened without blocking and must be a regular file, so a pipe cannot
    // hang us. Precious: should a write into the input fail half way, this is its only content.
    std::string error;
    const bool made = m_file.Create(
        filesys::TemporaryDirectory(), "frt",
        [&source, &error](const std::string& path) {
            const filesys::CopyResult copied = filesys::CopyToNew(source, path);
            error = copied.error;
            return copied.ok;
        },
        true);
    if (!made) // the copy's own reason, or why no new name could be made
        m_error = error.empty() ? std::strerror(errno) : error;
    return made;
}
