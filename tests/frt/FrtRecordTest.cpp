#include "frt/FrtRecord.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

namespace {

using frtrecord::Key;

constexpr std::pair<Key, const char*> kNames[] = {
    {Key::PID, "PID"},   {Key::E, "E"},           {Key::N, "N"},           {Key::HO, "HO"},
    {Key::HE, "HE"},     {Key::GROUP, "GROUP"},   {Key::CODE, "CODE"},     {Key::PCLASS, "PCLASS"},
    {Key::LID, "LID"},   {Key::LSTYLE, "LSTYLE"}, {Key::LCOLOR, "LCOLOR"}, {Key::LWIDTH, "LWIDTH"},
    {Key::AREA, "AREA"}, {Key::SCOLOR, "SCOLOR"}, {Key::SSTYLE, "SSTYLE"},
};

// The record read in place must see every known key as the attribute map does, and must send
// every line with typed attributes to the map.
void ExpectSameAsMap(const std::string& line) {
    frtrecord::Record record;
    record.Parse(line);
    CAttributeMap map;
    frtrecord::Parse(line, map);
    bool typed = false;
    for (std::size_t i = 0; i < map.Size(); ++i)
        typed = typed || map.KeyAt(i).front() == '_';
    for (const auto& [key, name] : kNames)
        EXPECT_EQ(record.Get(key), map.GetText(name)) << name << " in \"" << line << '"';
    if (typed) {
        EXPECT_TRUE(record.HasTyped()) << line;
    }
}

TEST(FrtRecord, ReadsTheKnownKeysAsTheAttributeMapDoes) {
    for (const std::string& line : std::initializer_list<std::string>{
             "PID=1;E=2480516.572;N=1217839.320;HO=449.490;GROUP=SIGN;CODE=C25;PCLASS=EST",
             "E=1;E=;E=2",                              // the last non-empty value counts
             "E=1;E=",                                  // an empty value keeps the one before
             "  E = 7 ;N\t=\t8  ;HO= 9\t",              // blanks around the value go, a tab at its end stays
             "E =1;E=2",                                // a blank before "=" is part of the key
             ";;;E=1;;;N=2;;",                          // empty pairs
             "=5;E;N==3;HO=a=b",                        // no key, no "=", "=" inside the value
             "LID=L 1;LSTYLE=2 Dot;LCOLOR=09687d",      // blanks inside a value
             "_DPX=1.5;_SLNAME=x;E=3",                  // typed attributes
             "e=1;Pid=2;GROUPX=3;GROU=4",               // near misses stay unknown
             "LCOLORS=1;SSTYLEXY=2;PCLASSPCLASS=3;E=4", // keys of 7, 8 and 12 bytes
             "N=1;E",                                   // a key at the very end of the line
             "", std::string("E\0=1;N=2", 8),           // a NUL makes another key
         })
        ExpectSameAsMap(line);
}

TEST(FrtRecord, AgreesWithTheAttributeMapOnRandomLines) {
    // Lines made of the grammar's own characters and the known keys' letters, so that near
    // misses and odd spacing come up often.
    std::mt19937 random(20261208);
    const std::string alphabet = "EN=;  \t_HOPIDGRUCALSTYWex1.-";
    const char* const pieces[] = {"E",     "N",    "HO",     "HE",     "PID", "LID",
                                  "GROUP", "CODE", "PCLASS", "LCOLOR", "_DP"};
    for (int n = 0; n < 20000; ++n) {
        std::string line;
        const int parts = static_cast<int>(random() % 12);
        for (int i = 0; i < parts; ++i) {
            if (random() % 2 == 0)
                line += pieces[random() % std::size(pieces)];
            else
                line += alphabet[random() % alphabet.size()];
        }
        ExpectSameAsMap(line);
    }
}

} // namespace
