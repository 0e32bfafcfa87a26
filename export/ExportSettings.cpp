#include "export/ExportSettings.h"

#include "common/NumberText.h"
#include "export/SettingsSchema.h"

#include <string>

namespace {

using settingschema::Kind;
using settingschema::Setting;

// A colour selection index (0..6, else -1) from a stored value.
int ColourSelection(int stored) {
    return stored >= 0 && stored < ExportSettings::kColourCount ? stored : -1;
}

} // namespace

void ExportSettings::Load(ISettingsStore& store, const LanguageText& language) {
    for (const Setting& setting : settingschema::kSettings) {
        if (setting.stored == nullptr)
            continue;
        switch (setting.kind) {
        case Kind::Switch:
        case Kind::Choice:
        case Kind::Decimals:
            setting.Field<int>(*this) = store.ReadInt(kSection, setting.stored, setting.defaultNumber);
            break;
        case Kind::Colour:
            setting.Field<int>(*this) =
                ColourSelection(store.ReadInt(kSection, setting.stored, setting.defaultNumber));
            break;
        case Kind::LayerName:
            setting.Field<std::string>(*this) =
                store.ReadText(kSection, setting.stored, settingschema::DefaultText(setting, language));
            break;
        case Kind::SymbolSize: {
            // Read whole: "50mm" is no size of 50.
            const std::string text =
                store.ReadText(kSection, setting.stored, std::to_string(setting.defaultNumber));
            double size = setting.defaultNumber;
            if (!numtext::ParseWhole(text, &size)) {
                store.NoteBadValue(setting.stored, "'" + text + "' is not a number");
                size = setting.defaultNumber;
            }
            setting.Field<float>(*this) = static_cast<float>(size);
            break;
        }
        }
    }
    m_bPointAttributes = store.ReadInt(kSection, kPointAttributes, 0) != 0 ? 1 : 0;
    m_bAsciiNames = store.ReadInt(kSection, kAsciiNames, 0) != 0 ? 1 : 0;
}

void ExportSettings::Store(ISettingsStore& store) const {
    for (const Setting& setting : settingschema::kSettings) {
        if (setting.stored == nullptr)
            continue;
        switch (setting.kind) {
        case Kind::Switch:
        case Kind::Choice:
        case Kind::Decimals:
        case Kind::Colour:
            store.WriteInt(kSection, setting.stored, setting.Field<int>(*this));
            break;
        case Kind::LayerName:
            store.WriteText(kSection, setting.stored, setting.Field<std::string>(*this));
            break;
        case Kind::SymbolSize:
            store.WriteText(kSection, setting.stored,
                            numtext::FormatFixed(setting.Field<float>(*this), 6)); // as "%f"
            break;
        }
    }
    // Written only when on: the stored values of a default setup stay the ones the host knows.
    if (m_bPointAttributes != 0)
        store.WriteInt(kSection, kPointAttributes, m_bPointAttributes);
    if (m_bAsciiNames != 0)
        store.WriteInt(kSection, kAsciiNames, m_bAsciiNames);
}

ExportOptions ExportSettings::Build() const {
    ExportOptions options;
    options.dataKinds = (m_bExportPoints != 0 ? DATA_KIND_POINTS : 0) |
                        (m_bExportLines != 0 ? DATA_KIND_LINES : 0) |
                        (m_bExportAreas != 0 ? DATA_KIND_AREAS : 0);
    options.flags =
        (m_nDimension != 0 ? OPT_3D : 0) | (m_bExportSymbols != 0 ? OPT_SYMBOLS : 0) |
        (m_bLayerPerCode != 0 ? OPT_LAYER_PER_CODE : 0) | (m_nLineExport == 0 ? OPT_SEPARATE_LINES : 0) |
        (m_bPointAttributes != 0 ? OPT_POINT_ATTRIBUTES : 0) | (m_bAsciiNames != 0 ? OPT_ASCII_NAMES : 0);
    options.heightDecimals = m_nDecimalsH;
    // The factor is the single-precision value nearest 0.0005; the product is a double.
    options.symbolScale = static_cast<double>(m_fSymbolSize) * static_cast<double>(0.0005F);
    const auto colour = [](int selection) { return selection >= 0 ? selection + 1 : 0; };
    if (m_bLabelPointId != 0)
        options.labels.push_back({LABEL_POINT_ID, m_strLayerPointId, colour(m_nColourPointId), 0});
    if (m_bLabelEastNorth != 0)
        options.labels.push_back(
            {LABEL_EAST_NORTH, m_strLayerEastNorth, colour(m_nColourEastNorth), m_nDecimalsEN});
    if (m_bLabelHeight != 0)
        options.labels.push_back({LABEL_HEIGHT, m_strLayerHeight, colour(m_nColourHeight), m_nDecimalsH});
    if (m_bLabelCode != 0)
        options.labels.push_back({LABEL_CODE, m_strLayerCode, colour(m_nColourCode), 0});
    return options;
}
