#include "app/TempCopy.h"

#include "common/FileSystem.h"

bool TempCopy::Make(const std::string& source) {
    m_error.clear();
    // A new file, ours alone, never through a planted link, with the content copied into it at
    // once. The source is opened without blocking and must be a regular file, so a pipe cannot
    // hang us. Precious: should a write into the input fail half way, this is its only content.
    const std::error_code error = m_file.Create(
        filesys::TemporaryDirectory(), "frt",
        [&source](const std::string& path) { return filesys::CopyToNew(source, path).error; }, true);
    if (error)
        m_error = error.message();
    return !error;
}
