#include "app/CExportApp.h"

#include "app/TempCopy.h"
#include "common/FileSystem.h"

#include <algorithm>
#include <cstdio>

std::string CExportApp::InputPathOf(const std::string& commandTail) {
    std::string path = commandTail;
    path.erase(std::remove(path.begin(), path.end(), '"'), path.end());
    return path;
}

bool CExportApp::StartUp(const std::string& commandTail, IStartUpUi& ui) {
    std::string input = InputPathOf(commandTail);
    bool chosenByUser = false;
    if (input.size() < 2) {
        if (std::optional<std::string> chosen = ui.AskForFile()) {
            input = *chosen;
            chosenByUser = true;
        }
    }
    TempCopy copy; // removed on every way out
    if (!copy.Make(input)) {
        ui.ShowError(copy.Error());
        return false;
    }
    if (frtheader::CheckFrtHeader(copy.Path()) != FRT_FORMAT_DXF)
        return false; // not for this converter: silently, and nothing of the user's is deleted
    ExportFiles files(copy.Path(), input);
    const int result = ui.RunDialog(files);
    if (files.Damaged() && result != RESULT_OK) {
        copy.Keep(); // the only intact content of the input; the user was told where it is
        return false;
    }
    copy.Remove();
    // The host software names the file and expects it gone after a cancel; a file the user
    // picked in the file dialog has no host waiting for it and stays.
    if (result == RESULT_CANCEL && !chosenByUser)
        filesys::Remove(input);
    return false;
}
