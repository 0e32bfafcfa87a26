#include "export/ExportSettings.h"
#include "export/IniSettingsStore.h"
#include "export/SettingsSchema.h"
#include "tests/export/MemoryStore.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <variant>

TEST(ExportSettings, FirstRunDefaults) {
    MemoryStore empty;
    ExportSettings settings;
    settings.m_bLayerPerCode = 0;
    settings.Load(empty, [](const char* key, const char* fallback) {
        return std::string(key) == "POINT_ID_NAME" ? std::string("Punktnummer") : std::string(fallback);
    });
    EXPECT_EQ(settings.m_strLayerPointId, "Punktnummer");
    EXPECT_EQ(settings.m_strLayerCode, "Code");
    const ExportOptions options = ExportSettings().Build();
    EXPECT_EQ(options.dataKinds, 7);
    EXPECT_EQ(options.flags, OPT_SYMBOLS | OPT_LAYER_PER_CODE | OPT_3D);
    EXPECT_DOUBLE_EQ(options.symbolScale, 100.0 * static_cast<double>(0.0005F));
    EXPECT_NEAR(options.symbolScale, 0.0500000024, 1e-10);
    EXPECT_TRUE(options.labels.empty());

    // An empty store gives every stored value its one default, ExportSettings{}'s, whatever it held.
    ExportSettings loaded;
    for (const settingschema::Setting& setting : settingschema::kSettings) {
        if (std::holds_alternative<int ExportSettings::*>(setting.member))
            setting.Field<int>(loaded) = 5;
        else if (std::holds_alternative<float ExportSettings::*>(setting.member))
            setting.Field<float>(loaded) = 5;
        else
            setting.Field<std::string>(loaded) = "x";
    }
    loaded.Load(empty);
    for (const settingschema::Setting& setting : settingschema::kSettings) {
        if (setting.stored != nullptr) {
            EXPECT_EQ(setting.Spelled(loaded), setting.Spelled(ExportSettings{})) << setting.stored;
        }
    }
}

TEST(ExportSettings, BuildFollowsTheSwitches) {
    ExportSettings settings;
    settings.m_bLabelEastNorth = 1;
    settings.m_bLabelCode = 1;
    settings.m_nDecimalsEN = 4;
    settings.m_bExportPoints = 0;
    settings.m_nDimension = 0;
    settings.m_nLineExport = 0;
    settings.m_fSymbolSize = 2.5F;
    const ExportOptions options = settings.Build();
    ASSERT_EQ(options.labels.size(), 2U);
    EXPECT_EQ(options.labels[0].kind, LABEL_EAST_NORTH);
    EXPECT_EQ(options.labels[0].colour, 3);
    EXPECT_EQ(options.labels[0].decimals, 4);
    EXPECT_EQ(options.labels[1].kind, LABEL_CODE);
    EXPECT_EQ(options.labels[1].colour, 5);
    EXPECT_EQ(options.dataKinds, 6);
    EXPECT_EQ(options.flags & OPT_SEPARATE_LINES, OPT_SEPARATE_LINES);
    EXPECT_EQ(options.flags & OPT_3D, 0);
    EXPECT_NEAR(options.symbolScale, 0.00125, 1e-10);
}

TEST(ExportSettings, StoreAndLoadRoundTrip) {
    MemoryStore store;
    ExportSettings settings;
    settings.m_bLabelHeight = 1;
    settings.m_strLayerHeight = "Höhe";
    settings.m_fSymbolSize = 2.5F;
    settings.m_nColourHeight = -1; // no selection, as a stored 9 gives
    settings.m_bLayerPerCode = 0;
    settings.Store(store);
    EXPECT_EQ(store.order,
              (std::vector<std::string>{"ExportPoinst", "ExportLines",       "ExportAreas", "ExportQVO",
                                        "Dimension",    "ExportAsPolylines", "NamePointId", "NameEastNorth",
                                        "NameHeight",   "NameCode",          "LabelPoint",  "LabelLines",
                                        "LabelAreas",   "LabelQVOSymbol",    "DecimalsEN",  "DecimalsH",
                                        "ColorPoint",   "ColorEN",           "ColorH",      "ColorCode",
                                        "SymbolSize"}));
    EXPECT_EQ(std::get<std::string>(store.values["Dxf_Export/SymbolSize"]), "2.500000");
    EXPECT_EQ(std::get<int>(store.values["Dxf_Export/ColorH"]), -1);
    EXPECT_EQ(store.values.count("Dxf_Export/LayerPerCode"), 0U);

    ExportSettings loaded;
    loaded.Load(store);
    EXPECT_EQ(loaded.m_strLayerHeight, "Höhe");
    EXPECT_EQ(loaded.m_fSymbolSize, 2.5F);
    EXPECT_EQ(loaded.m_nColourHeight, -1);
    EXPECT_EQ(loaded.m_bLayerPerCode, 1) << "one layer per code group is on at every start";
    const ExportOptions options = loaded.Build();
    ASSERT_EQ(options.labels.size(), 1U);
    EXPECT_EQ(options.labels[0].colour, 0) << "no selection gives colour 0";
    store.values["Dxf_Export/SymbolSize"] = std::string("abc");
    loaded.Load(store);
    EXPECT_EQ(loaded.m_fSymbolSize, 100.0F) << "no number: the default";
}

// The settings without a place on the dialog: read, kept through a store, and written only
// when not at their defaults, so that a default setup stores what it always stored.
TEST(ExportSettings, SettingsTheDialogLacksAreKeptThroughTheStoreWhenChanged) {
    MemoryStore store;
    store.values["Dxf_Export/PointAttributes"] = 1;
    store.values["Dxf_Export/DecimalsH"] = 5;
    store.values["Dxf_Export/Hatch"] = 1;
    store.values["Dxf_Export/HatchSpacing"] = std::string("2.5");
    store.values["Dxf_Export/LabelAreaValue"] = 1;
    store.values["Dxf_Export/NameAreaValue"] = std::string("Flächen");
    ExportSettings settings;
    settings.Load(store);
    EXPECT_EQ(settings.m_bPointAttributes, 1);
    ExportOptions options = settings.Build();
    EXPECT_EQ(options.flags & OPT_POINT_ATTRIBUTES, OPT_POINT_ATTRIBUTES);
    EXPECT_EQ(options.flags & (OPT_HATCH | OPT_XDATA), OPT_HATCH);
    EXPECT_EQ(options.hatchSpacing, 2.5);
    ASSERT_EQ(options.labels.size(), 1U);
    EXPECT_EQ(options.labels[0].kind, LABEL_AREA);
    EXPECT_EQ(options.labels[0].layerName, "Flächen");
    EXPECT_EQ(options.labels[0].colour, 6);
    EXPECT_EQ(options.heightDecimals, 5) << "the height label's decimals, also without the label";
    EXPECT_EQ(options.labels[0].decimals, 5);
    EXPECT_EQ(ExportSettings().Build().hatchSpacing, 1.0) << "ten symbols of 100 mm";

    MemoryStore written;
    settings.Store(written);
    EXPECT_EQ(std::vector<std::string>(written.order.end() - 5, written.order.end()),
              (std::vector<std::string>{"PointAttributes", "Hatch", "HatchSpacing", "LabelAreaValue",
                                        "NameAreaValue"}));
    ExportSettings again;
    again.Load(written);
    EXPECT_EQ(again.m_bPointAttributes, 1);

    again.m_bPointAttributes = 0;
    MemoryStore plain;
    again.Store(plain);
    EXPECT_EQ(plain.values.count("Dxf_Export/PointAttributes"), 0U);
    EXPECT_EQ(again.Build().flags & OPT_POINT_ATTRIBUTES, 0);
}

TEST(IniSettingsStore, ReadsWhatQSettingsWritesAndWritesItBack) {
    TempDir dir;
    const std::string path =
        dir.Write("s.ini", "[General]\nX=1\n\n[Dxf_Export]\nDecimalsEN=5\n"
                           "NameCode=\"  padded, name  \"\nNameHeight=H\\xf6he\n"
                           "NamePointId=Point ID\nSymbolSize=250.000000\nTabbed=a\\tb\\nc\\\\d\\q\n");
    IniSettingsStore store(path);
    EXPECT_EQ(store.ReadInt("Dxf_Export", "DecimalsEN", 3), 5);
    EXPECT_EQ(store.ReadInt("Dxf_Export", "DecimalsH", 3), 3);
    EXPECT_EQ(store.ReadText("Dxf_Export", "NameCode", ""), "  padded, name  ");
    EXPECT_EQ(store.ReadText("Dxf_Export", "NameHeight", ""), "H\xc3\xb6he");
    EXPECT_EQ(store.ReadText("Dxf_Export", "NamePointId", ""), "Point ID");
    EXPECT_EQ(store.ReadInt("General", "X", 0), 1);
    EXPECT_EQ(store.ReadText("Dxf_Export", "Tabbed", ""), "a\tb\nc\\dq");
    store.WriteText("Dxf_Export", "NameEastNorth", " a;b ");
    store.WriteInt("Dxf_Export", "DecimalsH", 7);
    ASSERT_TRUE(store.Flush());
    IniSettingsStore again(path);
    EXPECT_EQ(again.ReadText("Dxf_Export", "NameEastNorth", ""), " a;b ");
    EXPECT_EQ(again.ReadInt("Dxf_Export", "DecimalsH", 0), 7);
    EXPECT_EQ(again.ReadText("Dxf_Export", "NameCode", ""), "  padded, name  ");
}

// A stored value is read whole: one that is no whole number (or no number, for the size) is not
// read as another valid value but said, and its default is used; a colour outside the list is
// said too, and selects none.
TEST(IniSettingsStore, ValuesThatAreNoNumbersAreSaidAndTheirDefaultsUsed) {
    TempDir dir;
    const struct {
        const char* stored;
        const char* said;
    } cases[] = {
        {"ExportPoinst=true", "ExportPoinst: 'true' is not a whole number"},
        {"ExportPoinst=abc", "ExportPoinst: 'abc' is not a whole number"},
        {"DecimalsEN=3.7", "DecimalsEN: '3.7' is not a whole number"},
        {"DecimalsEN=nan", "DecimalsEN: 'nan' is not a whole number"},
        {"DecimalsEN=1e400", "DecimalsEN: '1e400' is not a whole number"},
        {"DecimalsEN=0x10", "DecimalsEN: '0x10' is not a whole number"},
        {"SymbolSize=50mm", "SymbolSize: '50mm' is not a number"},
        {"DecimalsEN=99999999999", "DecimalsEN: the number 99999999999 is out of range"},
        {"ColorPoint=7", "ColorPoint: 7 is not one of the colours 0 to 6"},
        {"ColorPoint=-1", "ColorPoint: -1 is not one of the colours 0 to 6"},
    };
    for (const auto& c : cases) {
        IniSettingsStore store(dir.Write("s.ini", std::string("[Dxf_Export]\n") + c.stored + "\n"));
        ExportSettings settings;
        settings.Load(store);
        EXPECT_EQ(store.BadValue(), c.said) << c.stored;
        const ExportSettings defaults;
        EXPECT_EQ(settings.m_bExportPoints, defaults.m_bExportPoints) << c.stored;
        EXPECT_EQ(settings.m_fSymbolSize, defaults.m_fSymbolSize) << c.stored;
        EXPECT_EQ(settings.m_nColourPointId, c.stored[0] == 'C' ? -1 : defaults.m_nColourPointId) << c.stored;
    }
    IniSettingsStore plain(dir.Write("s.ini", "[Dxf_Export]\nDecimalsEN= 5 \nSymbolSize=250.000000\n"));
    ExportSettings settings;
    settings.Load(plain);
    EXPECT_EQ(plain.BadValue(), "");
    EXPECT_EQ(settings.m_nDecimalsEN, 5);
    EXPECT_EQ(settings.m_fSymbolSize, 250.0F);
}

// The desktop program keeps its choices here: a file it cannot use stays exactly as it is.
TEST(IniSettingsStore, AFileItCannotUseIsNeitherReadNorReplaced) {
    TempDir dir;
    const std::string large = dir.Write("large.ini", std::string("[Dxf_Export]\nDecimalsEN=5\n") +
                                                         std::string(IniSettingsStore::kMaxBytes, ';'));
    const std::string folder = dir.File("folder.ini");
    std::filesystem::create_directory(folder);
    for (const std::string& path : {large, folder}) {
        IniSettingsStore store(path);
        EXPECT_TRUE(store.Refused()) << path;
        EXPECT_FALSE(store.Problem().empty()) << path;
        EXPECT_EQ(store.ReadInt("Dxf_Export", "DecimalsEN", 3), 3) << path;
        store.WriteInt("Dxf_Export", "DecimalsEN", 7);
        EXPECT_FALSE(store.Flush()) << path;
    }
    EXPECT_EQ(std::filesystem::file_size(large), 26 + IniSettingsStore::kMaxBytes);
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    // No file yet: the defaults, and the first Flush makes it, folders and all.
    IniSettingsStore fresh(dir.File("new/frt2dxf.ini"));
    EXPECT_FALSE(fresh.Refused());
    EXPECT_EQ(fresh.Problem(), "no stored settings there");
    fresh.WriteInt("Dxf_Export", "DecimalsEN", 7);
    ASSERT_TRUE(fresh.Flush());
    EXPECT_EQ(IniSettingsStore(dir.File("new/frt2dxf.ini")).ReadInt("Dxf_Export", "DecimalsEN", 3), 7);
}
