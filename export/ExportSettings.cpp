#include "export/ExportSettings.h"

#include "common/NumberText.h"

#include <cstdio>

namespace {

// A colour selection index (0..6, else -1) from a stored value.
int ColourSelection(int stored) {
    return stored >= 0 && stored < ExportSettings::kColourCount ? stored : -1;
}

} // namespace

void ExportSettings::Load(ISettingsStore& store, const LayerDefaults& defaults) {
    m_nColourPointId = ColourSelection(store.ReadInt(kSection, "ColorPoint", 1));
    m_nColourEastNorth = ColourSelection(store.ReadInt(kSection, "ColorEN", 2));
    m_nColourHeight = ColourSelection(store.ReadInt(kSection, "ColorH", 3));
    m_nColourCode = ColourSelection(store.ReadInt(kSection, "ColorCode", 4));
    m_strLayerPointId = store.ReadText(kSection, "NamePointId", defaults.pointId);
    m_strLayerEastNorth = store.ReadText(kSection, "NameEastNorth", defaults.eastNorth);
    m_strLayerHeight = store.ReadText(kSection, "NameHeight", defaults.height);
    m_strLayerCode = store.ReadText(kSection, "NameCode", defaults.code);
    m_bLabelPointId = store.ReadInt(kSection, "LabelPoint", 0);
    m_bLabelEastNorth = store.ReadInt(kSection, "LabelLines", 0);
    m_bLabelHeight = store.ReadInt(kSection, "LabelAreas", 0);
    m_bLabelCode = store.ReadInt(kSection, "LabelQVOSymbol", 0);
    m_nDecimalsEN = store.ReadInt(kSection, "DecimalsEN", 3);
    m_nDecimalsH = store.ReadInt(kSection, "DecimalsH", 3);
    m_fSymbolSize = static_cast<float>(numtext::ParseDouble(store.ReadText(kSection, "SymbolSize", "100")));
    m_bExportPoints = store.ReadInt(kSection, "ExportPoinst", 1);
    m_bExportLines = store.ReadInt(kSection, "ExportLines", 1);
    m_bExportAreas = store.ReadInt(kSection, "ExportAreas", 1);
    m_bExportSymbols = store.ReadInt(kSection, "ExportQVO", 1);
    m_nDimension = store.ReadInt(kSection, "Dimension", 1);
    m_nLineExport = store.ReadInt(kSection, "ExportAsPolylines", 1);
}

void ExportSettings::Store(ISettingsStore& store) const {
    store.WriteInt(kSection, "ExportPoinst", m_bExportPoints);
    store.WriteInt(kSection, "ExportLines", m_bExportLines);
    store.WriteInt(kSection, "ExportAreas", m_bExportAreas);
    store.WriteInt(kSection, "ExportQVO", m_bExportSymbols);
    store.WriteInt(kSection, "Dimension", m_nDimension);
    store.WriteInt(kSection, "ExportAsPolylines", m_nLineExport);
    store.WriteText(kSection, "NamePointId", m_strLayerPointId);
    store.WriteText(kSection, "NameEastNorth", m_strLayerEastNorth);
    store.WriteText(kSection, "NameHeight", m_strLayerHeight);
    store.WriteText(kSection, "NameCode", m_strLayerCode);
    store.WriteInt(kSection, "LabelPoint", m_bLabelPointId);
    store.WriteInt(kSection, "LabelLines", m_bLabelEastNorth);
    store.WriteInt(kSection, "LabelAreas", m_bLabelHeight);
    store.WriteInt(kSection, "LabelQVOSymbol", m_bLabelCode);
    store.WriteInt(kSection, "DecimalsEN", m_nDecimalsEN);
    store.WriteInt(kSection, "DecimalsH", m_nDecimalsH);
    store.WriteInt(kSection, "ColorPoint", m_nColourPointId);
    store.WriteInt(kSection, "ColorEN", m_nColourEastNorth);
    store.WriteInt(kSection, "ColorH", m_nColourHeight);
    store.WriteInt(kSection, "ColorCode", m_nColourCode);
    store.WriteText(kSection, "SymbolSize", numtext::FormatFixed(m_fSymbolSize, 6)); // as "%f"
}

ExportOptions ExportSettings::Build() const {
    ExportOptions options;
    options.dataKinds = (m_bExportPoints != 0 ? DATA_KIND_POINTS : 0) |
                        (m_bExportLines != 0 ? DATA_KIND_LINES : 0) |
                        (m_bExportAreas != 0 ? DATA_KIND_AREAS : 0);
    options.flags = (m_nDimension != 0 ? OPT_3D : 0) | (m_bExportSymbols != 0 ? OPT_SYMBOLS : 0) |
                    (m_bLayerPerCode != 0 ? OPT_LAYER_PER_CODE : 0) |
                    (m_nLineExport == 0 ? OPT_SEPARATE_LINES : 0);
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
