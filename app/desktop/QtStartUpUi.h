#pragma once

#include "app/CExportApp.h"
#include "app/CLanguageFile.h"
#include "export/ISettingsStore.h"

#include <QTranslator>

#include <memory>
#include <string>

// Start-up's file dialog, "Error" box and options dialog, in Qt widgets.
class QtStartUpUi : public IStartUpUi {
public:
    QtStartUpUi(std::string programDirectory, ISettingsStore& store)
        : m_programDirectory(std::move(programDirectory)), m_store(store), m_texts(m_programDirectory) {}

    std::optional<std::string> AskForFile() override;
    void ShowError(const std::string& text) override;
    int RunDialog(ExportFiles& files) override;
    [[nodiscard]] const CLanguageFile& Texts() const override { return m_texts; }
    // Qt's own texts (Yes, No, the file dialog's) in the language of the dialog's texts: the
    // translation installed, or none where Qt has none for it.
    static std::unique_ptr<QTranslator> TranslateQt(const std::string& programDirectory);
    // Whether an "Error" box was shown: the program then ends with a failure status.
    [[nodiscard]] bool Failed() const { return m_failed; }

    // The file dialog's one filter. Windows' "*.*" matches every file; here it would hide the
    // names without a dot, so the pattern is "*".
    static constexpr const char* kAllFilesPattern = "(*)";
    static constexpr const char* kFrtFilesPattern = "(*.frt *.FRT)";

private:
    bool m_failed = false;
    std::string m_programDirectory;
    ISettingsStore& m_store;
    CLanguageFile m_texts; // the boxes' and the file dialog's
};
