// frt2dxf: the desktop converter. Started with the path of an FRT file, it shows the
// "DXF Export" dialog and writes the drawing over that file; on Cancel the file is deleted.
#include "app/CExportApp.h"
#include "app/desktop/QtSettingsStore.h"
#include "app/desktop/QtStartUpUi.h"
#include "common/PendingFiles.h"

#include <QApplication>

#include <clocale>
#include <string>

int main(int argc, char** argv) {
    pendingfiles::RemoveOnInterrupt();
    QApplication application(argc, argv);
    // Numbers in files are read and written with C-locale rules whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    std::string tail;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            tail += ' ';
        tail += argv[i];
    }
    QtSettingsStore store;
    QtStartUpUi ui(QCoreApplication::applicationDirPath().toLocal8Bit().toStdString(), store);
    CExportApp::StartUp(tail, ui);
    return 0;
}
