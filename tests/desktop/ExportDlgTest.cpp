// The "DXF Export" dialog with real widgets on the offscreen platform. Every test keeps its
// settings store and files in a temporary directory, never the user's own.
#include "app/CExportApp.h"
#include "app/desktop/CExportDlg.h"
#include "app/desktop/QtStartUpUi.h"
#include "export/IniSettingsStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

struct Message {
    QString title;
    QString text;
};

std::string Slurp(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Spit(const QString& path, const std::string& content) {
    std::ofstream(path.toStdString(), std::ios::binary) << content;
}

// Limits the size of files this process writes while it exists; SIGXFSZ is ignored so that
// the write fails instead, as the program itself arranges.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

const char* const kFrt =
    "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\nPID=1;E=10;N=20;HO=3;GROUP=TREE\r\n";

} // namespace

class ExportDlgTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::vector<Message> m_messages;

    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    std::unique_ptr<IniSettingsStore> Store() {
        return std::make_unique<IniSettingsStore>(Path("settings.ini").toStdString());
    }
    std::unique_ptr<CExportDlg> Dialog(ISettingsStore& store, const QString& languageDir = QString()) {
        auto dialog =
            std::make_unique<CExportDlg>((languageDir.isEmpty() ? Path("nolang") : languageDir).toStdString(),
                                         store, [this](QWidget*, const QString& title, const QString& text) {
                                             m_messages.push_back({title, text});
                                         });
        dialog->SetFiles(Path("copy.tmp").toStdString(), Path("site.frt").toStdString());
        return dialog;
    }
    template <typename T> static T* Get(CExportDlg& dialog, int id) {
        T* control = qobject_cast<T*>(dialog.Control(id));
        if (control == nullptr)
            qFatal("control %d missing", id);
        return control;
    }
    static void Show(CExportDlg& dialog) {
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }

private slots: // NOLINT(readability-redundant-access-specifiers): moc reads it
    void init() {
        m_messages.clear();
        QFile::remove(Path("settings.ini"));
        Spit(Path("copy.tmp"), kFrt);
        Spit(Path("site.frt"), kFrt);
    }

    void firstRunShowsTheDefaults() {
        auto store = Store();
        auto dialog = Dialog(*store);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("DXF Export - site.frt"));
        for (const int id : {1000, 1002, 1003, 1001, 1012})
            QVERIFY(Get<QCheckBox>(*dialog, id)->isChecked());
        for (const int id : {1014, 1015, 1016, 1017})
            QVERIFY(!Get<QCheckBox>(*dialog, id)->isChecked());
        QVERIFY(Get<QRadioButton>(*dialog, 1010)->isChecked());
        QVERIFY(Get<QRadioButton>(*dialog, 1013)->isChecked());
        QCOMPARE(Get<QLineEdit>(*dialog, 1018)->text(), QStringLiteral("PointID"));
        QCOMPARE(Get<QLineEdit>(*dialog, 1021)->text(), QStringLiteral("Code"));
        QCOMPARE(Get<QComboBox>(*dialog, 1024)->currentText(), QStringLiteral("Yellow"));
        QCOMPARE(Get<QComboBox>(*dialog, 1026)->currentText(), QStringLiteral("Blue"));
        QCOMPARE(Get<QComboBox>(*dialog, 1022)->count(), 7);
        QCOMPARE(Get<QLineEdit>(*dialog, 1027)->text(), QStringLiteral("3"));
        QCOMPARE(Get<QLineEdit>(*dialog, 1033)->text(), QStringLiteral("100"));
        QCOMPARE(Get<QGroupBox>(*dialog, 1008)->title(), QStringLiteral("Labels"));
        QVERIFY(dialog->Control(1038) != nullptr);
    }

    void languageFileReplacesTexts() {
        Spit(Path("VUZ_Ezavurudi.lng"), "WND_CAPTION=DXF-Export\nPOINTS=Punkte\nLINES=\nLABELS=Beschriftung\n"
                                        "YELLOW=Gelb\nPOINT_ID_NAME=Punktnummer\n");
        auto store = Store();
        auto dialog = Dialog(*store, m_dir.path());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("DXF-Export - site.frt"));
        QCOMPARE(Get<QCheckBox>(*dialog, 1000)->text(), QStringLiteral("Punkte"));
        // An empty text keeps the template's.
        QCOMPARE(Get<QCheckBox>(*dialog, 1002)->text(), QStringLiteral("Lines"));
        QCOMPARE(Get<QGroupBox>(*dialog, 1008)->title(), QStringLiteral("Beschriftung"));
        QCOMPARE(Get<QComboBox>(*dialog, 1024)->currentText(), QStringLiteral("Gelb"));
        QCOMPARE(Get<QLineEdit>(*dialog, 1018)->text(), QStringLiteral("Punktnummer"));

        // The same texts in Windows-1252 and in UTF-8 (as the German file ships) look alike.
        for (const char* areas : {"AREAS=Fl\xe4"
                                  "chen\nH_NAME=H\xf6he\n",
                                  "AREAS=Fl\xc3\xa4"
                                  "chen\nH_NAME=H\xc3\xb6he\n"}) {
            Spit(Path("VUZ_Ezavurudi.lng"), areas);
            auto again = Dialog(*store, m_dir.path());
            QCOMPARE(Get<QCheckBox>(*again, 1003)->text(), QString::fromUtf8("Fl\xc3\xa4"
                                                                             "chen"));
            QCOMPARE(Get<QLineEdit>(*again, 1019)->text(), QString::fromUtf8("H\xc3\xb6he"));
        }
        QFile::remove(Path("VUZ_Ezavurudi.lng"));

        // Qt's own buttons follow the texts' language (Debian's Qt translations).
        Spit(Path("VUZ_Ezavurudi.lng"), "LANGUAGE=de\n");
        {
            const std::unique_ptr<QTranslator> german = QtStartUpUi::TranslateQt(m_dir.path().toStdString());
            QVERIFY2(german != nullptr, "no qtbase_de translation");
            QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));
        }
        QFile::remove(Path("VUZ_Ezavurudi.lng"));
    }

    void tooLongLayerNameFocusesItsOwnEdit() {
        auto store = Store();
        store->WriteText("Dxf_Export", "NameEastNorth", std::string(33, 'E'));
        auto dialog = Dialog(*store);
        Show(*dialog);
        // A stored name is shown unchanged.
        QCOMPARE(Get<QLineEdit>(*dialog, 1020)->text().size(), 33);
        QVERIFY(!dialog->TakeValues());
        QCOMPARE(m_messages.size(), std::size_t{1});
        QVERIFY(m_messages[0].text.contains(QStringLiteral("32")));
        QCOMPARE(QApplication::focusWidget(), dialog->Control(1020));
        // Typing is limited to 32 once the name fits.
        auto* code = Get<QLineEdit>(*dialog, 1021);
        code->clear();
        QTest::keyClicks(code, QString(40, 'x'));
        QCOMPARE(code->text().size(), 32);
    }

    void numbersAreCheckedWhenTheirEditIsLeft() {
        auto store = Store();
        auto dialog = Dialog(*store);
        Show(*dialog);
        auto* size = Get<QLineEdit>(*dialog, 1033);
        size->setFocus();
        size->setText(QStringLiteral("0"));
        Get<QLineEdit>(*dialog, 1018)->setFocus(Qt::TabFocusReason);
        QCOMPARE(m_messages.size(), std::size_t{1});
        QVERIFY(m_messages[0].text.contains(QStringLiteral("999999")));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(size));

        size->setText(QStringLiteral("2.5"));
        auto* decimals = Get<QLineEdit>(*dialog, 1027);
        decimals->clear();
        QTest::keyClicks(decimals, QStringLiteral("1a7"));
        QCOMPARE(decimals->text(), QStringLiteral("17")); // digits only
        m_messages.clear();
        QVERIFY(!dialog->TakeValues());
        QCOMPARE(m_messages.size(), std::size_t{1});
        QVERIFY(m_messages[0].text.contains(QStringLiteral("16")));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(decimals));
        decimals->setText(QStringLiteral("4"));
        QVERIFY(dialog->TakeValues());
        QCOMPARE(dialog->m_settings.m_fSymbolSize, 2.5F);
        QCOMPARE(dialog->m_settings.m_nDecimalsEN, 4);
    }

    void okWritesTheDrawingOverTheInputAndStoresTheSettings() {
        auto store = Store();
        auto dialog = Dialog(*store);
        Show(*dialog);
        Get<QCheckBox>(*dialog, 1014)->setChecked(true);
        Get<QLineEdit>(*dialog, 1018)->setText(QStringLiteral("Point ID"));
        QTest::mouseClick(Get<QPushButton>(*dialog, 1), Qt::LeftButton);
        QCOMPARE(dialog->result(), CExportApp::RESULT_OK);
        QVERIFY(m_messages.empty());
        const std::string dxf = Slurp(Path("site.frt"));
        QVERIFY(dxf.rfind("  0\r\nSECTION\r\n", 0) == 0);
        QVERIFY(dxf.find("  8\r\nPoint_ID\r\n") != std::string::npos);
        QVERIFY(dxf.find("INSERT\r\n  2\r\nEstimated\r\n  8\r\nTREE\r\n") != std::string::npos);
        // OK kept the choices; a text with a comma and a non-ASCII letter goes in as well.
        store->WriteText("Dxf_Export", "NameHeight", "H\xc3\xb6he, 2");
        QVERIFY(store->Flush());
        // Qt reads the file as its own (older versions wrote it through QSettings) ...
        QSettings stored(Path("settings.ini"), QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("Dxf_Export/SymbolSize")).toString(),
                 QStringLiteral("100.000000"));
        QCOMPARE(stored.value(QStringLiteral("Dxf_Export/LabelPoint")).toInt(), 1);
        QCOMPARE(stored.value(QStringLiteral("Dxf_Export/NamePointId")).toString(),
                 QStringLiteral("Point ID"));
        QCOMPARE(stored.value(QStringLiteral("Dxf_Export/NameHeight")).toString(),
                 QString::fromUtf8("H\xc3\xb6he, 2"));
        // ... and so does the batch converter's --from-settings.
        IniSettingsStore plain(Path("settings.ini").toStdString());
        QCOMPARE(plain.ReadText("Dxf_Export", "NamePointId", ""), std::string("Point ID"));
        QCOMPARE(plain.ReadText("Dxf_Export", "NameHeight", ""), std::string("H\xc3\xb6he, 2"));
        QCOMPARE(plain.ReadText("Dxf_Export", "SymbolSize", ""), std::string("100.000000"));
        QCOMPARE(plain.ReadInt("Dxf_Export", "LabelPoint", 0), 1);
    }

    void anUnwritableOutputKeepsTheInputAndTheDialogOpen() {
        auto store = Store();
        auto dialog = Dialog(*store);
        QDir(m_dir.path()).mkdir(QStringLiteral("taken"));
        dialog->SetFiles(Path("copy.tmp").toStdString(),
                         Path("taken").toStdString()); // a directory: cannot be replaced
        Show(*dialog);
        QTest::mouseClick(Get<QPushButton>(*dialog, 1), Qt::LeftButton);
        QCOMPARE(m_messages.size(), std::size_t{1});
        QCOMPARE(m_messages[0].title, QStringLiteral("Error"));
        QVERIFY(m_messages[0].text.endsWith(
            QString::fromLocal8Bit(std::strerror(EISDIR)))); // in the user's language
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->result(), 0);
        QVERIFY(QFileInfo(Path("taken")).isDir());

        // A full disk (a file-size limit here): told why, and the input keeps its content.
        m_messages.clear();
        dialog->SetFiles(Path("copy.tmp").toStdString(), Path("site.frt").toStdString());
        {
            const FileSizeLimit limit(1024);
            QTest::mouseClick(Get<QPushButton>(*dialog, 1), Qt::LeftButton);
        }
        QCOMPARE(m_messages.size(), std::size_t{1});
        QCOMPARE(m_messages[0].title, QStringLiteral("Error"));
        QCOMPARE(m_messages[0].text,
                 Path("site.frt") + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(EFBIG)));
        QVERIFY(dialog->isVisible());
        QCOMPARE(Slurp(Path("site.frt")), std::string(kFrt));
        QCOMPARE(QDir(m_dir.path())
                     .entryList(QStringList{QStringLiteral(".site.frt*")}, QDir::Hidden | QDir::Files),
                 QStringList());

        QVERIFY(dialog->findChild<QProgressBar*>() == nullptr ||
                !dialog->findChild<QProgressBar*>()->isVisible());

        // The copy vanished since start-up (a cleaner of temporary files): it is taken again.
        m_messages.clear();
        dialog->SetFiles(Path("copy.tmp").toStdString(), Path("site.frt").toStdString());
        QFile::remove(Path("copy.tmp"));
        QTest::mouseClick(Get<QPushButton>(*dialog, 1), Qt::LeftButton);
        QVERIFY(m_messages.empty());
        QCOMPARE(dialog->result(), CExportApp::RESULT_OK);
        QCOMPARE(Slurp(Path("site.frt")).substr(0, 5), std::string("  0\r\n"));
    }

    // Values the drawing could not take as they stand are said before the dialog closes, the
    // first ten of them; all of them are listed beside the drawing when there are more.
    void findingsAreSaidBeforeTheDialogCloses() {
        auto store = Store();
        const std::string header = "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n";
        for (const int extra : {0, 9}) {
            std::string survey =
                header + "PID=1;E=5001x0.500;N=20;HO=3\r\nPID=2;E=10,5;N=20,25;HO=3\r\nPID=3;N=20;HO=3\r\n";
            for (int i = 0; i < extra; ++i)
                survey +=
                    "PID=" + std::to_string(4 + i) + ";E=1;N=2;HO=\x01" + std::string(100, 'x') + "\r\n";
            Spit(Path("copy.tmp"), survey);
            Spit(Path("site.frt"), survey);
            m_messages.clear();
            auto dialog = Dialog(*store);
            Show(*dialog);
            QTest::mouseClick(Get<QPushButton>(*dialog, 1), Qt::LeftButton);
            QCOMPARE(dialog->result(), CExportApp::RESULT_OK);
            QCOMPARE(m_messages.size(), std::size_t{1});
            const QStringList lines = m_messages[0].text.split(QLatin1Char('\n'));
            QVERIFY(lines[0].contains(QString::number(4 + extra) + QStringLiteral(" values")));
            QCOMPARE(lines[1], QStringLiteral("line 4: E=5001x0.500: not a number; 5001 used"));
            QCOMPARE(lines[4], QStringLiteral("line 6: E: missing; 0 used"));
            const QString list = Path("site.findings.txt");
            QCOMPARE(QFileInfo::exists(list), extra > 0);
            if (extra > 0) {
                QCOMPARE(lines.size(), 1 + 10 + 2);
                QVERIFY(lines[5].startsWith(QStringLiteral("line 7: HO=?xxx")) &&
                        lines[5].contains(QStringLiteral("x...: ")));
                QCOMPARE(lines.back(),
                         QStringLiteral("All of them are listed in ") + list + QStringLiteral("."));
                const std::string all = Slurp(list);
                QCOMPARE(std::count(all.begin(), all.end(), '\n'), 13L);
                QVERIFY(all.rfind("site.frt:4: E=5001x0.500: not a number; 5001 used\n", 0) == 0);
            }
        }
    }

    // Another program holds the lock of the input, which is written in place (it has a second
    // link): the dialog says it waits, stays alive, and Cancel gives up the wait, not the dialog.
    void cancelGivesUpTheWaitForAnotherWriter() {
        auto store = Store();
        auto dialog = Dialog(*store);
        Show(*dialog);
        QVERIFY(::link(Path("site.frt").toLocal8Bit().constData(),
                       Path("second.frt").toLocal8Bit().constData()) == 0);
        const int held = ::open(Path("site.frt").toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(held >= 0);
        QVERIFY(::flock(held, LOCK_EX) == 0);
        QString titleWhileWaiting;
        QTimer::singleShot(1500, dialog.get(), [&] {
            titleWhileWaiting = dialog->windowTitle();
            dialog->reject(); // Cancel
        });
        QTest::mouseClick(Get<QPushButton>(*dialog, 1), Qt::LeftButton);
        ::close(held);
        QVERIFY2(titleWhileWaiting.contains(QStringLiteral("waiting for another program writing site.frt")),
                 qPrintable(titleWhileWaiting));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("DXF Export - site.frt"));
        QCOMPARE(m_messages.size(), std::size_t{1});
        QVERIFY2(m_messages[0].text.contains(QStringLiteral("still writing")),
                 qPrintable(m_messages[0].text));
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->result(), 0);
        QCOMPARE(Slurp(Path("site.frt")), std::string(kFrt));
        QFile::remove(Path("second.frt"));
    }

    // Another program rewrote the input while the dialog was open: the drawing shows what is
    // there at OK, and content that is no longer FRT is refused until it is again.
    void anInputChangedSinceStartUpIsConvertedAsItIsNow() {
        auto store = Store();
        auto dialog = Dialog(*store);
        Show(*dialog);
        const auto rewrite = [this](const std::string& content, int seconds) {
            Spit(Path("site.frt"), content);
            QFile file(Path("site.frt"));
            file.open(QIODevice::ReadWrite);
            file.setFileTime(QDateTime::currentDateTime().addSecs(seconds),
                             QFileDevice::FileModificationTime);
        };
        rewrite("not FRT any more\r\n", 2);
        QTest::mouseClick(Get<QPushButton>(*dialog, 1), Qt::LeftButton);
        QCOMPARE(m_messages.size(), std::size_t{1});
        QCOMPARE(m_messages[0].title, QStringLiteral("Error"));
        QVERIFY(m_messages[0].text.contains(QStringLiteral("no longer an FRT file")));
        QVERIFY(dialog->isVisible());
        QCOMPARE(Slurp(Path("site.frt")), std::string("not FRT any more\r\n"));

        m_messages.clear();
        rewrite(std::string(kFrt) + "PID=2;E=1;N=2;HO=0\r\n", 4);
        QTest::mouseClick(Get<QPushButton>(*dialog, 1), Qt::LeftButton);
        QVERIFY(m_messages.empty());
        QCOMPARE(dialog->result(), CExportApp::RESULT_OK);
        const std::string dxf = Slurp(Path("site.frt"));
        QVERIFY(dxf.find(" 10\r\n1.000000\r\n 20\r\n2.000000\r\n") != std::string::npos);
    }

    // "*.*" lists every file on Windows but only names with a dot here.
    void theFileDialogFilterListsFilesWithoutADot() {
        const QString filter = QString::fromLatin1(QtStartUpUi::kAllFilesPattern);
        const QStringList patterns =
            filter.section(QLatin1Char('('), 1).section(QLatin1Char(')'), 0, 0).split(QLatin1Char(' '));
        QVERIFY(QDir::match(patterns, QStringLiteral("README")));
        QVERIFY(QDir::match(patterns, QStringLiteral("site.frt")));
    }

    // Texts are shown as written, and the layer-name limit counts bytes as the batch tool does.
    void textsAreLiteralAndLayerNamesAreLimitedInBytes() {
        Spit(Path("VUZ_Ezavurudi.lng"), "LAYER_NAME=<b>Layer</b>\r\n");
        auto store = Store();
        auto dialog = Dialog(*store, m_dir.path());
        QFile::remove(Path("VUZ_Ezavurudi.lng"));
        auto* label = Get<QLabel>(*dialog, 1030);
        QCOMPARE(label->text(), QStringLiteral("<b>Layer</b>"));
        QCOMPARE(label->textFormat(), Qt::PlainText);

        Show(*dialog);
        auto* code = Get<QLineEdit>(*dialog, 1021);
        code->clear();
        code->setFocus();
        for (int i = 0; i < 20; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(0xe9)));
            QApplication::sendEvent(code, &press);
        }
        QCOMPARE(code->text(), QString(16, QChar(0xe9))); // 32 bytes
        code->setText(QString(17, QChar(0xe9)));          // as a stored name would come
        QVERIFY(!dialog->TakeValues());
        QVERIFY(!m_messages.empty());
        QVERIFY(m_messages.back().text.contains(QStringLiteral("32")));
    }

    void colourOutsideTheListAndLayerPerCodeAtTheNextStart() {
        {
            auto store = Store();
            store->WriteInt("Dxf_Export", "ColorH", 9);
            store->WriteInt("Dxf_Export", "LabelAreas", 1);
            auto dialog = Dialog(*store);
            QCOMPARE(Get<QComboBox>(*dialog, 1025)->currentIndex(), -1);
            Get<QCheckBox>(*dialog, 1012)->setChecked(false);
            Show(*dialog);
            QTest::mouseClick(Get<QPushButton>(*dialog, 1), Qt::LeftButton);
            QCOMPARE(dialog->result(), CExportApp::RESULT_OK);
            QCOMPARE(store->ReadInt("Dxf_Export", "ColorH", 0), -1);
            // The height label has colour 0 and, without layers per code, the point is on layer 0.
            const std::string dxf = Slurp(Path("site.frt"));
            QVERIFY(dxf.find("  8\r\nHeight\r\n 62\r\n0\r\n") != std::string::npos);
            QVERIFY(dxf.find("  8\r\nTREE\r\n") == std::string::npos);
        }
        auto store = Store();
        auto again = Dialog(*store);
        QVERIFY(Get<QCheckBox>(*again, 1012)->isChecked());
        QVERIFY(Get<QCheckBox>(*again, 1016)->isChecked());
    }

    // Started on its own, the program writes beside the chosen file and asks before replacing a
    // drawing there, in a real question box whose default answer is No.
    void standaloneAsksBeforeReplacingAndNeverTouchesTheChosenFile() {
        auto store = Store();
        auto dialog = Dialog(*store);
        Spit(Path("site.dxf"), "old drawing");
        ExportFiles files(Path("copy.tmp").toStdString(), Path("site.frt").toStdString(),
                          ExportFiles::OutputBeside(Path("site.frt").toStdString()));
        dialog->SetFiles(files);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("DXF Export - site.frt -> site.dxf"));
        Show(*dialog);

        // The box is answered from the event loop it runs; what it showed is checked afterwards.
        QString asked;
        bool defaultIsNo = false;
        const auto answer = [&asked, &defaultIsNo](bool yes) {
            QTimer::singleShot(0, [&asked, &defaultIsNo, yes] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box == nullptr)
                    return;
                asked = box->text();
                defaultIsNo = box->defaultButton() == box->button(QMessageBox::No);
                if (yes)
                    box->button(QMessageBox::Yes)->click();
                else
                    QTest::keyClick(box, Qt::Key_Return);
            });
        };
        answer(false);
        QTest::mouseClick(Get<QPushButton>(*dialog, 1), Qt::LeftButton);
        QCOMPARE(asked, Path("site.dxf") + QStringLiteral(" already exists. Do you want to replace it?"));
        QVERIFY(defaultIsNo);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->result(), 0);
        QCOMPARE(Slurp(Path("site.dxf")), std::string("old drawing"));

        asked.clear();
        answer(true);
        QTest::mouseClick(Get<QPushButton>(*dialog, 1), Qt::LeftButton);
        QVERIFY(!asked.isEmpty());
        QCOMPARE(dialog->result(), CExportApp::RESULT_OK);
        QVERIFY(Slurp(Path("site.dxf")).rfind("  0\r\nSECTION\r\n", 0) == 0);
        QCOMPARE(Slurp(Path("site.frt")), std::string(kFrt));
        QCOMPARE(m_messages.size(), std::size_t{1}); // where the drawing went
        QCOMPARE(m_messages[0].text,
                 QStringLiteral("The drawing was written to ") + Path("site.dxf") + QStringLiteral("."));

        // A folder of the drawing's name is refused before anything is asked.
        m_messages.clear();
        QFile::remove(Path("site.dxf"));
        QDir(m_dir.path()).mkdir(QStringLiteral("site.dxf"));
        asked.clear();
        answer(true);
        QTest::mouseClick(Get<QPushButton>(*dialog, 1), Qt::LeftButton);
        QVERIFY(asked.isEmpty());
        QCOMPARE(m_messages.size(), std::size_t{1});
        QCOMPARE(m_messages[0].text, Path("site.dxf") + QStringLiteral(": ") +
                                         QString::fromLocal8Bit(std::strerror(EISDIR)) +
                                         QStringLiteral("; nothing was written"));
        QVERIFY(QFileInfo(Path("site.dxf")).isDir());
    }

    // As on Windows: each frame's top line runs through its title, and the label columns'
    // headings sit inside the "Labels" frame, below that line.
    void groupTitlesSitOnTheirFrameLines() {
        auto store = Store();
        auto dialog = Dialog(*store);
        Show(*dialog);
        const auto frameAndTitle = [](QGroupBox* box) {
            QStyleOptionGroupBox option;
            option.initFrom(box);
            option.text = box->title();
            option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
            option.lineWidth = 1;
            const QStyle* style = box->style();
            return std::pair{
                style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, box),
                style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box)};
        };
        for (const int id : {1004, 1005, 1006, 1007, 1008, 1036, 1037}) {
            const auto [frame, title] = frameAndTitle(Get<QGroupBox>(*dialog, id));
            QVERIFY2(frame.top() > title.top() && frame.top() < title.bottom(),
                     qPrintable(QStringLiteral("group %1: frame at %2, title %3 to %4")
                                    .arg(id)
                                    .arg(frame.top())
                                    .arg(title.top())
                                    .arg(title.bottom())));
        }
        auto* labels = Get<QGroupBox>(*dialog, 1008);
        const int line = labels->y() + frameAndTitle(labels).first.top();
        for (const int id : {1030, 1031, 1032})
            QVERIFY2(dialog->Control(id)->y() > line, qPrintable(QString::number(id)));
    }

    void cancelStoresNothing() {
        auto store = Store();
        auto dialog = Dialog(*store);
        Show(*dialog);
        Get<QCheckBox>(*dialog, 1000)->setChecked(false);
        QTest::mouseClick(Get<QPushButton>(*dialog, 2), Qt::LeftButton);
        QCOMPARE(dialog->result(), CExportApp::RESULT_CANCEL);
        QVERIFY(!QFile::exists(Path("settings.ini")));
        QCOMPARE(Slurp(Path("site.frt")), std::string(kFrt));
    }
};

QTEST_MAIN(ExportDlgTest)
#include "ExportDlgTest.moc"
