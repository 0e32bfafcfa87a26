#pragma once

#include "app/CLanguageFile.h"
#include "app/ExportDlgLogic.h"
#include "app/ExportFiles.h"
#include "export/ExportSettings.h"
#include "export/ISettingsStore.h"

#include <QDialog>
#include <QIcon>

#include <functional>
#include <map>

namespace exportdlg {
struct ControlSpec;
}

// The "DXF Export" options dialog. OK runs the export: the drawing replaces the input file, or
// for a file the user chose, goes beside it.
// Ends with CExportApp::RESULT_OK after an export, RESULT_CANCEL on Cancel or close.
class CExportDlg : public QDialog, private exportdlg::IDialogControls {
public:
    // Shows a message box; tests replace it to see the messages without a modal loop.
    using MessageBox = std::function<void(QWidget* parent, const QString& title, const QString& text)>;

    // Asks a yes-or-no question; tests replace it too.
    using Question = std::function<bool(QWidget* parent, const QString& title, const QString& text)>;

    CExportDlg(const std::string& programDirectory, ISettingsStore& store, MessageBox message = {});

    // The control with the given template id, or null.
    [[nodiscard]] QWidget* Control(int id) const;
    // Takes and checks every value in the validation order; on the first failure shows its
    // message, puts the focus on the control and returns false.
    bool TakeValues();
    void PushValues();
    void RunExport();
    // The two files of the run, noted as they are now so that a later change is noticed.
    void SetFiles(const std::string& tempPath, const std::string& inputPath);
    // The files of start-up, which learns from them whether the input needs its copy kept.
    void SetFiles(ExportFiles& files);

    void SetQuestion(Question ask) { m_ask = std::move(ask); }

    void reject() override;

    CLanguageFile m_language;
    QIcon m_hIcon;
    ExportSettings m_settings;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    QWidget* MakeControl(const exportdlg::ControlSpec& spec);
    // The controls as the shared value logic sees them.
    [[nodiscard]] bool Checked(int id) const override;
    void SetChecked(int id, bool on) override;
    [[nodiscard]] std::string Text(int id, settingschema::Kind kind) const override;
    void SetText(int id, settingschema::Kind kind, const std::string& text) override;
    [[nodiscard]] int Selection(int id) const override;
    void SetSelection(int id, int index) override;
    void Refuse(int id, const std::string& message) override;
    void ApplyTexts();
    void FillColourLists();
    [[nodiscard]] QRect Units(int x, int y, int width, int height) const;

    ISettingsStore& m_store;
    MessageBox m_message;
    Question m_ask;
    ExportFiles m_ownFiles;
    ExportFiles* m_files = &m_ownFiles;
    std::map<int, QWidget*> m_controls;
    int m_baseX = 6;
    int m_baseY = 13;
    bool m_validating = false;
    bool m_exporting = false; // OK is at work: another OK waits, Cancel only gives up a wait
    bool m_gaveUp = false;    // Cancel was pressed while another program's lock was waited for
};
