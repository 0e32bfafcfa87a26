#include "export/ExportSettings.h"

#include "common/NumberText.h"

ExportOptions ExportSettings::Build() const {
    ExportOptions options;
    options.dataKinds = (m_bExportPoints != 0 ? DATA_KIND_POINTS : 0) |
                        (m_bExportLines != 0 ? DATA_KIND_LINES : 0) |
                        (m_bExportAreas != 0 ? DATA_KIND_AREAS : 0);
    options.flags =
        (m_nDimension != 0 ? OPT_3D : 0) | (m_bExportSymbols != 0 ? OPT_SYMBOLS : 0) |
        (m_bLayerPerCode != 0 ? OPT_LAYER_PER_CODE : 0) | (m_nLineExport == 0 ? OPT_SEPARATE_LINES : 0) |
        (m_bPointAttributes != 0 ? OPT_POINT_ATTRIBUTES : 0) | (m_bAsciiNames != 0 ? OPT_ASCII_NAMES : 0) |
        (m_bHatch != 0 ? OPT_HATCH : 0) | (m_bXData != 0 ? OPT_XDATA : 0);
    options.heightDecimals = m_nDecimalsH;
    // The factor is the single-precision value nearest 0.0005; the product is a double.
    options.symbolScale = static_cast<double>(m_fSymbolSize) * static_cast<double>(0.0005F);
    // Ten symbol sizes by default: 1 m for the usual 100 mm. As the numbers read, not as the
    // nearest floats: "0.3" is 0.3.
    const auto decimal = [](float value) {
        return numtext::ParseDouble(numtext::FormatShortestFloat(value));
    };
    options.hatchSpacing = m_fHatchSpacing > 0 ? decimal(m_fHatchSpacing) : decimal(m_fSymbolSize) / 100;
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
    if (m_bLabelAreaValue != 0)
        options.labels.push_back({LABEL_AREA, m_strLayerAreaValue, colour(m_nColourAreaValue), m_nDecimalsH});
    if (m_bLabelLineName != 0)
        options.labels.push_back({LABEL_LINE_NAME, m_strLayerLineName, colour(m_nColourLineName), 0});
    return options;
}
