#pragma once

#include "ExportSettings.h"

#include <string>
#include <vector>

// What the command line asks for.
struct BatchRequest {
    std::vector<std::string> inputs;
    std::string output; // only with one input
    bool quiet = false;
    bool help = false;
    bool version = false;
    bool fromSettings = false;
};

// Applies the options of the command line to the settings (which start from the defaults, or
// the stored settings with --from-settings) and checks every value against the dialog's limits.
// Returns false with a message naming the option on any usage error.
bool ParseCommandLine(const std::vector<std::string>& args, ExportSettings& settings, BatchRequest& request,
                      std::string& error);
// True when the arguments ask for the stored settings as the starting point.
bool WantsStoredSettings(const std::vector<std::string>& args);
// Checks values that may also come from the store. Returns false with a message.
bool CheckLimits(const ExportSettings& settings, std::string& error);

extern const char* const kBatchUsage;
