#pragma once

#include "app/CLanguageFile.h"
#include "app/ExportFiles.h"
#include "frt/FrtHeader.h"

#include <optional>
#include <string>
#include <vector>

// What start-up needs from the desktop: the file dialog, the "Error" box and the options dialog.
class IStartUpUi {
public:
    virtual ~IStartUpUi() = default;
    // The chosen file, or nothing when the user cancels.
    virtual std::optional<std::string> AskForFile() = 0;
    virtual void ShowError(const std::string& text) = 0;
    // The language file's texts for the boxes.
    [[nodiscard]] virtual const CLanguageFile& Texts() const = 0;
    // Shows the options dialog for the temporary copy and the input path; 1 OK, 2 Cancel.
    virtual int RunDialog(ExportFiles& files) = 0;
};

// The whole life of the desktop program: take the input path, copy the file, check its header,
// run the options dialog and clean up by its result.
class CExportApp {
public:
    static constexpr int RESULT_OK = 1;
    static constexpr int RESULT_CANCEL = 2;

    // inputPath: the file named on the command line (see InputPathOf and JoinArguments), or
    // empty to ask for one. Always returns false.
    static bool StartUp(const std::string& inputPath, IStartUpUi& ui);
    // Start-up for a file the user picked elsewhere ("Open with" in a file manager): as one picked
    // in the file dialog, it is never changed or deleted, and the drawing goes beside it.
    static bool OpenChosen(const std::string& path, IStartUpUi& ui);
    // The input path from a Windows command-line tail: every double quote removed (no Windows
    // path holds one).
    static std::string InputPathOf(const std::string& commandTail);
    // The input path from arguments already split by the system: each taken as it is, several
    // joined with a blank.
    static std::string JoinArguments(const std::vector<std::string>& arguments);
    // What to print instead of starting when the one argument asks for it ("--help", "-h",
    // "--version"), without any window; nothing for a file to convert.
    static std::optional<std::string> InfoFor(const std::string& argument);

    // What a command line asks of the program.
    struct Launch {
        enum class Kind {
            Info,       // print `text` and end (status 0)
            UsageError, // print `text` to standard error and end (status 2)
            Ask,        // ask for a file, as a start without one
            Host,       // the host's survey `text`: the drawing replaces it
            Chosen,     // the user's pick `text` (--open): the drawing goes beside it
        };
        Kind kind = Kind::Ask;
        std::string text;
    };
    // From the arguments as the system split them. An unknown option is a usage error, unless a
    // file has that name.
    static Launch LaunchFor(const std::vector<std::string>& arguments);
    // From a Windows command-line tail, where a host may leave a path with blanks unquoted.
    static Launch LaunchForTail(const std::string& commandTail);
    // Starts what the launch asks for (Ask, Host or Chosen). Always returns false.
    static bool Run(const Launch& launch, IStartUpUi& ui);

private:
    // False when the file was refused before the dialog (unreadable, or no survey for it).
    static bool Convert(const std::string& input, bool chosenByUser, IStartUpUi& ui);
};
