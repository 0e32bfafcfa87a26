#include "app/ExportDlgLogic.h"
#include "export/ExportSettings.h"
#include "tests/export/MemoryStore.h"

#include <gtest/gtest.h>

// The dialog's checks, the same for the Qt and the Windows dialog.
TEST(ExportDlgLogic, ValuesTakenFromTheControls) {
    int decimals = -1;
    EXPECT_FALSE(exportdlg::TakeDecimals(" 16 ", decimals));
    EXPECT_EQ(decimals, 16);
    for (const char* text : {"17", "-1", "2.5", "", "x"})
        EXPECT_TRUE(exportdlg::TakeDecimals(text, decimals)) << text;
    float size = 0;
    EXPECT_FALSE(exportdlg::TakeSymbolSize("999999", size));
    EXPECT_EQ(size, 999999.0F);
    for (const char* text : {"0", "1000000", "12abc", "nan"})
        EXPECT_NE(exportdlg::TakeSymbolSize(text, size).value_or("").find("999999"), std::string::npos)
            << text;
    EXPECT_EQ(exportdlg::SymbolSizeText(2.5F), "2.5");
    EXPECT_FALSE(exportdlg::CheckLayerName(std::string(32, 'x')));
    EXPECT_TRUE(
        exportdlg::CheckLayerName(std::string(16, 'x') + std::string(8, '\xc3') + std::string(9, '\xa9')));
}
