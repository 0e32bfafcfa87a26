#include "frt/FrtHeader.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

TEST(HeaderCheck, RecognisesOnlyTheExactFormatLine) {
    TempDir dir;
    const struct {
        const char* content;
        FrtFormat expected;
    } cases[] = {
        {"[Header]\r\nFormat=Rev2Ezi;Version=2\r\n", FRT_FORMAT_DXF},
        {"[Header]\nFormat=Rev2Ezi", FRT_FORMAT_DXF},
        {"[Header]\r\nFormat=Raz2Azi;Version=1\r\n", FRT_FORMAT_SHP},
        {"[Header]\r\nFormat=rev2ezi\r\n", FRT_FORMAT_NONE},
        {"[Header]\r\nFormat= Rev2Ezi\r\n", FRT_FORMAT_NONE},
        {"[Header]\r\nFormat=Rev2Ezi \r\n", FRT_FORMAT_NONE},
        {"[Header] \r\nFormat=Rev2Ezi\r\n", FRT_FORMAT_NONE},
        {"\xEF\xBB\xBF[Header]\r\nFormat=Rev2Ezi\r\n", FRT_FORMAT_DXF}, // a UTF-8 file's byte-order mark
        {"[Header]\r\n\xEF\xBB\xBF[Header]\r\nFormat=Rev2Ezi\r\n", FRT_FORMAT_NONE},
        {"[Header]\r\n[Header]\r\nFormat=Rev2Ezi\r\n", FRT_FORMAT_NONE},
        {"[Header]\r\nFormat=Other\r\n[Points]\r\n[Header]\r\nFormat=Rev2Ezi;X\r\n", FRT_FORMAT_DXF},
        {"[Points]\r\nPID=1\r\n[Header]", FRT_FORMAT_NONE},
        {"[Header]\r\nFormat=;Rev2Ezi\r\n", FRT_FORMAT_NONE},
        {"[Header]\r\nFormat=Rev2Ezi2\r\n", FRT_FORMAT_NONE},
        {"", FRT_FORMAT_NONE},
    };
    for (const auto& c : cases) {
        const std::string path = dir.Write("h.frt", c.content);
        EXPECT_EQ(frtheader::CheckFrtHeader(path), c.expected) << c.content;
    }
    EXPECT_EQ(frtheader::CheckFrtHeader(dir.File("missing.frt")), FRT_FORMAT_NONE);
    EXPECT_EQ(frtheader::CheckFrtHeader(dir.Path().string()), FRT_FORMAT_NONE);
    // Huge lines around the header are looked at, not held; a huge format name is no match.
    const std::string big(3'000'000, 'x');
    EXPECT_EQ(frtheader::CheckFrtHeader(dir.Write("big.frt", big + "\n[Header]\nFormat=Rev2Ezi\n")),
              FRT_FORMAT_DXF);
    EXPECT_EQ(frtheader::CheckFrtHeader(dir.Write("long.frt", "[Header]\nFormat=Rev2Ezi" + big + "\n")),
              FRT_FORMAT_NONE);
}
