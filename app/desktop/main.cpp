// frt2dxf: the desktop converter. Started with the path of an FRT file, it shows the
// "DXF Export" dialog and writes the drawing over that file; on Cancel the file is deleted.
#include "app/CExportApp.h"
#include "app/desktop/QtStartUpUi.h"
#include "common/FileSystem.h"
#include "common/PendingFiles.h"
#include "export/IniSettingsStore.h"

#include <QApplication>

#include <clocale>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    filesys::OpenClosedStandardStreams();
    // Answered before Qt looks for a display: also over SSH, with none.
    if (argc == 2)
        if (const std::optional<std::string> info = CExportApp::InfoFor(argv[1])) {
            std::fputs(info->c_str(), stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    pendingfiles::RemoveOnInterrupt();
    QApplication application(argc, argv);
    // Numbers in files are read and written with C-locale rules whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    // The system hands the arguments over already split; a double quote in one is part of the
    // file's name.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // The batch converter's --from-settings reads the same file.
    IniSettingsStore store(IniSettingsStore::UserPath());
    if (store.Refused())
        std::fprintf(stderr, "frt2dxf: %s: %s; using the defaults\n", IniSettingsStore::UserPath().c_str(),
                     store.Problem().c_str());
    QtStartUpUi ui(QCoreApplication::applicationDirPath().toLocal8Bit().toStdString(), store);
    if (arguments.size() == 2 && arguments[0] == "--open")
        CExportApp::OpenChosen(arguments[1], ui);
    else
        CExportApp::StartUp(CExportApp::JoinArguments(arguments), ui);
    // The host reads only what is left at the path; a person or a script reads the status.
    return ui.Failed() ? 1 : 0;
}
