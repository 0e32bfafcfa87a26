#include "app/CExportApp.h"
#include "app/CLanguageFile.h"
#include "app/ExportDlgLogic.h"
#include "tests/export/MemoryStore.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace {

// Plays the user: answers the file dialog, records errors, and "runs" the dialog by looking at
// the temporary copy and returning the chosen result.
class FakeUi : public IStartUpUi {
public:
    std::optional<std::string> AskForFile() override { return asked++ == 0 ? chosen : picksAfter; }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    [[nodiscard]] const CLanguageFile& Texts() const override { return CLanguageFile::English(); }
    int RunDialog(ExportFiles& files) override {
        ++dialogs;
        temp = files.TempPath();
        input = files.InputPath();
        tempContent = ReadFile(temp);
        struct stat info {};
        stat(temp.c_str(), &info);
        tempMode = info.st_mode & 0777;
        if (whileOpen)
            whileOpen(files);
        return result;
    }

    std::optional<std::string> chosen;
    std::optional<std::string> picksAfter;       // what the file dialog gives when it asks again
    std::function<void(ExportFiles&)> whileOpen; // what the user does in the dialog
    int result = CExportApp::RESULT_OK;
    int asked = 0;
    int dialogs = 0;
    std::vector<std::string> errors;
    std::string temp, input, tempContent;
    unsigned tempMode = 0;
};

const char* const kFrt = "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\nPID=1;E=1;N=2\r\n";

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* previous = std::getenv("TMPDIR");
        m_previous = previous != nullptr ? previous : "";
        setenv("TMPDIR", tmp.Path().c_str(), 1);
    }
    void TearDown() override {
        if (m_previous.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", m_previous.c_str(), 1);
    }
    [[nodiscard]] std::size_t TempFiles() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(tmp.Path()), fs::directory_iterator()));
    }

    TempDir tmp;   // the user's temporary directory for the test
    TempDir files; // where the input files live

private:
    std::string m_previous;
};

} // namespace

TEST_F(StartUpTest, OkRunsTheDialogOnAPrivateCopyAndRemovesOnlyThatCopy) {
    const std::string input = files.Write("site.frt", kFrt);
    FakeUi ui;
    EXPECT_FALSE(CExportApp::StartUp(CExportApp::InputPathOf("\"" + input + "\""), ui));
    ASSERT_EQ(ui.dialogs, 1);
    EXPECT_EQ(ui.input, input) << "quotes are removed";
    EXPECT_EQ(ui.tempContent, kFrt);
    EXPECT_EQ(ui.tempMode, 0600U) << "readable by the user alone";
    const std::string name = fs::path(ui.temp).filename().string();
    EXPECT_EQ(name.substr(0, 3), "frt");
    EXPECT_EQ(name.substr(name.size() - 4), ".tmp");
    EXPECT_EQ(fs::path(ui.temp).parent_path(), tmp.Path());
    EXPECT_EQ(TempFiles(), 0U);
    EXPECT_TRUE(fs::exists(input));
}

TEST_F(StartUpTest, CancelDeletesTheInputAndTheCopy) {
    const std::string input = files.Write("site.frt", kFrt);
    FakeUi ui;
    ui.result = CExportApp::RESULT_CANCEL;
    CExportApp::StartUp(input, ui);
    EXPECT_FALSE(fs::exists(input));
    EXPECT_EQ(TempFiles(), 0U);
    EXPECT_TRUE(ui.errors.empty());

    // What is put at the path while the dialog is open: a link goes, not what it points to; a
    // folder is no file of the host's and stays, and the user is told.
    const std::string important = files.Write("important.frt", kFrt);
    files.Write("site.frt", kFrt);
    ui.whileOpen = [&](ExportFiles&) {
        fs::remove(input);
        fs::create_symlink(important, input);
    };
    CExportApp::StartUp(input, ui);
    EXPECT_FALSE(fs::is_symlink(input));
    EXPECT_EQ(ReadFile(important), kFrt);
    EXPECT_TRUE(ui.errors.empty());
    files.Write("site.frt", kFrt);
    ui.whileOpen = [&](ExportFiles&) {
        fs::remove(input);
        fs::create_directory(input);
    };
    CExportApp::StartUp(input, ui);
    EXPECT_TRUE(fs::is_directory(input));
    ASSERT_EQ(ui.errors.size(), 1U);
    EXPECT_EQ(ui.errors[0].rfind(input + " could not be deleted: ", 0), 0U) << ui.errors[0];
}

// Deleting on Cancel is the contract with the host, which named the file; a file picked in the
// file dialog has no host behind it.
TEST_F(StartUpTest, CancelKeepsAFileChosenInTheFileDialog) {
    FakeUi ui;
    ui.chosen = files.Write("chosen.frt", kFrt);
    ui.result = CExportApp::RESULT_CANCEL;
    CExportApp::StartUp("", ui);
    ASSERT_EQ(ui.dialogs, 1);
    EXPECT_EQ(ReadFile(*ui.chosen), kFrt);
    EXPECT_EQ(TempFiles(), 0U);

    // "Open with" in a file manager hands the file over with --open: the user's pick as well.
    FakeUi opened;
    opened.result = CExportApp::RESULT_CANCEL;
    CExportApp::OpenChosen(*ui.chosen, opened);
    ASSERT_EQ(opened.dialogs, 1);
    EXPECT_EQ(opened.asked, 0);
    EXPECT_EQ(ReadFile(*ui.chosen), kFrt);
    std::string output;
    opened.whileOpen = [&output](ExportFiles& open) { output = open.OutputPath(); };
    CExportApp::OpenChosen(*ui.chosen, opened);
    EXPECT_EQ(output, files.File("chosen.dxf")) << "the drawing goes beside it";
}

TEST_F(StartUpTest, APipeIsRefusedAtOnceWithoutWaitingForAWriter) {
    const std::string fifo = files.File("pipe.frt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    alarm(20); // a hang ends the test program instead of the whole run
    FakeUi ui;
    CExportApp::StartUp(fifo, ui);
    alarm(0);
    EXPECT_EQ(ui.dialogs, 0);
    ASSERT_EQ(ui.errors.size(), 1U);
    EXPECT_EQ(ui.errors[0], "Cannot open " + fifo + ": not a regular file");
    EXPECT_TRUE(fs::exists(fifo));
    EXPECT_EQ(TempFiles(), 0U);
}

// OK converts what is at the input path at that moment: a file rewritten while the dialog was
// open is copied again, and one that no longer has the header is refused until it has it again.
TEST_F(StartUpTest, AnInputChangedWhileTheDialogIsOpenIsCopiedAgain) {
    const std::string input = files.Write("site.frt", kFrt);
    FakeUi ui;
    ui.whileOpen = [&](ExportFiles& open) {
        // A failure of the run, which reads the copy, names the user's file.
        EXPECT_EQ(
            exportdlg::FailureText(
                {Failure::Stage::Read, open.TempPath(), std::make_error_code(std::errc::io_error)}, &open),
            input + ": " + std::strerror(EIO));
        EXPECT_EQ(open.Refresh(), "");
        const std::string newer = std::string(kFrt) + "PID=2;E=3;N=4\r\n";
        std::ofstream(input, std::ios::binary | std::ios::trunc) << newer;
        fs::last_write_time(input, fs::last_write_time(input) + std::chrono::seconds(2));
        EXPECT_EQ(open.Refresh(), "");
        EXPECT_EQ(ReadFile(open.TempPath()), newer);

        std::ofstream(input, std::ios::binary | std::ios::trunc) << "plain text now\n";
        fs::last_write_time(input, fs::last_write_time(input) + std::chrono::seconds(4));
        EXPECT_NE(open.Refresh().find("no longer an FRT file"), std::string::npos);
        EXPECT_NE(open.Refresh(), "") << "still refused: the copy holds no FRT content";

        // Touched with the same content: converted, never refused for good.
        std::ofstream(input, std::ios::binary | std::ios::trunc) << kFrt;
        fs::last_write_time(input, fs::last_write_time(input) + std::chrono::seconds(6));
        EXPECT_EQ(open.Refresh(), "");
        EXPECT_EQ(ReadFile(open.TempPath()), kFrt);

        fs::remove(input);
        EXPECT_NE(open.Refresh().find(std::strerror(ENOENT)), std::string::npos);
    };
    CExportApp::StartUp(input, ui);
    EXPECT_EQ(TempFiles(), 0U);
}

// A write that failed inside the input itself: its content comes back from the copy. When even
// that fails, the copy is all that is left of it and stays, and Cancel deletes nothing.
TEST_F(StartUpTest, ADamagedInputIsPutBackOrItsCopyKept) {
    const std::string input = files.Write("site.frt", kFrt);
    FakeUi ui;
    ui.result = CExportApp::RESULT_CANCEL;
    ui.whileOpen = [&](ExportFiles& open) {
        const std::string kept = files.Write("kept.dxf", "complete drawing");
        files.Write("site.frt", "half a dra");
        EXPECT_EQ(open.Restore(kept), "");
        EXPECT_EQ(ReadFile(input), kFrt);
        EXPECT_FALSE(fs::exists(kept));
        EXPECT_FALSE(open.Damaged());

        fs::remove(input);
        fs::create_directory(input); // cannot be written: the restore fails
        const std::string said = open.Restore(files.File("kept2.dxf"));
        EXPECT_NE(said.find("its original content is kept in " + open.TempPath()), std::string::npos) << said;
        EXPECT_TRUE(open.Damaged());
    };
    CExportApp::StartUp(input, ui);
    EXPECT_TRUE(fs::is_directory(input)) << "Cancel deleted nothing";
    ASSERT_EQ(TempFiles(), 1U);
    EXPECT_EQ(ReadFile(ui.temp), kFrt);
}

TEST_F(StartUpTest, ARejectedHeaderDeletesNothingOfTheUsers) {
    for (const char* content : {"[Header]\r\nFormat=Raz2Azi\r\n", "no header at all\n"}) {
        const std::string input = files.Write("other.frt", content);
        FakeUi ui;
        CExportApp::StartUp(input, ui);
        EXPECT_EQ(ui.dialogs, 0);
        EXPECT_TRUE(ui.errors.empty()) << "silently";
        EXPECT_EQ(ReadFile(input), content);
        EXPECT_EQ(TempFiles(), 0U) << "the copy goes on this way out too";
        // A user who picked it in the file dialog is told why nothing happens, and asked again.
        FakeUi picker;
        picker.chosen = input;
        picker.picksAfter = files.Write("good.frt", kFrt);
        CExportApp::StartUp("", picker);
        ASSERT_EQ(picker.errors.size(), 1U);
        EXPECT_EQ(picker.errors[0].rfind(input + " is not an FRT file for DXF export", 0), 0U)
            << picker.errors[0];
        EXPECT_EQ(ReadFile(input), content);
        EXPECT_EQ(picker.asked, 2);
        EXPECT_EQ(picker.input, *picker.picksAfter) << "the second pick is converted";
        fs::remove(*picker.picksAfter);
    }
}

TEST_F(StartUpTest, NoPathAsksForAFileAndACopyFailureShowsTheSystemsText) {
    FakeUi cancelled;
    CExportApp::StartUp(CExportApp::InputPathOf("\"\""), cancelled);
    EXPECT_EQ(cancelled.asked, 1);
    ASSERT_EQ(cancelled.errors.size(), 1U);
    EXPECT_EQ(cancelled.errors[0], std::string("No file to convert: ") + std::strerror(ENOENT));
    EXPECT_EQ(cancelled.dialogs, 0);

    FakeUi chooser;
    chooser.chosen = files.Write("chosen.frt", kFrt);
    CExportApp::StartUp("x", chooser);
    EXPECT_EQ(chooser.asked, 1) << "a one-character tail asks too";
    EXPECT_EQ(chooser.input, *chooser.chosen);

    FakeUi missing;
    CExportApp::StartUp(files.File("missing.frt"), missing);
    EXPECT_EQ(missing.asked, 0);
    ASSERT_EQ(missing.errors.size(), 1U);
    EXPECT_EQ(missing.errors[0], "Cannot open " + files.File("missing.frt") + ": " + std::strerror(ENOENT));
    EXPECT_EQ(TempFiles(), 0U);

    // The temporary folder is the one to blame when it is missing.
    setenv("TMPDIR", files.File("no-such-folder").c_str(), 1);
    FakeUi noFolder;
    CExportApp::StartUp(*chooser.chosen, noFolder);
    ASSERT_EQ(noFolder.errors.size(), 1U);
    EXPECT_EQ(noFolder.errors[0].rfind(files.File("no-such-folder"), 0), 0U) << noFolder.errors[0];
    EXPECT_NE(noFolder.errors[0].find(": cannot copy " + *chooser.chosen + " into this temporary folder: "),
              std::string::npos)
        << noFolder.errors[0];
}

TEST_F(StartUpTest, TwoRunsGetTwoCopies) {
    const std::string a = files.Write("a.frt", kFrt);
    const std::string b = files.Write("b.frt", std::string(kFrt) + "PID=2\r\n");
    // The first run's dialog is open while a second run starts on another file.
    struct Nested : FakeUi {
        std::string other;
        FakeUi inner;
        int RunDialog(ExportFiles& files) override {
            CExportApp::StartUp(other, inner);
            return FakeUi::RunDialog(files);
        }
    } outer;
    outer.other = b;
    CExportApp::StartUp(a, outer);
    EXPECT_NE(outer.temp, outer.inner.temp);
    EXPECT_EQ(outer.tempContent, ReadFile(a));
    EXPECT_EQ(outer.inner.tempContent, ReadFile(b));
}

TEST(LanguageFile, ParsingRules) {
    TempDir dir;
    dir.Write(CLanguageFile::kFileName,
              "; a remark\r\n# another\r\n\r\n[Heading]\r\nPOINTS = Punkte\r\nLINES=\r\n"
              "WND_CAPTION=Export\\nto DXF\r\nAREAS=Flaechen\r\nAREAS=Second\r\n"
              "  ; not a comment=1\r\nA=b=c\r\npoints=lower\r\nTAB\t=\tx y \t\r\n");
    const CLanguageFile file(dir.Path().string());
    EXPECT_EQ(file.GetText("POINTS", "Points"), "Punkte");
    EXPECT_EQ(file.GetText("LINES", "Lines"), "Lines");
    EXPECT_EQ(file.GetText("WND_CAPTION", ""), "Export\nto DXF");
    EXPECT_EQ(file.GetText("AREAS", ""), "Flaechen");
    EXPECT_EQ(file.GetText("; not a comment", ""), "1");
    EXPECT_EQ(file.GetText("A", ""), "b=c");
    EXPECT_EQ(file.GetText("points", ""), "lower");
    EXPECT_EQ(file.GetText("TAB", ""), "x y");
    EXPECT_EQ(file.GetText("[Heading]", "none"), "none");
    const CLanguageFile none(dir.File("nowhere"));
    EXPECT_EQ(none.GetText("POINTS", "Points"), "Points");

    // UTF-8 (with or without its mark) stays; anything else is the code page's, here Windows-1252.
    const std::string areas = "Fl\xc3\xa4"
                              "chen";
    for (const std::string& content : {"\xef\xbb\xbf"
                                       "AREAS=" +
                                           areas + "\r\n",
                                       "AREAS=" + areas + "\n",
                                       std::string("AREAS=Fl\xe4"
                                                   "chen\n")}) {
        dir.Write(CLanguageFile::kFileName, content);
        EXPECT_EQ(CLanguageFile(dir.Path().string()).GetText("AREAS", ""), areas) << content;
    }
    // One byte that is no UTF-8 makes the whole file the code page's.
    dir.Write(CLanguageFile::kFileName, "AREAS=" + areas + "\nGREEN=Gr\xfcn\n");
    const CLanguageFile mixed(dir.Path().string(), [](std::string_view text) {
        std::string decoded(text);
        for (char& c : decoded)
            c = static_cast<unsigned char>(c) >= 0x80 ? '?' : c;
        return decoded;
    });
    EXPECT_EQ(mixed.GetText("AREAS", ""), "Fl??chen");
    EXPECT_EQ(mixed.GetText("GREEN", ""), "Gr?n");

    // A pipe in its place is not waited for: the dialog keeps its own texts.
    std::filesystem::remove(dir.File(CLanguageFile::kFileName));
    ASSERT_EQ(mkfifo(dir.File(CLanguageFile::kFileName).c_str(), 0600), 0);
    EXPECT_EQ(CLanguageFile(dir.Path().string()).GetText("AREAS", "Areas"), "Areas");
}

// On Linux the arguments come split: a double quote is part of the name, and Cancel deletes
// exactly the file that was named.
TEST_F(StartUpTest, AQuoteInALinuxPathNamesThatFile) {
    const std::string quoted = files.Write("a\"b.frt", kFrt);
    const std::string other = files.Write("ab.frt", kFrt);
    EXPECT_EQ(CExportApp::JoinArguments({quoted}), quoted);
    EXPECT_EQ(CExportApp::JoinArguments({"/x/my", "site.frt"}), "/x/my site.frt");
    EXPECT_EQ(CExportApp::InputPathOf("\"D:\\jobs\\si\"te.dxf\""), "D:\\jobs\\site.dxf");
    FakeUi ui;
    ui.result = CExportApp::RESULT_CANCEL;
    CExportApp::StartUp(CExportApp::JoinArguments({quoted}), ui);
    EXPECT_EQ(ui.input, quoted);
    EXPECT_FALSE(fs::exists(quoted));
    EXPECT_EQ(ReadFile(other), kFrt);
}

// What each command line starts, split by the system (Linux) or as a Windows tail: --open with
// or without a file (a menu entry started on its own), an unknown option, a host's path with blanks.
TEST_F(StartUpTest, EveryCommandLineStartsWhatItSays) {
    using Kind = CExportApp::Launch::Kind;
    const std::string dashed = files.Write("-x.frt", kFrt);
    const std::string blanks = files.Write("my jobs.frt", kFrt);
    const auto said = [](const CExportApp::Launch& launch) {
        static const char* const kinds[] = {"info", "usage", "ask", "host", "chosen"};
        return std::string(kinds[static_cast<int>(launch.kind)]) +
               (launch.kind == Kind::Info || launch.kind == Kind::UsageError ? "" : " " + launch.text);
    };
    const struct {
        std::vector<std::string> arguments;
        std::string tail;
        std::string expected;
    } lines[] = {
        {{}, "", "ask "},
        {{"--open"}, "--open ", "ask "},
        {{"--open", ""}, "--open \"\"", "ask "},
        {{"--open", "/j/a b.frt"}, "--open \"/j/a b.frt\"", "chosen /j/a b.frt"},
        {{"/j/site.frt"}, "\"/j/site.frt\"", "host /j/site.frt"},
        {{"/j/a", "b.frt"}, "/j/a b.frt", "host /j/a b.frt"},
        {{blanks}, blanks, "host " + blanks},
        {{dashed}, dashed, "host " + dashed},
        {{"--version"}, "--version", "info"},
        {{"--bogus"}, "--bogus", "usage"},
        {{"-q", "x.frt"}, "-q x.frt", "usage"},
    };
    for (const auto& line : lines) {
        EXPECT_EQ(said(CExportApp::LaunchFor(line.arguments)), line.expected) << line.tail;
        EXPECT_EQ(said(CExportApp::LaunchForTail(line.tail)), line.expected) << line.tail;
    }
    EXPECT_EQ(CExportApp::LaunchFor({"--bogus"}).text.rfind("frt2dxf: unknown option --bogus\nUsage: ", 0),
              0U);
}

// Started on its own, the program never changes the file the user chose: the drawing goes beside
// it, and an existing drawing there is replaced only when the user says so.
TEST_F(StartUpTest, AChosenFileStaysAndTheDrawingGoesBesideIt) {
    FakeUi ui;
    ui.chosen = files.Write("b.frt", kFrt);
    const std::string drawing = files.File("b.dxf");
    MemoryStore store;
    ExportSettings settings;
    int asked = 0;
    bool answer = false;
    const exportdlg::AskReplace ask = [&](const std::string& path) {
        ++asked;
        EXPECT_EQ(path, drawing);
        return answer;
    };
    ui.whileOpen = [&](ExportFiles& open) {
        EXPECT_TRUE(open.Standalone());
        EXPECT_EQ(open.OutputPath(), drawing);
        EXPECT_EQ(exportdlg::WindowTitle("DXF Export", open), "DXF Export - b.frt -> b.dxf");
        exportdlg::ExportOutcome outcome = exportdlg::RunExport(settings, store, open, nullptr, ask);
        EXPECT_TRUE(outcome.done) << outcome.error;
        EXPECT_EQ(asked, 0) << "nothing to replace yet";
        EXPECT_NE(ReadFile(drawing).find("EOF"), std::string::npos);

        files.Write("b.dxf", "older drawing");
        outcome = exportdlg::RunExport(settings, store, open, nullptr, ask);
        EXPECT_FALSE(outcome.done) << "No keeps the dialog open";
        EXPECT_EQ(outcome.error, "") << "and shows no error";
        EXPECT_EQ(ReadFile(drawing), "older drawing");
        answer = true;
        EXPECT_TRUE(exportdlg::RunExport(settings, store, open, nullptr, ask).done);
        EXPECT_EQ(asked, 2);
        EXPECT_NE(ReadFile(drawing).find("EOF"), std::string::npos);
    };
    CExportApp::StartUp("", ui);
    EXPECT_EQ(ReadFile(*ui.chosen), kFrt);
    EXPECT_EQ(TempFiles(), 0U);

    // A chosen file named .dxf is not its own drawing's place either.
    EXPECT_EQ(ExportFiles::OutputBeside("/d/site.dxf"), "/d/site.drawing.dxf");
    EXPECT_EQ(ExportFiles::OutputBeside("/d/site"), "/d/site.dxf");
    // The host's flow is as it was: the drawing replaces the named file, which the title names.
    const ExportFiles host(files.File("t.tmp"), *ui.chosen);
    EXPECT_FALSE(host.Standalone());
    EXPECT_EQ(exportdlg::WindowTitle("DXF Export", host),
              "DXF Export - " + filesys::TextOf(filesys::PathOf(*ui.chosen).filename()));
}

// A rewrite that keeps the size and the modification time (an editor's save by rename, times
// preserved) is still noticed, and a vanished copy is never re-created under its old name, where
// another user may have planted a link.
TEST_F(StartUpTest, ARewriteKeepingSizeAndTimeAndAPlantedLinkAreNoticed) {
    const std::string input = files.Write("site.frt", kFrt);
    std::string same(kFrt);
    same[same.size() - 3] = '7'; // N=2 becomes N=7: same size
    FakeUi ui;
    ui.whileOpen = [&](ExportFiles& open) {
        const std::string next = files.Write("next.frt", same);
        fs::last_write_time(next, fs::last_write_time(input));
        fs::rename(next, input);
        EXPECT_EQ(open.Refresh(), "");
        EXPECT_EQ(ReadFile(open.TempPath()), same);

        const std::string victim = files.Write("victim.txt", "someone else's");
        const std::string oldCopy = open.TempPath();
        fs::remove(oldCopy);
        fs::create_symlink(victim, oldCopy);
        EXPECT_EQ(open.Refresh(), "");
        EXPECT_NE(open.TempPath(), oldCopy);
        EXPECT_EQ(ReadFile(open.TempPath()), same);
        EXPECT_EQ(ReadFile(victim), "someone else's");
        struct stat info {};
        lstat(open.TempPath().c_str(), &info);
        EXPECT_EQ(info.st_mode & 0777, 0600U);
        fs::remove(oldCopy);
    };
    CExportApp::StartUp(input, ui);
}
