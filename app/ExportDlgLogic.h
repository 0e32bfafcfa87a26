#pragma once

#include "app/ExportFiles.h"
#include "app/ExportSettings.h"
#include "common/IProgressDisplay.h"

#include <memory>
#include <optional>
#include <string>

// What the options dialog does apart from its widgets, the same on every platform: the checks of
// the values taken from the controls, with their messages, and the export that OK runs.
namespace exportdlg {

constexpr std::size_t kMaxLayerName = 32; // bytes of the name as the drawing holds it

// Each returns the message for the control when its text is refused, or nothing.
std::optional<std::string> CheckLayerName(const std::string& name);
std::optional<std::string> TakeDecimals(const std::string& text, int& value);
std::optional<std::string> TakeSymbolSize(const std::string& text, float& value);

// The text a symbol size is shown with: the shortest that reads back as the same value.
std::string SymbolSizeText(float value);

// OK: stores the settings, brings the copy up to date with the input, converts it and writes
// the drawing over the input, with the display showing the progress. Returns the text for the
// "Error" box, or nothing when the dialog may end with result 1.
std::optional<std::string> RunExport(ExportSettings& settings, ISettingsStore& store, ExportFiles& files,
                                     std::unique_ptr<IProgressDisplay> display);

} // namespace exportdlg
