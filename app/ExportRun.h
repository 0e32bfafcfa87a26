#pragma once

#include "CFrtSource.h"
#include "DxfWriteSettings.h"
#include "ExportOptions.h"

#include <chrono>
#include <cstddef>
#include <string>

// How one conversion went.
struct ConversionResult {
    bool ok = false;
    std::string error; // the system's reason, when not ok
    FrtReadResult read;
    std::int32_t entities = 0;
    std::size_t layers = 0;
};

// The writer's settings that go with the options.
DxfWriteSettings WriteSettingsFor(const ExportOptions& options);

// Reads the FRT file at readPath through the reader into the converter and writes the drawing
// to writePath, with the progress reporter's range set for each of the two phases. The drawing
// is written only when the whole input was read: a file that cannot be read leaves the target
// as it is, and so do a failed write and running out of memory.
ConversionResult ConvertFile(const std::string& readPath, const std::string& writePath, ExportOptions& options);
