// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "frame_codec.h"
#include "payloads.h"
#include "text_number.h"

namespace q42 {
namespace {

std::string Frame(int nibbles)
{
    EncodeFrame(nibbles);
    return std::string(FrameTextView());
}

DeviceSettings AllTen()
{
    DeviceSettings s;
    s.iso_time = "2";
    for (auto f : {TextField::L9AttDl, TextField::L9AttUl, TextField::L7AttDl, TextField::L7AttUl,
                   TextField::L9DlIsoAdj, TextField::L9UlIsoAdj, TextField::L7DlIsoAdj, TextField::L7UlIsoAdj}) {
        s.Text(f) = "10";
    }
    s.smart_switch = s.sleep_mode = s.l9_pa_sw = s.l7_pa_sw = kSwitchOn;
    return s;
}

TEST(Payloads, FramesAreByteExact)
{
    const std::string query =
        ":FF21006D02002101002701002201002801004D01004B01004E01004C01005301002B01004901007E01004A01007F01\r\n";
    const std::string set =
        ":FF23006D0278000021010A0027010A0022010A0028010A004D010A004B010A004E010A004C010A00530101002B01010049"
        "0101007E0101004A0101007F0101\r\n";

    EXPECT_EQ(BuildQueryPayload(), 92);
    EXPECT_EQ(Frame(92), query);
    EXPECT_EQ(query.size(), 97u);

    EXPECT_EQ(BuildSetPayload(AllTen()), 124);
    EXPECT_EQ(Frame(124), set);
    EXPECT_EQ(set.size(), 129u);

    EXPECT_EQ(BuildSavePayload(), 2);
    EXPECT_EQ(Frame(2), ":FF06\r\n");

    // The query does not depend on what a set left in the shared area.
    BuildSetPayload(AllTen());
    BuildQueryPayload();
    EXPECT_EQ(Frame(92), query);

    // q42ctl's numbers in the form's order reach the unit's rows: odd minutes exactly, Sleep Mode
    // before SMART Switch, each PA switch in both its copies.
    EXPECT_EQ(BuildSetPayload(UnitValues{150, 0, 255, 12, 13, 1, 2, 3, 4, 1, 0, 1, 0}), 124);
    EXPECT_EQ(Frame(124), ":FF23006D02960000210100002701FF0022010C0028010D004D0101004B0102004E0103004C010400530100002B0101"
                          "00490101007E0101004A0100007F0100\r\n");
}

TEST(TextNumber, ReadsLikeTheFormAlwaysDid)
{
    struct Case {
        const char* text;
        std::int32_t value;
    };
    const Case cases[] = {
        {"", 0}, {"12abc", 12}, {" 7", 7}, {"-1", -1}, {"300", 300}, {"+5", 5}, {"\t\n\v\f\r 42", 42},
        {"  -0012x", -12}, {"abc", 0}, {"- 5", 0}, {"--5", 0}, {"7 8", 7},
        {"2147483647", 2147483647}, {"2147483648", 2147483647}, {"99999999999999999999999", 2147483647},
        {"-2147483648", -2147483647 - 1}, {"-2147483649", -2147483647 - 1},
        {"-99999999999999999999999", -2147483647 - 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextToInt(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(Payloads, SetValueConversions)
{
    struct Case {
        const char* name;
        TextField field;
        const char* text;
        std::size_t pos;
        const char* bytes;  // hex of the value bytes at pos
    };
    const Case cases[] = {
        {"empty", TextField::L9AttDl, "", 9, "00"},
        {"trailing letters", TextField::L9AttUl, "12abc", 13, "0C"},
        {"leading space", TextField::L7AttDl, " 7", 17, "07"},
        {"minus one", TextField::L7AttUl, "-1", 21, "FF"},
        {"low 8 bits of 300", TextField::L9DlIsoAdj, "300", 25, "2C"},
        {"256", TextField::L7DlIsoAdj, "256", 33, "00"},
        {"overflow saturates", TextField::L7UlIsoAdj, "99999999999", 37, "FF"},
        {"one hour", TextField::IsoTime, "1", 4, "3C00"},
        {"minutes past 16 bits", TextField::IsoTime, "1093", 4, "2C00"},
        {"1092 hours", TextField::IsoTime, "1092", 4, "F0FF"},
        {"hours saturate before minutes", TextField::IsoTime, "99999999999", 4, "C4FF"},
        {"negative hours", TextField::IsoTime, "-1", 4, "C4FF"},
    };
    for (const Case& c : cases) {
        DeviceSettings s;
        s.Text(c.field) = c.text;
        BuildSetPayload(s);
        const std::string frame = Frame(124);
        const std::string want = c.bytes;
        EXPECT_EQ(frame.substr(3 + 2 * c.pos, want.size()), want) << c.name;
    }
}

TEST(Payloads, EncodeFrameNeverOverruns)
{
    NibbleList.fill(0x1F);  // out-of-range entries are masked to their nibble
    EXPECT_EQ(EncodeFrame(1000), 133u);
    const std::string frame(FrameTextView());
    EXPECT_EQ(frame, ":FF" + std::string(128, 'F') + "\r\n");
    EXPECT_EQ(FrameText.back(), '\0');
    EXPECT_EQ(EncodeFrame(-3), 5u);
    EXPECT_EQ(std::string(FrameTextView()), ":FF\r\n");
}

}  // namespace
}  // namespace q42
