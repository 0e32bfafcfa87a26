#include "app/TempCopy.h"

#include "common/FileSystem.h"

bool TempCopy::Make(const std::string& source) {
    m_error = {};
    // A new file, ours alone, never through a planted link, with the content copied into it at
    // once. The source is opened without blocking and must be a regular file, so a pipe cannot
    // hang us. Precious: should a write into the input fail half way, this is its only content.
    bool ofSource = false;
    const std::string folder = filesys::TemporaryDirectory();
    const std::error_code error = m_file.Create(
        folder, "frt",
        [&](const std::string& path) {
            const filesys::CopyResult copied = filesys::CopyToNew(source, path);
            ofSource = copied.ofSource;
            return copied.error;
        },
        true);
    if (!error)
        return true;
    // Which side failed: the file itself, or the temporary folder.
    if (source.empty() || ofSource)
        m_error = Failure(Failure::Stage::Open, source, error);
    else
        m_error = Failure(Failure::Stage::Write, folder, error,
                          "cannot copy " + source + " into this temporary folder");
    return false;
}
