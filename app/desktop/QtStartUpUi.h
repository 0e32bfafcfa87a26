#pragma once

#include "CExportApp.h"
#include "ISettingsStore.h"

#include <string>

// Start-up's file dialog, "Error" box and options dialog, in Qt widgets.
class QtStartUpUi : public IStartUpUi {
public:
    QtStartUpUi(std::string programDirectory, ISettingsStore& store)
        : m_programDirectory(std::move(programDirectory)), m_store(store) {}

    std::optional<std::string> AskForFile() override;
    void ShowError(const std::string& text) override;
    int RunDialog(const std::string& tempPath, const std::string& inputPath) override;

private:
    std::string m_programDirectory;
    ISettingsStore& m_store;
};
