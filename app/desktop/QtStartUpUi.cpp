#include "app/desktop/QtStartUpUi.h"

#include "app/desktop/CExportDlg.h"

#include <QFileDialog>
#include <QMessageBox>

std::optional<std::string> QtStartUpUi::AskForFile() {
    // The open form: a picked file is only read (its drawing goes beside it), so it must exist.
    QFileDialog dialog(nullptr);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QString::fromLatin1(kFrtFilesFilter), QString::fromLatin1(kAllFilesFilter)});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toLocal8Bit().toStdString();
}

void QtStartUpUi::ShowError(const std::string& text) {
    m_failed = true;
    QMessageBox box(QMessageBox::Information, QStringLiteral("Error"), QString::fromLocal8Bit(text.c_str()));
    box.setTextFormat(Qt::PlainText); // a path with "<" in it is no markup
    box.exec();
}

int QtStartUpUi::RunDialog(ExportFiles& files) {
    CExportDlg dialog(m_programDirectory, m_store);
    dialog.SetFiles(files);
    return dialog.exec();
}
