// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "frame_codec.h"
#include "recording_sink.h"

namespace q42 {
namespace {

using test::Held;

constexpr char kTerm[2] = {'\r', '\n'};

TEST(ExtractFrame, ResultTextAndCountLeft)
{
    struct Case {
        const char* name;
        ReceiveBuffer buffer;
        int result;
        std::string text;  // what dest holds, when the result is non-zero
        std::uint32_t countAfter;
    };
    const std::string startLast = std::string(159, 'x') + ">";
    const std::string crLast = ">" + std::string(158, '0') + "\r";
    const Case cases[] = {
        {"clean frame", Held(">0102\r\n"), 4, "0102", 2},
        {"one space dropped", Held(">01 02\r\n"), 4, "0102", 1},
        {"bytes before start skipped", Held("xx>06\r\n"), 2, "06", 2},
        {"two frames, first taken", Held(">06\r\n>07\r\n"), 2, "06", 7},
        {"no start character", Held("0102\r\n"), 0, "", 6},
        {"no CR after start", Held(">0102"), 0, "", 5},
        {"CR without LF", Held(">06\rX"), 0, "", 2},
        {"CR as last held byte", Held(">06\r"), 0, "", 1},
        {"LF read past the count", Held(">06\r\n", 4), 2, "06", 1},
        {"empty payload", Held(">\r\n"), 0, "", 2},
        {"second space uses up count", Held(">0 1 02\r\n"), 0, "", 0},
        {"start is last held byte, stale CR", Held("abc>\r\n", 4), 0, "", 0},
        {"start at the area's end", Held(startLast), 0, "", 160},
        {"CR at the area's end", Held(crLast), 0, "", 1},
        {"160 bytes without start", Held(std::string(160, 'A')), 0, "", 160},
        {"count past the area is bounded", Held(">06\r\n", 4000), 2, "06", 157},
        {"nothing held, stale bytes", Held(">06\r\n", 0), 0, "", 0},
        {"start the only held byte, stale CR", Held(">\r\n", 1), 0, "", 0},
        {"start just past the held bytes", Held("ab>\r\n", 2), 0, "", 2},
    };
    for (Case c : cases) {
        std::uint8_t* data = c.buffer.data.data();
        const int n = ExtractFrame(c.buffer, data, data, '>', kTerm);
        EXPECT_EQ(n, c.result) << c.name;
        EXPECT_EQ(c.buffer.count, c.countAfter) << c.name;
        if (n > 0) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(data), static_cast<std::size_t>(n)), c.text) << c.name;
        }
    }
}

TEST(ExtractFrame, SeparateDestination)
{
    ReceiveBuffer b = Held("zz>A1 B2\r\n");
    std::vector<std::uint8_t> dest(kReceiveCapacity, 0);  // room for any payload a fault might copy
    ASSERT_EQ(ExtractFrame(b, dest.data(), b.data.data(), '>', kTerm), 4);
    EXPECT_EQ(std::string(dest.begin(), dest.begin() + 4), "A1B2");
    EXPECT_EQ(std::string(b.data.begin(), b.data.begin() + 4), "zz>A");  // source untouched

    // A CR just past the 160-byte area is not part of the burst, whatever the source holds there.
    std::string beyond = std::string(159, 'x') + ">\r\n";
    ReceiveBuffer full = Held(std::string(160, 'x'));
    EXPECT_EQ(ExtractFrame(full, dest.data(), reinterpret_cast<const std::uint8_t*>(beyond.data()), '>', kTerm), 0);
    EXPECT_EQ(full.count, 160u);
    // Nor is an LF just past it, after a CR at its last byte.
    const std::string lfBeyond = ">" + std::string(158, '0') + "\r\n";
    EXPECT_EQ(ExtractFrame(full, dest.data(), reinterpret_cast<const std::uint8_t*>(lfBeyond.data()), '>', kTerm), 0);
}

TEST(DecodeHexPairs, StrictDigits)
{
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::uint8_t> bytes;  // empty: decodes to 0 bytes
    };
    const Case cases[] = {
        {"two bytes", "0102", {0x01, 0x02}}, {"upper-case", "3CFF", {0x3C, 0xFF}}, {"lower-case", "3cff", {0x3C, 0xFF}},
        {"odd length", "123", {}}, {"empty", "", {}}, {"letter past F", "0G", {}}, {"space", "0 ", {}},
        {"high byte", "\xC1" "1", {}}, {"garbage after good pairs", "0102zz", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> buf(c.text.begin(), c.text.end());
        buf.resize(buf.size() + 1, 0xEE);
        const std::vector<std::uint8_t> before = buf;
        const std::size_t m = DecodeHexPairs(buf.data(), buf.data(), c.text.size());
        ASSERT_EQ(m, c.bytes.size()) << c.name;
        EXPECT_EQ(std::vector<std::uint8_t>(buf.begin(), buf.begin() + static_cast<long>(m)), c.bytes) << c.name;
        EXPECT_TRUE(std::equal(buf.begin() + static_cast<long>(m), buf.end(), before.begin() + static_cast<long>(m)))
            << c.name << ": nothing past the decoded bytes is written";
    }
}

}  // namespace
}  // namespace q42
