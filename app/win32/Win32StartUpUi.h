#pragma once

#include "app/CExportApp.h"
#include "export/ISettingsStore.h"

#include <string>

// Start-up's file dialog, "Error" box and options dialog on the Windows API.
class Win32StartUpUi : public IStartUpUi {
public:
    Win32StartUpUi(std::string programDirectory, ISettingsStore& store)
        : m_programDirectory(std::move(programDirectory)), m_store(store) {}

    std::optional<std::string> AskForFile() override;
    void ShowError(const std::string& text) override;
    int RunDialog(ExportFiles& files) override;

private:
    std::string m_programDirectory;
    ISettingsStore& m_store;
};
