#include "batch/StoredSettings.h"

#ifdef _WIN32
#include "export/RegistrySettingsStore.h"
#else
#include "export/IniSettingsStore.h"
#endif

namespace storedsettings {

#ifdef _WIN32

std::string Place() {
    return RegistrySettingsStore().Location(ExportSettings::kSection);
}

std::string Load(ExportSettings& settings, std::string& badValue) {
    RegistrySettingsStore store;
    if (!store.HasSection(ExportSettings::kSection))
        return "not found";
    settings.Load(store);
    badValue = store.BadValue();
    return {};
}

#else

std::string Place() {
    return IniSettingsStore::UserPath();
}

std::string Load(ExportSettings& settings, std::string& badValue) {
    IniSettingsStore store(Place());
    if (!store.Problem().empty())
        return store.Problem();
    settings.Load(store);
    badValue = store.BadValue();
    return {};
}

#endif

} // namespace storedsettings
