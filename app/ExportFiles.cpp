#include "app/ExportFiles.h"

#include "common/PendingFiles.h"
#include "frt/FrtHeader.h"

#include <utility>

ExportFiles::ExportFiles(std::string tempPath, std::string inputPath, std::string outputPath,
                         const CLanguageFile& texts)
    : m_tempPath(std::move(tempPath)), m_inputPath(std::move(inputPath)),
      m_outputPath(outputPath.empty() ? m_inputPath : std::move(outputPath)), m_texts(&texts) {
    m_opened = filesys::StateOf(m_inputPath);
    RememberStates(m_opened);
}

std::string ExportFiles::OutputBeside(const std::string& inputPath) {
    std::filesystem::path output = filesys::PathOf(inputPath);
    output.replace_extension(".dxf");
    // A chosen file that is itself named .dxf keeps its content too.
    if (filesys::TextOf(output) == inputPath)
        output.replace_extension(".drawing.dxf");
    return filesys::TextOf(output);
}

void ExportFiles::RememberStates(const filesys::FileState& input) {
    // The copy is ours: a link or another file put in its place is not followed, only noticed.
    m_tempState = filesys::StateOf(m_tempPath, false);
    m_inputState = input;
    m_inputEntry = filesys::StateOf(m_inputPath, false);
}

std::string ExportFiles::PlantedLink() const {
    if (Standalone())
        return {};
    std::error_code ec;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(filesys::PathOf(m_inputPath), ec)) &&
        !filesys::StateOf(m_inputPath, false).SameAs(m_inputEntry))
        return m_texts->GetText("PLANTED_LINK", "is now a link to another file, not the survey that was "
                                                "opened; nothing was written, and both files are left as "
                                                "they are");
    // A file with other names is written in place, through all of them: only the very file that
    // was opened may be, never one linked there since.
    const filesys::FileState now = filesys::StateOf(m_inputPath);
    if (now.exists && now.links > 1 && !now.SameFile(m_opened))
        return m_texts->GetText("PLANTED_HARD_LINK", "is now another name of another file (a hard link), not "
                                                     "the survey that was opened; nothing was written, and "
                                                     "both files are left as they are");
    return {};
}

std::string ExportFiles::OutputIsInput() const {
    if (!Standalone() || !filesys::StateOf(m_outputPath).SameFile(filesys::StateOf(m_inputPath)))
        return {};
    return CLanguageFile::Filled(m_texts->GetText("OUTPUT_IS_INPUT",
                                                  "leads to the chosen survey %1 itself (a "
                                                  "link), which is never replaced; nothing "
                                                  "was written"),
                                 m_inputPath);
}

std::string ExportFiles::Refresh() {
    // After a failed restore the input is ours to mend; the copy alone holds its content.
    if (m_damaged)
        return {};
    if (std::string planted = PlantedLink(); !planted.empty())
        return m_inputPath + " " + planted;
    const filesys::FileState input = filesys::StateOf(m_inputPath);
    if (!input.exists)
        return m_inputPath + ": " + input.error.message();
    if (m_copyUsable && input.SameAs(m_inputState) && filesys::StateOf(m_tempPath, false).SameAs(m_tempState))
        return {};
    // The drawing must show the content that is there now, so the copy is taken again, as a new
    // file under a new name: the old name may have been taken over meanwhile.
    m_copyUsable = false;
    auto fresh = std::make_unique<TempCopy>();
    if (!fresh->Make(m_inputPath))
        return m_texts->FailureText(fresh->Error(), fresh->Error().path);
    m_fresh = std::move(fresh);
    m_tempPath = m_fresh->Path();
    RememberStates(input);
    if (!filesys::StateOf(m_inputPath).SameAs(input))
        return CLanguageFile::Filled(m_texts->GetText("CHANGED_WHILE_COPIED",
                                                      "%1 was changed while it was "
                                                      "copied; nothing was written. Press "
                                                      "OK again."),
                                     m_inputPath);
    if (frtheader::CheckFrtHeader(m_tempPath) != FRT_FORMAT_DXF)
        return CLanguageFile::Filled(
            m_texts->GetText("NO_LONGER_A_SURVEY", "%1 was changed and is no longer an FRT file for DXF "
                                                   "export (its header does not name \"Rev2Ezi\"); nothing "
                                                   "was written."),
            m_inputPath);
    m_copyUsable = true;
    return {};
}

std::string ExportFiles::CheckInputAsCopied() {
    if (std::string planted = PlantedLink(); !planted.empty()) {
        m_copyUsable = false;
        return planted;
    }
    if (Standalone())
        return OutputIsInput();
    if (filesys::StateOf(m_inputPath).SameAs(m_inputState) && filesys::SameContent(m_inputPath, m_tempPath))
        return {};
    m_copyUsable = false;
    return m_texts->GetText("CHANGED_WHILE_CONVERTED",
                            "was changed while it was converted; nothing was written");
}

std::string ExportFiles::KeepVisible(const std::string& keptDrawing) const {
    const std::string visible = filesys::FreeNameBeside(OutputBeside(m_inputPath));
    return filesys::PlaceNew(keptDrawing, visible) ? keptDrawing : visible;
}

bool ExportFiles::InputUnknown() const {
    std::error_code ec;
    return std::filesystem::is_regular_file(
               std::filesystem::symlink_status(filesys::PathOf(m_inputPath), ec)) &&
           !filesys::StateOf(m_inputPath).SameAs(m_inputState);
}

std::string ExportFiles::Restore(const std::string& keptDrawing) {
    // A stop meanwhile waits: the input is put back whole first.
    const pendingfiles::DeferStop deferred;
    const filesys::CopyResult restored = filesys::CopyOver(m_tempPath, m_inputPath);
    if (!restored.error) {
        if (!keptDrawing.empty())
            filesys::Remove(keptDrawing);
        pendingfiles::MarkDamaged(false);
        m_damaged = false;
        RememberStates(filesys::StateOf(m_inputPath));
        return {};
    }
    m_damaged = true;
    if (m_fresh)
        m_fresh->Keep();
    std::string text =
        " " +
        CLanguageFile::Filled(m_texts->GetText("NOT_PUT_BACK", "%1 could not be put back as it was (%2)"),
                              m_inputPath, restored.error.message()) +
        CLanguageFile::Filled(m_texts->GetText("ORIGINAL_KEPT", "; its original content is kept in %1"),
                              m_tempPath);
    if (!keptDrawing.empty())
        text += CLanguageFile::Filled(
            m_texts->GetText("AND_KEPT_DRAWING", ", and the complete drawing in %1"), keptDrawing);
    return text + ".";
}
