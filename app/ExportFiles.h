#pragma once

#include "app/CLanguageFile.h"
#include "app/TempCopy.h"
#include "common/FileSystem.h"

#include <memory>
#include <string>

// The files of a desktop export: the private copy that is converted, the input it was taken
// from and the output that receives the drawing. Started by the host software, the output is the
// input path itself; started on its own, the program writes beside the file the user chose and
// never changes that file. It keeps the copy in step with the input and puts the input's content
// back when a write into it failed half way.
class ExportFiles {
public:
    ExportFiles() = default;
    // Notes the files as they are now. outputPath empty: the drawing goes over the input. The
    // texts (kept by the caller) word what is said of the files.
    ExportFiles(std::string tempPath, std::string inputPath, std::string outputPath = {},
                const CLanguageFile& texts = CLanguageFile::English());

    [[nodiscard]] const std::string& TempPath() const { return m_tempPath; }
    [[nodiscard]] const std::string& InputPath() const { return m_inputPath; }
    [[nodiscard]] const std::string& OutputPath() const { return m_outputPath; }
    // Whether the drawing goes to a file of its own (the user chose the input in the file dialog).
    [[nodiscard]] bool Standalone() const { return m_outputPath != m_inputPath; }

    // The drawing's path for an input the user chose: beside it, with the extension ".dxf", never
    // the input itself.
    static std::string OutputBeside(const std::string& inputPath);

    // Makes the copy show what is at the input path now: when the input (or the copy) changed
    // since it was noted, the input is copied again, to a new private file, and its header
    // checked again. Empty when the copy may be converted; otherwise the text for the "Error" box,
    // and nothing may be written.
    std::string Refresh();

    // Right before the drawing goes over the input: empty when the input still is the file that
    // was copied, with the same bytes; else why nothing may be written (said of the input, without
    // its path, which the failure carries), and the next Refresh
    // takes the copy again. A drawing beside a chosen file replaces nothing, and is not held up.
    std::string CheckInputAsCopied();
    // For a file the user chose: why nothing may be written when its drawing's path leads to that
    // file itself (a link, symbolic or hard), said of the drawing without its path; else empty.
    [[nodiscard]] std::string OutputIsInput() const;
    // Whether the input changed since it was copied, so that a conversion of the copy is stale.
    [[nodiscard]] bool CopyStale() const { return !m_copyUsable; }

    // After a write that failed inside the input itself: puts the input's content back from the
    // copy and removes the complete drawing kept at keptDrawing. Returns what to add to the error
    // message: empty when the input is whole again.
    std::string Restore(const std::string& keptDrawing);

    // Moves a drawing kept after a failed write (a hidden temporary file) to a name beside the
    // input that a user sees: NAME.dxf, or NAME (2).dxf ... Returns where it is now.
    [[nodiscard]] std::string KeepVisible(const std::string& keptDrawing) const;

    // Whether the input's path holds a file with content other than the one this program last
    // knew there (another program wrote into it or replaced it): deleting it (Cancel) would lose
    // that program's work. A link or a folder put there holds none.
    [[nodiscard]] bool InputUnknown() const;

    // The input could not be put back: the copy now holds its only intact content and must stay.
    [[nodiscard]] bool Damaged() const { return m_damaged; }

private:
    // Notes the copy and the input as they are now, so that a later change to either is seen.
    void RememberStates(const filesys::FileState& input);
    // Why nothing may go over the input when a link now stands at its path where another entry
    // was (a link planted there, or one turned to another file), or another file's hard link:
    // writing through it would replace a file nobody chose. Empty otherwise.
    [[nodiscard]] std::string PlantedLink() const;

    std::string m_tempPath;
    std::string m_inputPath;
    std::string m_outputPath;
    std::unique_ptr<TempCopy> m_fresh; // a copy taken again after the first one changed
    filesys::FileState m_tempState;
    filesys::FileState m_inputState;
    filesys::FileState m_inputEntry; // the input path's own entry, a link not followed
    filesys::FileState m_opened;     // the file the program was started with
    bool m_copyUsable = true;
    bool m_damaged = false;
    const CLanguageFile* m_texts = &CLanguageFile::English();
};
