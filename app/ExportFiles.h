#pragma once

#include "app/FileStamp.h"

#include <string>

// The two files of a desktop export: the private copy that is converted and the input path that
// receives the drawing. It keeps the copy in step with the input and puts the input's content
// back when a write into it failed half way.
class ExportFiles {
public:
    ExportFiles() = default;
    // Notes both files as they are now.
    ExportFiles(std::string tempPath, std::string inputPath);

    const std::string& TempPath() const { return m_tempPath; }
    const std::string& InputPath() const { return m_inputPath; }

    // Makes the copy show what is at the input path now: when the input (or the copy) changed
    // since it was noted, the input is copied again and its header checked again. Empty when the
    // copy may be converted; otherwise the text for the "Error" box, and nothing may be written.
    std::string Refresh();

    // After a write that failed inside the input itself: puts the input's content back from the
    // copy and removes the complete drawing kept at keptDrawing. Returns what to add to the error
    // message: empty when the input is whole again.
    std::string Restore(const std::string& keptDrawing);

    // The input could not be put back: the copy now holds its only intact content and must stay.
    bool Damaged() const { return m_damaged; }

private:
    void Note();

    std::string m_tempPath;
    std::string m_inputPath;
    FileStamp m_tempStamp;
    FileStamp m_inputStamp;
    bool m_copyUsable = true;
    bool m_damaged = false;
};
