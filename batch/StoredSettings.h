#pragma once

#include "export/ExportSettings.h"

#include <string>

// The desktop program's stored choices, where it keeps them: the registry on Windows, its INI file
// elsewhere.
namespace storedsettings {

// Where they are, for messages.
std::string Place();
// Loads them into the settings. Empty when that worked; else why not ("not found", a file that is
// no settings file), and the settings stay as they were. badValue: the first value that could not
// be taken as stored ("NAME: why"), or empty.
std::string Load(ExportSettings& settings, std::string& badValue);

} // namespace storedsettings
