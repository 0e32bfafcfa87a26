#pragma once

#include "app/CExportApp.h"
#include "app/CLanguageFile.h"
#include "export/ISettingsStore.h"

#include <string>

// Start-up's file dialog, "Error" box and options dialog on the Windows API.
class Win32StartUpUi : public IStartUpUi {
public:
    Win32StartUpUi(std::string programDirectory, ISettingsStore& store);

    std::optional<std::string> AskForFile() override;
    void ShowError(const std::string& text) override;
    int RunDialog(ExportFiles& files) override;
    [[nodiscard]] const CLanguageFile& Texts() const override { return m_texts; }
    // Whether an "Error" box was shown: the program then ends with a failure status.
    [[nodiscard]] bool Failed() const { return m_failed; }

private:
    bool m_failed = false;
    std::string m_programDirectory;
    ISettingsStore& m_store;
    CLanguageFile m_texts; // the boxes' and the file dialog's
};
