#include "app/CExportApp.h"

#include "app/ExportDlgLogic.h"
#include "app/TempCopy.h"
#include "common/FileSystem.h"

#include <algorithm>
#include <cstdio>

std::string CExportApp::InputPathOf(const std::string& commandTail) {
    std::string path = commandTail;
    path.erase(std::remove(path.begin(), path.end(), '"'), path.end());
    return path;
}

std::string CExportApp::JoinArguments(const std::vector<std::string>& arguments) {
    std::string path;
    for (const std::string& argument : arguments) {
        if (!path.empty())
            path += ' ';
        path += argument;
    }
    return path;
}

std::optional<std::string> CExportApp::InfoFor(const std::string& argument) {
    if (argument == "--version")
        return std::string("frt2dxf ") + FRT2DXF_VERSION + "\n";
    if (argument != "--help" && argument != "-h")
        return std::nullopt;
    return "Usage: frt2dxf [FILE]\n"
           "       frt2dxf --open FILE\n"
           "Shows the DXF Export dialog for the FRT survey FILE and writes the drawing over FILE;\n"
           "Cancel deletes FILE (the surveying software that started it expects that). Without FILE,\n"
           "a file dialog asks for one; the drawing then goes beside it as NAME.dxf, and Cancel keeps\n"
           "it, as with --open (what \"Open with\" in a file manager uses).\n"
           "\n"
           "  --open FILE    convert FILE as one picked in the file dialog: never changed or deleted\n"
           "  -h, --help     show this text\n"
           "      --version  show the version\n"
           "\n"
           "frt2dxf-batch converts without a dialog (frt2dxf-batch --help).\n";
}

namespace {

CExportApp::Launch UsageError(const std::string& argument) {
    return {CExportApp::Launch::Kind::UsageError,
            "frt2dxf: unknown option " + argument + "\n" + *CExportApp::InfoFor("--help")};
}

bool LooksLikeOption(const std::string& argument) {
    return argument.size() >= 2 && argument[0] == '-';
}

} // namespace

CExportApp::Launch CExportApp::LaunchFor(const std::vector<std::string>& arguments) {
    using Kind = Launch::Kind;
    if (arguments.empty())
        return {Kind::Ask, {}};
    if (arguments.size() == 1)
        if (std::optional<std::string> info = InfoFor(arguments[0]))
            return {Kind::Info, std::move(*info)};
    // A file manager's menu entry gives --open without a file when it is started on its own.
    if (arguments[0] == "--open") {
        std::string chosen = JoinArguments({arguments.begin() + 1, arguments.end()});
        return {chosen.empty() ? Kind::Ask : Kind::Chosen, std::move(chosen)};
    }
    std::string path = JoinArguments(arguments);
    if (LooksLikeOption(arguments[0]) && !filesys::StateOf(path).exists)
        return UsageError(arguments[0]);
    return {Kind::Host, std::move(path)};
}

CExportApp::Launch CExportApp::LaunchForTail(const std::string& commandTail) {
    const std::size_t end = commandTail.find_last_not_of(" \t");
    const std::string tail = end == std::string::npos ? std::string() : commandTail.substr(0, end + 1);
    const std::size_t blank = tail.find_first_of(" \t");
    const std::string first = InputPathOf(tail.substr(0, blank));
    if (first == "--open") {
        const std::size_t rest = blank == std::string::npos ? blank : tail.find_first_not_of(" \t", blank);
        return LaunchFor(
            {"--open", rest == std::string::npos ? std::string() : InputPathOf(tail.substr(rest))});
    }
    if (blank == std::string::npos)
        return LaunchFor(first.empty() ? std::vector<std::string>{} : std::vector<std::string>{first});
    // A path with blanks: one path, as the host gave it.
    std::string path = InputPathOf(tail);
    if (LooksLikeOption(first) && !filesys::StateOf(path).exists)
        return UsageError(first);
    return {Launch::Kind::Host, std::move(path)};
}

bool CExportApp::Run(const Launch& launch, IStartUpUi& ui) {
    if (launch.kind == Launch::Kind::Chosen)
        return OpenChosen(launch.text, ui);
    return StartUp(launch.kind == Launch::Kind::Host ? launch.text : std::string(), ui);
}

bool CExportApp::StartUp(const std::string& inputPath, IStartUpUi& ui) {
    std::optional<std::string> chosen;
    if (inputPath.size() >= 2 || !(chosen = ui.AskForFile())) {
        static_cast<void>(Convert(inputPath, false, ui));
        return false;
    }
    // A pick that is no survey, or cannot be read, is said, and the file dialog asks again.
    while (chosen && !Convert(*chosen, true, ui))
        chosen = ui.AskForFile();
    return false;
}

bool CExportApp::OpenChosen(const std::string& path, IStartUpUi& ui) {
    static_cast<void>(Convert(path, true, ui));
    return false;
}

bool CExportApp::Convert(const std::string& input, bool chosenByUser, IStartUpUi& ui) {
    TempCopy copy; // removed on every way out
    if (!copy.Make(input)) {
        ui.ShowError(exportdlg::FailureText(copy.Error(), nullptr, ui.Texts()));
        return false;
    }
    if (frtheader::CheckFrtHeader(copy.Path()) != FRT_FORMAT_DXF) {
        // Not for this converter: nothing of the user's is deleted, and the host, which hands
        // every survey file to each converter, hears nothing; a user who picked it is told why.
        if (chosenByUser)
            ui.ShowError(CLanguageFile::Filled(ui.Texts().GetText("NOT_A_SURVEY",
                                                                  "%1 is not an FRT file for DXF export (no "
                                                                  "[Header] with Format=Rev2Ezi)"),
                                               input));
        return false;
    }
    // A file the user picked has no host waiting for a drawing in its place: it stays as it is,
    // and the drawing goes beside it.
    ExportFiles files(copy.Path(), input, chosenByUser ? ExportFiles::OutputBeside(input) : std::string(),
                      ui.Texts());
    const int result = ui.RunDialog(files);
    if (files.Damaged() && result != RESULT_OK) {
        copy.Keep(); // the only intact content of the input; the user was told where it is
        return true;
    }
    copy.Remove();
    // The host software names the file and expects it gone after a cancel; a file the user
    // picked in the file dialog stays.
    if (result == RESULT_CANCEL && !chosenByUser) {
        // Only the survey this program knows: what another program wrote there meanwhile stays.
        if (files.InputUnknown()) {
            ui.ShowError(CLanguageFile::Filled(
                ui.Texts().GetText("CHANGED_NOT_DELETED",
                                   "%1 was changed by another program while the dialog was "
                                   "open; it is left as it is, not deleted"),
                input));
            return true;
        }
        const std::error_code error = filesys::Remove(input);
        if (error && error != std::errc::no_such_file_or_directory)
            ui.ShowError(CLanguageFile::Filled(
                ui.Texts().GetText("NOT_DELETED", "%1 could not be deleted: %2"), input, error.message()));
    }
    return true;
}
