#pragma once

#include "export/ExportSettings.h"

#include <string>

// The desktop program's stored choices, where it keeps them: the registry on Windows, its INI file
// elsewhere.
namespace storedsettings {

// Where they are, for messages.
std::string Place();
// Loads them into the settings. Empty when that worked; else why not ("not found", a file that is
// no settings file), and the settings stay as they were.
std::string Load(ExportSettings& settings);

} // namespace storedsettings
