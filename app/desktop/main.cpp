// frt2dxf: the desktop converter. Started with the path of an FRT file, it shows the
// "DXF Export" dialog and writes the drawing over that file; on Cancel the file is deleted.
#include "app/CExportApp.h"
#include "app/desktop/QtStartUpUi.h"
#include "common/FileSystem.h"
#include "common/PendingFiles.h"
#include "export/IniSettingsStore.h"

#include <QApplication>
#include <QStringList>
#include <QTranslator>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

// What Qt says while it looks for a display: kept back, and given only when it found one.
QStringList g_heldBack;

// Qt ends the program (abort, status 134) when no display answers, with advice to reinstall;
// this says what is missing and what converts without one, and ends with status 2 instead.
void NoDisplayHandler(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message) {
    if (type != QtFatalMsg) {
        g_heldBack << message;
        return;
    }
    // Qt's own reason ("could not connect to display :0"), not its advice to reinstall.
    const QString reason =
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
            ? QStringLiteral("DISPLAY is not set")
        : g_heldBack.isEmpty() ? message.section(QLatin1Char('\n'), 0, 0)
                               : g_heldBack.first();
    std::fprintf(stderr,
                 "frt2dxf: no display was found to show the dialog on (%s); nothing was changed\n"
                 "frt2dxf-batch converts without one: frt2dxf-batch FILE (frt2dxf-batch --help)\n",
                 qPrintable(reason));
    std::fflush(stderr);
    std::_Exit(2);
}

} // namespace

int main(int argc, char** argv) {
    filesys::OpenClosedStandardStreams();
    // The system hands the arguments over already split; a double quote in one is part of the
    // file's name.
    const CExportApp::Launch launch = CExportApp::LaunchFor({argv + std::min(argc, 1), argv + argc});
    // Answered before Qt looks for a display: also over SSH, with none.
    if (launch.kind == CExportApp::Launch::Kind::Info) {
        std::fputs(launch.text.c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (launch.kind == CExportApp::Launch::Kind::UsageError) {
        std::fputs(launch.text.c_str(), stderr);
        return 2;
    }
    pendingfiles::RemoveOnInterrupt();
    const QtMessageHandler previous = qInstallMessageHandler(&NoDisplayHandler);
    QApplication application(argc, argv);
    qInstallMessageHandler(previous);
    for (const QString& message : std::as_const(g_heldBack))
        std::fprintf(stderr, "%s\n", qPrintable(message));
    // Numbers in files are read and written with C-locale rules whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    // The batch converter's --from-settings reads the same file.
    IniSettingsStore store(IniSettingsStore::UserPath());
    if (store.Refused())
        std::fprintf(stderr, "frt2dxf: %s: %s; using the defaults\n", IniSettingsStore::UserPath().c_str(),
                     store.Problem().c_str());
    const std::string programDirectory = QCoreApplication::applicationDirPath().toLocal8Bit().toStdString();
    const std::unique_ptr<QTranslator> qtTexts = QtStartUpUi::TranslateQt(programDirectory);
    QtStartUpUi ui(programDirectory, store);
    CExportApp::Run(launch, ui);
    // The host reads only what is left at the path; a person or a script reads the status.
    return ui.Failed() ? 1 : 0;
}
