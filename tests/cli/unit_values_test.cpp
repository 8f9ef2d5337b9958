// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "unit_values.h"
#include "values_file.h"

namespace q42::ctl {
namespace {

struct ValuesCase {
    const char* name;
    const char* text;      // a values file, or NAME=VALUE arguments one per line
    const char* problem;   // part of the message, or "" when the text is good
};

TEST(UnitValues, StrictReadingOfValuesAndFiles)
{
    const ValuesCase cases[] = {
        {"names in any case, '_' for space", "l9_att_dl=0\nISO TIME=1092\nsmart_switch=off\nL7_PA_SW=On", ""},
        {"comments and blank lines", "# unit 7\n\nL9 ATT_UL=255\n", ""},
        {"hours and minutes that agree", "ISO TIME=2\nISO TIME MINUTES=150", ""},
        {"JSON as get writes it", R"({"ISO TIME": 2, "ISO TIME MINUTES": 150, "Sleep Mode": "OFF"})", ""},
        {"unknown name", "L9 ATT=3", "unknown value name \"L9 ATT\""},
        {"repeated name", "l9_att_dl=1\nL9 ATT_DL=2", "L9 ATT_DL is given twice"},
        {"trailing text", "L9 ATT_DL=12abc", "not a whole number"},
        {"decimal", "L9 ATT_DL=1.5", "not a whole number"},
        {"negative", "L9 ATT_DL=-1", "out of range 0-255"},
        {"one past a byte", "L9 ATT_DL=256", "out of range 0-255"},
        {"hours past the minutes", "ISO TIME=1093", "out of range 0-1092"},
        {"minutes past 16 bits", "ISO TIME MINUTES=65536", "out of range 0-65535"},
        {"beyond 64 bits", "L9 ATT_DL=99999999999999999999", "out of range"},
        {"switch word", "Sleep Mode=1", "a switch is ON or OFF"},
        {"hours and minutes disagree", "ISO TIME=3\nISO TIME MINUTES=150", "disagree"},
        {"no equals sign", "L9 ATT_DL 5", "is not NAME=VALUE"},
        {"bad JSON", R"({"L9 ATT_DL": 5,)", "not valid JSON"},
        {"JSON fraction", R"({"L9 ATT_DL": 5.5})", "not a whole number"},
        {"JSON of the wrong type", R"({"L9 ATT_DL": true})", "a whole number or"},
        {"JSON list", "[1, 2]", "not one object"},
    };
    for (const auto& c : cases) {
        Edits edits;
        const std::string problem = ReadValuesText(QByteArray(c.text), edits);
        if (*c.problem == '\0') {
            EXPECT_EQ(problem, "") << c.name;
        } else {
            EXPECT_NE(problem.find(c.problem), std::string::npos) << c.name << ": " << problem;
        }
    }
}

// What get prints, set --from reads back to the same thirteen values, odd minutes included.
TEST(UnitValues, ListingsReadBackExactly)
{
    const UnitValues unit = {150, 0, 255, 12, 13, 1, 2, 3, 4, 1, 0, 1, 0};
    for (const std::string& listing : {FormatLines(unit, {}), FormatJson(unit, {})}) {
        Edits edits;
        ASSERT_EQ(ReadValuesText(QByteArray::fromStdString(listing), edits), "") << listing;
        EXPECT_EQ(Apply(edits, UnitValues{}), unit) << listing;
    }
}

// A settings answer read into values, and values written to the set payload's rows: only the byte 1
// is ON, and each PA switch's second copy carries the first's value.
TEST(UnitValues, FromTheUnitsRowsAndBack)
{
    UnitAnswer answer;
    answer.kind = AnswerKind::Settings;
    answer.rowValue = {150, 0, 255, 12, 13, 1, 2, 3, 4, 2, 1, 1, 0, 7, 1};
    const UnitValues values = ValuesOf(answer);
    EXPECT_EQ(values, (UnitValues{150, 0, 255, 12, 13, 1, 2, 3, 4, 1, 0, 1, 0}));
    EXPECT_EQ(ToWireValues(values), (WireValues{150, 0, 255, 12, 13, 1, 2, 3, 4, 0, 1, 1, 1, 0, 0}));
}

}  // namespace
}  // namespace q42::ctl
