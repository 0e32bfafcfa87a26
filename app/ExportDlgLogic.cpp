#include "app/ExportDlgLogic.h"

#include "app/FindingsList.h"

#include "common/CProgressBar.h"
#include "common/FileSystem.h"
#include "common/NumberText.h"
#include "export/ExportRun.h"
#include "export/SettingsSchema.h"

#include <cmath>
#include <thread>
#include <utility>

namespace exportdlg {

std::optional<std::string> CheckLayerName(const std::string& name, const CLanguageFile& texts) {
    // An empty name would make a layer-table entry without a name, which readers refuse.
    if (name.empty())
        return texts.GetText("LAYER_EMPTY", "Enter a layer name.");
    if (name.size() <= settingschema::kMaxLayerName)
        return std::nullopt;
    return CLanguageFile::Filled(
        texts.GetText("LAYER_TOO_LONG",
                      "Enter no more than %1 characters. A letter such as \xc3\xa9 counts as two."),
        std::to_string(settingschema::kMaxLayerName));
}

std::optional<std::string> TakeDecimals(const std::string& text, int& value, const CLanguageFile& texts) {
    if (!settingschema::ReadDecimals(text, value))
        return CLanguageFile::Filled(texts.GetText("DECIMALS_RANGE", "Enter an integer between 0 and %1."),
                                     std::to_string(settingschema::kMaxDecimals));
    return std::nullopt;
}

std::optional<std::string> TakeSymbolSize(const std::string& text, float& value, const CLanguageFile& texts) {
    if (!settingschema::ReadSymbolSize(text, value))
        return CLanguageFile::Filled(texts.GetText("SIZE_RANGE", "Enter a number between %1 and %2."),
                                     numtext::FormatShortest(settingschema::kMinSymbolSize),
                                     numtext::FormatShortest(settingschema::kMaxSymbolSize));
    return std::nullopt;
}

std::string SymbolSizeText(float value) {
    return numtext::FormatShortestFloat(value);
}

void PushValues(const ExportSettings& settings, IDialogControls& controls) {
    using settingschema::Kind;
    for (const settingschema::Setting& setting : settingschema::kSettings) {
        if (!setting.OnDialog())
            continue;
        const int value =
            std::holds_alternative<int ExportSettings::*>(setting.member) ? setting.Field<int>(settings) : 0;
        switch (setting.kind) {
        case Kind::Switch:
            controls.SetChecked(setting.control, value != 0);
            break;
        case Kind::Choice:
            controls.SetChecked(setting.control, value == 0);
            controls.SetChecked(setting.secondControl, value != 0);
            break;
        case Kind::LayerName:
            controls.SetText(setting.control, setting.kind, setting.Field<std::string>(settings));
            break;
        case Kind::Decimals:
            controls.SetText(setting.control, setting.kind, std::to_string(value));
            break;
        case Kind::SymbolSize:
            controls.SetText(setting.control, setting.kind, SymbolSizeText(setting.Field<float>(settings)));
            break;
        case Kind::Spacing: // never on the dialog
            break;
        case Kind::Colour:
            controls.SetSelection(setting.control, value);
            break;
        }
    }
}

bool TakeValues(ExportSettings& settings, IDialogControls& controls, const CLanguageFile& texts) {
    using settingschema::Kind;
    for (const settingschema::Setting& setting : settingschema::kSettings) {
        if (!setting.OnDialog())
            continue;
        std::optional<std::string> message;
        switch (setting.kind) {
        case Kind::Switch:
            setting.Field<int>(settings) = controls.Checked(setting.control) ? 1 : 0;
            break;
        case Kind::Choice: // neither button checked: the value stays
            if (controls.Checked(setting.secondControl))
                setting.Field<int>(settings) = 1;
            else if (controls.Checked(setting.control))
                setting.Field<int>(settings) = 0;
            break;
        case Kind::LayerName:
            setting.Field<std::string>(settings) = controls.Text(setting.control, setting.kind);
            message = CheckLayerName(setting.Field<std::string>(settings), texts);
            break;
        case Kind::Decimals:
            message = TakeDecimals(controls.Text(setting.control, setting.kind), setting.Field<int>(settings),
                                   texts);
            break;
        case Kind::SymbolSize:
            message = TakeSymbolSize(controls.Text(setting.control, setting.kind),
                                     setting.Field<float>(settings), texts);
            break;
        case Kind::Spacing: // never on the dialog
            break;
        case Kind::Colour:
            setting.Field<int>(settings) = controls.Selection(setting.control);
            break;
        }
        if (message) {
            controls.Refuse(setting.control, *message);
            return false;
        }
    }
    return true;
}

std::string WindowTitle(const std::string& caption, const ExportFiles& files) {
    std::string title = caption + " - " + filesys::TextOf(filesys::PathOf(files.InputPath()).filename());
    if (files.Standalone())
        title.append(" -> ").append(filesys::TextOf(filesys::PathOf(files.OutputPath()).filename()));
    return title;
}

std::string FailureText(const Failure& failure, const ExportFiles* files, const CLanguageFile& texts) {
    return texts.FailureText(
        failure, files != nullptr && failure.path == files->TempPath() ? files->InputPath() : failure.path);
}

std::string ErrorCaption(const CLanguageFile& texts) {
    return texts.GetText("ERROR", "Error");
}

std::string ReplaceQuestion(const CLanguageFile& texts, const std::string& path) {
    return CLanguageFile::Filled(
        texts.GetText("REPLACE_QUESTION", "%1 already exists. Do you want to replace it?"), path);
}

FileDialogTexts FileDialogTextsOf(const CLanguageFile& texts) {
    return {texts.GetText("OPEN_TITLE", "Open"), texts.GetText("FRT_FILES", "FRT files"),
            texts.GetText("ALL_FILES", "All files")};
}

std::string FindingsListPath(const std::string& drawingPath) {
    const std::filesystem::path drawing = filesys::PathOf(drawingPath);
    return filesys::TextOf(drawing.parent_path() / drawing.stem()) + ".findings.txt";
}

std::string ClosingText(const CLanguageFile& texts, const ExportOutcome& outcome) {
    if (outcome.findings == 0 && outcome.drawingPath.empty())
        return {};
    std::string text =
        outcome.drawingPath.empty()
            ? texts.GetText("WRITTEN", "The drawing was written.")
            : CLanguageFile::Filled(texts.GetText("WRITTEN_TO", "The drawing was written to %1."),
                                    outcome.drawingPath);
    if (outcome.findings == 0)
        return text;
    text += ' ';
    text += outcome.findings == 1
                ? texts.GetText("FINDING", "One value in the survey could not be taken as it stands; the "
                                           "finding says what was used instead:")
                : CLanguageFile::Filled(texts.GetText("FINDINGS",
                                                      "%1 values in the survey could not be taken as they "
                                                      "stand; each finding says what was used instead:"),
                                        std::to_string(outcome.findings));
    for (const std::string& line : outcome.shown)
        text.append("\n").append(line);
    if (!outcome.listPath.empty())
        text.append("\n\n").append(CLanguageFile::Filled(
            texts.GetText("FINDINGS_ALL", "All of them are listed in %1."), outcome.listPath));
    else if (!outcome.listError.empty())
        text.append("\n\n").append(CLanguageFile::Filled(
            texts.GetText("FINDINGS_NO_LIST", "The list of all of them could not be written: %1"),
            outcome.listError));
    return text;
}

std::string WaitingText(const CLanguageFile& texts, const std::string& path) {
    return CLanguageFile::Filled(
        texts.GetText("WAITING", "waiting for another program writing %1 (Cancel gives up)"),
        filesys::TextOf(filesys::PathOf(path).filename()));
}

// A file rewritten while it is converted is converted again, this many times at the most.
constexpr int kConversions = 3;

ExportOutcome RunExport(ExportSettings& settings, ISettingsStore& store, ExportFiles& files,
                        std::unique_ptr<IProgressDisplay> display, const AskReplace& askReplace,
                        const WaitForLock& waiting) {
    ExportOutcome outcome;
    if (std::string refused = files.OutputIsInput(); !refused.empty()) {
        outcome.error = FailureText(Failure(Failure::Stage::Refused, files.OutputPath(), refused));
        return outcome;
    }
    // A folder where the drawing would go cannot be replaced: said before anything is asked.
    std::error_code ec;
    if (files.Standalone() && std::filesystem::is_directory(filesys::PathOf(files.OutputPath()), ec)) {
        outcome.error = FailureText(Failure(Failure::Stage::Refused, files.OutputPath(),
                                            std::make_error_code(std::errc::is_a_directory)));
        return outcome;
    }
    if (files.Standalone() && filesys::StateOf(files.OutputPath(), false).exists &&
        !askReplace(files.OutputPath()))
        return outcome;
    settings.Store(store);
    // Choices that could not be kept do not stop the export: the next start shows the old ones.
    (void)store.Flush();
    ExportOptions options = settings.Build();
    CProgressBar::Instance().Create(std::move(display));
    exportrun::RunSettings run;
    run.threads = std::thread::hardware_concurrency();
    // The drawing goes over the input only while the input still holds what was converted.
    run.beforeCommit = [&files] { return files.CheckInputAsCopied(); };
    // Another program writing the input is waited for a bounded time, then said; the window
    // stays alive meanwhile, and Cancel gives up.
    run.lockWait = [&waiting](std::chrono::milliseconds waited) {
        return waited < kLockWait && (!waiting || waiting(waited));
    };
    ConversionResult result;
    std::unique_ptr<FindingsList> findings;
    const std::string inputName = filesys::TextOf(filesys::PathOf(files.InputPath()).filename());
    for (int conversion = 1; conversion <= kConversions; ++conversion) {
        // The drawing shows what is at the input path now, even when it was rewritten meanwhile.
        if (std::string problem = files.Refresh(); !problem.empty()) {
            CProgressBar::Destroy();
            outcome.error = std::move(problem);
            return outcome;
        }
        findings = std::make_unique<FindingsList>(inputName, FindingsListPath(files.OutputPath()));
        run.diagnostics = findings.get();
        result = exportrun::ConvertFile(files.TempPath(), files.OutputPath(), options, run);
        if (result.Ok() || !files.CopyStale())
            break;
    }
    CProgressBar::Destroy();
    if (result.Ok()) {
        outcome.done = true;
        if (files.Standalone())
            outcome.drawingPath = files.OutputPath();
        outcome.findings = findings->Count();
        outcome.shown = findings->Shown();
        if (const Failure listed = findings->Finish())
            outcome.listError = FailureText(listed);
        else if (outcome.findings > outcome.shown.size())
            outcome.listPath = findings->ListPath();
        return outcome;
    }
    // The input is as it was (put back when the write failed inside it); OK may be pressed again.
    // One that holds another program's writing now is left as it is, with the drawing kept
    // beside it: putting the old survey back would undo that writing too.
    Failure failure = result.failure;
    if (!failure.keptPath.empty())
        failure.keptPath = files.KeepVisible(failure.keptPath);
    std::string restored;
    if (failure.damaged && !files.Standalone() && !failure.writtenMeanwhile) {
        restored = "." + files.Restore(failure.keptPath);
        failure.damaged = false; // Restore says what became of the drawing
    }
    outcome.error = FailureText(failure, &files) + restored;
    return outcome;
}

} // namespace exportdlg
