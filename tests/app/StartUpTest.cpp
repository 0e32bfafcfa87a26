#include "CExportApp.h"
#include "CLanguageFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Plays the user: answers the file dialog, records errors, and "runs" the dialog by looking at
// the temporary copy and returning the chosen result.
class FakeUi : public IStartUpUi {
public:
    std::optional<std::string> AskForFile() override {
        ++asked;
        return chosen;
    }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    int RunDialog(const std::string& tempPath, const std::string& inputPath) override {
        ++dialogs;
        temp = tempPath;
        input = inputPath;
        tempContent = ReadFile(tempPath);
        struct stat info {};
        stat(tempPath.c_str(), &info);
        tempMode = info.st_mode & 0777;
        return result;
    }

    std::optional<std::string> chosen;
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
    std::size_t TempFiles() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(tmp.Path()), fs::directory_iterator()));
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
    EXPECT_FALSE(CExportApp::StartUp("\"" + input + "\"", ui));
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
    }
}

TEST_F(StartUpTest, NoPathAsksForAFileAndACopyFailureShowsTheSystemsText) {
    FakeUi cancelled;
    CExportApp::StartUp("\"\"", cancelled);
    EXPECT_EQ(cancelled.asked, 1);
    ASSERT_EQ(cancelled.errors.size(), 1U);
    EXPECT_EQ(cancelled.errors[0], std::strerror(ENOENT));
    EXPECT_EQ(cancelled.dialogs, 0);

    FakeUi chooser;
    chooser.chosen = files.Write("chosen.frt", kFrt);
    CExportApp::StartUp("x", chooser);
    EXPECT_EQ(chooser.asked, 1) << "a one-character tail asks too";
    EXPECT_EQ(chooser.input, *chooser.chosen);

    FakeUi missing;
    CExportApp::StartUp(files.File("missing.frt"), missing);
    EXPECT_EQ(missing.asked, 0);
    EXPECT_EQ(missing.errors.size(), 1U);
    EXPECT_EQ(TempFiles(), 0U);
}

TEST_F(StartUpTest, TwoRunsGetTwoCopies) {
    const std::string a = files.Write("a.frt", kFrt);
    const std::string b = files.Write("b.frt", std::string(kFrt) + "PID=2\r\n");
    // The first run's dialog is open while a second run starts on another file.
    struct Nested : FakeUi {
        std::string other;
        FakeUi inner;
        int RunDialog(const std::string& tempPath, const std::string& inputPath) override {
            CExportApp::StartUp(other, inner);
            return FakeUi::RunDialog(tempPath, inputPath);
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
    dir.Write(CLanguageFile::kFileName, "; a remark\r\n# another\r\n\r\n[Heading]\r\nPOINTS = Punkte\r\nLINES=\r\n"
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
}
