// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "answer.h"
#include "recording_sink.h"

namespace q42 {
namespace {

using test::Held;
using test::RecordingSink;
using Strings = std::vector<std::string>;

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    std::string out;
    for (std::uint8_t b : bytes) {
        out += {"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 0x0F]};
    }
    return out;
}

// A 62-byte query answer with distinct values everywhere.
std::vector<std::uint8_t> QueryAnswer()
{
    std::vector<std::uint8_t> b(62, 0);
    b[0] = 0x21;
    b[4] = 0x2B;  // 3627 minutes, low byte first: 60 whole hours
    b[5] = 0x0E;
    const std::uint8_t values[] = {1, 2, 3, 4, 200, 6, 7, 255};
    for (int k = 0; k < 8; ++k) {
        b[9 + 4 * k] = values[k];
    }
    b[41] = 1;  // sleep on
    b[45] = 0;  // smart off
    b[49] = 1;  // L9 PA on
    b[53] = 0;  // second copy, never read
    b[57] = 2;  // only 1 means on
    b[61] = 1;
    return b;
}

TEST(ParseAnswer, QueryAnswerFillsTheFormBeforeTheMessage)
{
    ReceiveBuffer buffer = Held(">" + Hex(QueryAnswer()) + "\r\n");
    RecordingSink sink;
    EXPECT_EQ(ParseAnswer(buffer, sink), AnswerKind::Settings);
    EXPECT_EQ(sink.calls, (Strings{
                              "ISO TIME=60", "L9 ATT_DL=1", "L9 ATT_UL=2", "L7 ATT_DL=3", "L7 ATT_UL=4",
                              "L9 DL ISO ADJ=200", "L9 UL ISO ADJ=6", "L7 DL ISO ADJ=7", "L7 UL ISO ADJ=255",
                              "Sleep Mode=ON", "SMART Switch=OFF", "L9_PA_SW=ON", "L7_PA_SW=OFF",
                              "refresh", "message Search Success!",
                          }));
    EXPECT_EQ(buffer.count, 2u) << "the CR LF is left counted";
}

TEST(ParseAnswer, ByDecodedLength)
{
    struct Case {
        const char* name;
        std::string burst;
        AnswerKind outcome;
        Strings calls;
        bool zeroed;
    };
    auto answer = QueryAnswer();
    const std::string thirty = ">" + Hex({answer.begin(), answer.begin() + 30}) + "\r\n";
    const std::string twentyNine = ">" + Hex({answer.begin(), answer.begin() + 29}) + "\r\n";
    const std::string thirtyThree = ">" + Hex({answer.begin(), answer.begin() + 33}) + "\r\n";
    const Strings upToL9UlIsoAdj = {"ISO TIME=60", "L9 ATT_DL=1", "L9 ATT_UL=2", "L7 ATT_DL=3", "L7 ATT_UL=4",
                                    "L9 DL ISO ADJ=200", "L9 UL ISO ADJ=6", "refresh", "message Search Success!"};
    const Case cases[] = {
        {"one byte", ">06\r\n", AnswerKind::Acknowledged, {"message Success!"}, false},
        {"one byte, any value", ">FF\r\n", AnswerKind::Acknowledged, {"message Success!"}, false},
        {"29 bytes", twentyNine, AnswerKind::Ignored, {}, false},
        {"30 bytes reads only what came", thirty, AnswerKind::Settings, upToL9UlIsoAdj, false},
        {"33 bytes end just before the value at 33", thirtyThree, AnswerKind::Settings, upToL9UlIsoAdj, false},
        {"odd digits", ">123\r\n", AnswerKind::Ignored, {}, false},
        {"garbage payload", ">" + std::string(124, 'Z') + "\r\n", AnswerKind::Ignored, {}, false},
        {"no start", "0102\r\n", AnswerKind::NoFrame, {}, true},
        {"empty payload", ">\r\n", AnswerKind::NoFrame, {}, true},
        {"CR without LF", ">06\r\r", AnswerKind::NoFrame, {}, true},
    };
    for (const Case& c : cases) {
        ReceiveBuffer buffer = Held(c.burst);
        RecordingSink sink;
        EXPECT_EQ(ParseAnswer(buffer, sink), c.outcome) << c.name;
        EXPECT_EQ(sink.calls, c.calls) << c.name;
        const bool zeroed = std::all_of(buffer.data.begin(), buffer.data.end(), [](auto b) { return b == 0; });
        EXPECT_EQ(zeroed, c.zeroed) << c.name;
    }
}

// The typed reading q42ctl takes: each value as the unit keeps it, and whether all thirteen came.
TEST(InterpretAnswer, ValuesAsTheUnitKeepsThem)
{
    const auto bytes = QueryAnswer();
    // Which values each length carries, the last value rightmost: 30 bytes end after L9 UL ISO ADJ,
    // 57 just before L7_PA_SW's byte.
    const std::tuple<std::size_t, bool, const char*> lengths[] = {
        {30, false, "0000001111111"}, {57, false, "0111111111111"}, {58, true, "1111111111111"}, {62, true, "1111111111111"}};
    // ISO TIME in minutes; a switch byte other than 1 (L7_PA_SW's 2) reads as OFF.
    const UnitValues all = {3627, 1, 2, 3, 4, 200, 6, 7, 255, 0, 1, 1, 0};
    for (const auto& [length, everyValue, carried] : lengths) {
        ReceiveBuffer buffer = Held(">" + Hex({bytes.begin(), bytes.begin() + static_cast<long>(length)}) + "\r\n");
        const UnitAnswer read = InterpretAnswer(buffer);
        EXPECT_EQ(read.kind, AnswerKind::Settings) << length;
        EXPECT_EQ(read.decodedBytes, length);
        EXPECT_EQ(read.CarriesEveryValue(), everyValue) << length;
        EXPECT_EQ(read.carried.to_string(), carried) << length;
        for (std::size_t i = 0; i < kValueCount; ++i) {
            EXPECT_EQ(read.values[i], read.carried[i] ? all[i] : 0) << length << " " << LabelOfValue(i);
        }
    }
}

}  // namespace
}  // namespace q42
