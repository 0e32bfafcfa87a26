#pragma once

#include "convert/ExportOptions.h"
#include "export/ISettingsStore.h"

#include <functional>
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
    // The settings below are not on the dialog, whose template stays as it is: set by the batch
    // options or in the store, and stored only when not at their defaults, so that a store the
    // dialog wrote stays as it was.
    int m_bPointAttributes = 0;   // symbol inserts carry the point's values as attributes
    int m_bAsciiNames = 0;        // layer names of ASCII only (OPT_ASCII_NAMES)
    int m_bHatch = 0;             // areas with a hatch style get their hatch lines
    float m_fHatchSpacing = 0.0F; // of the hatch lines, in drawing units; 0: ten symbol sizes
    int m_bXData = 0;             // every element's values as extended data
    int m_bLabelAreaValue = 0;
    int m_bLabelLineName = 0;
    std::string m_strLayerAreaValue = "AreaValue";
    std::string m_strLayerLineName = "LineName";
    int m_nColourAreaValue = 5;
    int m_nColourLineName = 0;

    // A language file's text for a key, or the fallback: the default layer names come from it.
    using LanguageText = std::function<std::string(const char* key, const char* fallback)>;

    // Reads every stored value with its default (the layer names' defaults in the language given),
    // as the settings table lists them (SettingsSchema.cpp).
    void Load(ISettingsStore& store, const LanguageText& language = {});
    // Writes every stored value, in the stored order.
    void Store(ISettingsStore& store) const;
    // The record the reader and the conversion use.
    [[nodiscard]] ExportOptions Build() const;
};
