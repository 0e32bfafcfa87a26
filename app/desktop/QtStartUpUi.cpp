#include "app/desktop/QtStartUpUi.h"

#include "app/ExportDlgLogic.h"
#include "app/desktop/CExportDlg.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>

std::optional<std::string> QtStartUpUi::AskForFile() {
    // The open form: a picked file is only read (its drawing goes beside it), so it must exist.
    const exportdlg::FileDialogTexts texts = exportdlg::FileDialogTextsOf(m_texts);
    QFileDialog dialog(nullptr, QString::fromUtf8(texts.title.c_str()));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(
        {QString::fromUtf8(texts.frtFiles.c_str()) + QLatin1Char(' ') + QLatin1String(kFrtFilesPattern),
         QString::fromUtf8(texts.allFiles.c_str()) + QLatin1Char(' ') + QLatin1String(kAllFilesPattern)});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toLocal8Bit().toStdString();
}

void QtStartUpUi::ShowError(const std::string& text) {
    m_failed = true;
    QMessageBox box(QMessageBox::Information, QString::fromUtf8(exportdlg::ErrorCaption(m_texts).c_str()),
                    QString::fromLocal8Bit(text.c_str()));
    box.setTextFormat(Qt::PlainText); // a path with "<" in it is no markup
    box.exec();
}

int QtStartUpUi::RunDialog(ExportFiles& files) {
    CExportDlg dialog(m_programDirectory, m_store);
    dialog.SetFiles(files);
    return dialog.exec();
}

std::unique_ptr<QTranslator> QtStartUpUi::TranslateQt(const std::string& programDirectory) {
    const std::string language =
        CLanguageFile(programDirectory).GetText("LANGUAGE", CLanguageFile::UserLanguage());
    auto translator = std::make_unique<QTranslator>();
    if (language.empty() || !translator->load(QStringLiteral("qtbase_") + QString::fromStdString(language),
                                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator;
}
