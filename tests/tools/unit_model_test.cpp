// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "frame_codec.h"
#include "payloads.h"
#include "unit_model.h"

namespace q42::sim {
namespace {

std::string Line(int nibbles)
{
    const std::size_t length = EncodeFrame(nibbles);
    return std::string(FrameTextView().substr(0, length - 2));  // without CR LF
}

TEST(UnitModel, AnswersInTheSetLayout)
{
    UnitModel unit;
    const auto answer = unit.Answer(Line(BuildQueryPayload()));
    ASSERT_TRUE(answer);
    EXPECT_EQ(AnswerText(*answer, false),
              ">21006D0278000021010A0027010A0022010C0028010C004D0100004B0100004E0100004C010000530100002B0101004901"
              "01007E0101004A0101007F0101\r\n");
}

TEST(UnitModel, SetIsStoredAndQueriedBack)
{
    UnitModel unit;
    DeviceSettings s;
    s.iso_time = "3";
    s.l9_att_dl = "7";
    s.l9_pa_sw = kSwitchOff;
    const auto ack = unit.Answer(Line(BuildSetPayload(s)));
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->size(), 1u);
    const auto answer = unit.Answer(Line(BuildQueryPayload()));
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->size(), 62u);
    EXPECT_EQ((*answer)[4], 180);
    EXPECT_EQ((*answer)[9], 7);
    EXPECT_EQ((*answer)[49], 0);
    EXPECT_EQ(unit.SaveCount(), 0);
    EXPECT_EQ(unit.Answer(Line(BuildSavePayload())), std::vector<std::uint8_t>{0x00});
    EXPECT_EQ(unit.SaveCount(), 1);
}

TEST(UnitModel, IgnoresWhatItDoesNotUnderstand)
{
    UnitModel unit;
    for (const char* line : {"", ":FF", ":FF2", ":FFZZ", "FF21", ":EE06", ":FF99", ":FF2100"}) {
        EXPECT_FALSE(unit.Answer(line)) << line;
    }
}

}  // namespace
}  // namespace q42::sim
