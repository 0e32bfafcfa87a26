#include "app/ExportFiles.h"

#include "app/FrtHeader.h"
#include "common/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

ExportFiles::ExportFiles(std::string tempPath, std::string inputPath)
    : m_tempPath(std::move(tempPath)), m_inputPath(std::move(inputPath)) {
    Note();
}

void ExportFiles::Note() {
    m_tempStamp = FileStamp::Of(m_tempPath);
    m_inputStamp = FileStamp::Of(m_inputPath);
}

std::string ExportFiles::Refresh() {
    // After a failed restore the input is ours to mend; the copy alone holds its content.
    if (m_damaged)
        return {};
    const FileStamp input = FileStamp::Of(m_inputPath);
    if (!input.exists)
        return m_inputPath + ": " + input.error;
    if (m_copyUsable && input.SameAs(m_inputStamp) && FileStamp::Of(m_tempPath).SameAs(m_tempStamp))
        return {};
    // The drawing must show the content that is there now, so the copy is taken again.
    m_copyUsable = false;
    // A copy that vanished (a cleaner of temporary files) is made anew under its name.
    if (!FileStamp::Of(m_tempPath).exists && !filesys::CreatePrivate(m_tempPath))
        return m_tempPath + ": " + std::strerror(errno);
    const filesys::CopyResult copied = filesys::CopyOver(m_inputPath, m_tempPath);
    Note();
    if (!copied.ok)
        return m_inputPath + ": " + copied.error;
    if (frtheader::CheckFrtHeader(m_tempPath) != FRT_FORMAT_DXF)
        return m_inputPath +
               " was changed and is no longer an FRT file for DXF export (its header does not name "
               "\"Rev2Ezi\"); nothing was written.";
    m_copyUsable = true;
    return {};
}

std::string ExportFiles::Restore(const std::string& keptDrawing) {
    const filesys::CopyResult restored = filesys::CopyOver(m_tempPath, m_inputPath);
    if (restored.ok) {
        if (!keptDrawing.empty())
            filesys::Remove(keptDrawing);
        m_damaged = false;
        Note();
        return {};
    }
    m_damaged = true;
    std::string text = " " + m_inputPath + " could not be put back as it was (" + restored.error +
                       "); its original content is kept in " + m_tempPath;
    if (!keptDrawing.empty())
        text += ", and the complete drawing in " + keptDrawing;
    return text + ".";
}
