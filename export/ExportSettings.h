#pragma once

#include "convert/ExportOptions.h"
#include "export/ISettingsStore.h"

#include <array>
#include <string>

// The values the options dialog edits, with their stored names and defaults.
struct ExportSettings {
    static constexpr const char* kSection = "Dxf_Export";
    static constexpr int kColourCount = 7; // red, yellow, green, cyan, blue, magenta, black

    int m_bExportPoints = 1;
    int m_bExportLines = 1;
    int m_bExportAreas = 1;
    int m_bExportSymbols = 1;
    int m_nDimension = 1;    // 0 2D, 1 3D
    int m_nLineExport = 1;   // 0 separate DXF lines, 1 DXF polylines
    int m_bLayerPerCode = 1; // not stored: on at every start
    int m_bLabelPointId = 0;
    int m_bLabelEastNorth = 0;
    int m_bLabelHeight = 0;
    int m_bLabelCode = 0;
    std::string m_strLayerPointId = "PointID";
    std::string m_strLayerEastNorth = "Coords";
    std::string m_strLayerHeight = "Height";
    std::string m_strLayerCode = "Code";
    // Colour list selections, 0-based; -1 is no selection (a stored index outside 0..6).
    int m_nColourPointId = 1;
    int m_nColourEastNorth = 2;
    int m_nColourHeight = 3;
    int m_nColourCode = 4;
    int m_nDecimalsEN = 3;
    int m_nDecimalsH = 3;
    float m_fSymbolSize = 100.0F; // millimetres on the ground

    // The default layer names of the four label kinds, as the language file gives them.
    struct LayerDefaults {
        std::string pointId = "PointID";
        std::string eastNorth = "Coords";
        std::string height = "Height";
        std::string code = "Code";
    };

    // Reads every stored value with its default, in the stored order.
    void Load(ISettingsStore& store, const LayerDefaults& defaults);
    // Writes every stored value, in the stored order.
    void Store(ISettingsStore& store) const;
    // The record the reader and the conversion use.
    ExportOptions Build() const;
};
