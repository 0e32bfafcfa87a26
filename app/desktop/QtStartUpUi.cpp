#include "app/desktop/QtStartUpUi.h"

#include "app/desktop/CExportDlg.h"

#include <QFileDialog>
#include <QMessageBox>

std::optional<std::string> QtStartUpUi::AskForFile() {
    // The save form, with no overwrite prompt: the chosen file is both read and replaced.
    QFileDialog dialog(nullptr);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilter(QString::fromLatin1(kAllFilesFilter));
    dialog.setDefaultSuffix(QStringLiteral("All"));
    dialog.selectFile(QStringLiteral("*.*"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toLocal8Bit().toStdString();
}

void QtStartUpUi::ShowError(const std::string& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Error"), QString::fromLocal8Bit(text.c_str()));
    box.setTextFormat(Qt::PlainText); // a path with "<" in it is no markup
    box.exec();
}

int QtStartUpUi::RunDialog(ExportFiles& files) {
    CExportDlg dialog(m_programDirectory, m_store);
    dialog.SetFiles(files);
    return dialog.exec();
}
