#include "CExportApp.h"

#include "TempCopy.h"

#include <algorithm>
#include <cstdio>

std::string CExportApp::InputPathOf(const std::string& commandTail) {
    std::string path = commandTail;
    path.erase(std::remove(path.begin(), path.end(), '"'), path.end());
    return path;
}

bool CExportApp::StartUp(const std::string& commandTail, IStartUpUi& ui) {
    std::string input = InputPathOf(commandTail);
    if (input.size() < 2) {
        if (std::optional<std::string> chosen = ui.AskForFile())
            input = *chosen;
    }
    TempCopy copy; // removed on every way out
    if (!copy.Make(input)) {
        ui.ShowError(copy.Error());
        return false;
    }
    if (CheckFrtHeader(copy.Path()) != FRT_FORMAT_DXF)
        return false; // not for this converter: silently, and nothing of the user's is deleted
    const int result = ui.RunDialog(copy.Path(), input);
    copy.Remove();
    if (result == RESULT_CANCEL)
        std::remove(input.c_str()); // the host software expects the file gone after a cancel
    return false;
}
