#pragma once

#include "app/CLanguageFile.h"
#include "app/ExportFiles.h"
#include "common/IProgressDisplay.h"
#include "export/ExportSettings.h"
#include "export/SettingsSchema.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// What the options dialog does apart from its widgets, the same on every platform: the checks of
// the values taken from the controls, with their messages, and the export that OK runs.
namespace exportdlg {

// The dialog's controls as the value logic reads and sets them; each shell implements it on its
// own widgets. Texts are the program's: UTF-8, but a layer name is in the system code page on
// Windows, as the drawing takes it.
class IDialogControls {
public:
    IDialogControls() = default;
    IDialogControls(const IDialogControls&) = delete;
    IDialogControls& operator=(const IDialogControls&) = delete;
    virtual ~IDialogControls() = default;

    [[nodiscard]] virtual bool Checked(int id) const = 0;
    virtual void SetChecked(int id, bool on) = 0;
    [[nodiscard]] virtual std::string Text(int id, settingschema::Kind kind) const = 0;
    virtual void SetText(int id, settingschema::Kind kind, const std::string& text) = 0;
    // The index chosen in a list, -1 for none.
    [[nodiscard]] virtual int Selection(int id) const = 0;
    virtual void SetSelection(int id, int index) = 0;
    // Shows the message, then puts the focus on the control with its text selected.
    virtual void Refuse(int id, const std::string& message) = 0;
};

// Shows the settings in the controls.
void PushValues(const ExportSettings& settings, IDialogControls& controls);
// Takes the values from the controls in the settings' order, checking each as it is taken (so
// the focus goes to its own edit); false after refusing the first that fails.
bool TakeValues(ExportSettings& settings, IDialogControls& controls,
                const CLanguageFile& texts = CLanguageFile::English());

// Each returns the message for the control when its text is refused, or nothing.
std::optional<std::string> CheckLayerName(const std::string& name,
                                          const CLanguageFile& texts = CLanguageFile::English());
std::optional<std::string> TakeDecimals(const std::string& text, int& value,
                                        const CLanguageFile& texts = CLanguageFile::English());
std::optional<std::string> TakeSymbolSize(const std::string& text, float& value,
                                          const CLanguageFile& texts = CLanguageFile::English());

// The text a symbol size is shown with: the shortest that reads back as the same value.
std::string SymbolSizeText(float value);

// The dialog's title: the caption and the file at stake ("DXF Export - b.frt", whose drawing
// replaces it), or for a file the user chose, which file becomes which ("DXF Export - b.frt -> b.dxf").
std::string WindowTitle(const std::string& caption, const ExportFiles& files);

// The "Error" box's text for a failure, the one wording of the desktop program: the file is
// named as the user knows it (the input, where the run read its temporary copy) before the reason.
std::string FailureText(const Failure& failure, const ExportFiles* files = nullptr,
                        const CLanguageFile& texts = CLanguageFile::English());

// Asks whether an existing file may be replaced by the drawing.
using AskReplace = std::function<bool(const std::string& path)>;
// The texts of the boxes, the title's note and the file dialog, from the language file (English
// fallbacks); "%1" in a text stands for the file's path or name.
std::string ErrorCaption(const CLanguageFile& texts);
std::string ReplaceQuestion(const CLanguageFile& texts, const std::string& path);
struct FileDialogTexts {
    std::string title;
    std::string frtFiles; // the filter's name, without its pattern
    std::string allFiles;
};
FileDialogTexts FileDialogTextsOf(const CLanguageFile& texts);

// Called about every 50 ms while another program holds the lock of the file the drawing is
// copied into, with how long it has: keeps the window painted and its Cancel working, and says
// that it waits. False when the user gave up.
using WaitForLock = std::function<bool(std::chrono::milliseconds waited)>;
// What the window says meanwhile, after its caption.
std::string WaitingText(const CLanguageFile& texts, const std::string& path);
// How long another program's lock is waited for at most.
constexpr std::chrono::seconds kLockWait{30};

// What OK led to.
struct ExportOutcome {
    bool done = false; // the drawing was written: the dialog ends with result 1
    std::string error; // else the text for the "Error" box, or empty when the user said No
    // Values of the survey the drawing could not take as they stand, the first few of them
    // ("line LINE: KEY=VALUE: problem"), and where all of them are listed when there are more.
    std::uint64_t findings = 0;
    std::vector<std::string> shown;
    std::string listPath;
    std::string listError;   // why that list could not be written
    std::string drawingPath; // a drawing of its own (Standalone): where it went
};

// The message shown before the dialog closes: where a drawing of its own went, and the findings;
// empty for the host's drawing without findings.
std::string ClosingText(const CLanguageFile& texts, const ExportOutcome& outcome);
// Where the list of all findings goes: beside the drawing, "NAME.findings.txt".
std::string FindingsListPath(const std::string& drawingPath);

// OK: stores the settings, brings the copy up to date with the input, converts it and writes
// the drawing to the output, with the display showing the progress. A drawing of its own
// (Standalone) that would replace an existing file is written only if askReplace says yes.
ExportOutcome RunExport(ExportSettings& settings, ISettingsStore& store, ExportFiles& files,
                        std::unique_ptr<IProgressDisplay> display, const AskReplace& askReplace,
                        const WaitForLock& waiting = {});

} // namespace exportdlg
