// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "sim_options.h"

namespace q42::sim {
namespace {

TEST(SimOptions, Accepted)
{
    const auto r = ParseSimOptions({"--baud", "9600", "--split-at", "60,90", "--pause-ms", "400", "--spaces",
                                    "--lowercase", "--garbage", "20", "--hangup-after", "3", "--hangup-at-byte", "40",
                                    "--cr-only", "--twice", "--chunk", "1", "--verbose", "--no-answer"});
    ASSERT_EQ(r.error, "");
    const SimOptions& o = r.options;
    EXPECT_EQ(o.baud, 9600);
    EXPECT_EQ(o.splitAt, (std::vector<std::size_t>{60, 90}));
    EXPECT_EQ(o.pauseMs, 400);
    EXPECT_TRUE(o.spaces && o.lowerCase && o.crOnly && o.twice && o.verbose && o.noAnswer);
    EXPECT_EQ(o.garbageBytes, 20u);
    EXPECT_EQ(o.hangupAfter, 3);
    EXPECT_EQ(o.hangupAtByte, 40u);
    EXPECT_EQ(o.chunkBytes, 1);

    const auto defaults = ParseSimOptions({});
    EXPECT_EQ(defaults.error, "");
    EXPECT_EQ(defaults.options.baud, 57600);
    EXPECT_EQ(defaults.options.hangupAfter, -1);
}

TEST(SimOptions, RefusedWithAClearReason)
{
    struct Case {
        std::vector<std::string> args;
        const char* error;
    };
    const Case cases[] = {
        {{"--fast"}, "unknown option '--fast'"},
        {{"--baud"}, "option --baud needs a value"},
        {{"--baud", "x"}, "option --baud: 'x' is not a baud rate from 50 to 4000000"},
        {{"--baud", "9600x"}, "option --baud: '9600x' is not a baud rate from 50 to 4000000"},
        {{"--baud", "10"}, "option --baud: '10' is not a baud rate from 50 to 4000000"},
        {{"--split-at", "60,"}, "option --split-at: '60,' is not a list of byte offsets such as 60,90"},
        {{"--split-at", "0"}, "option --split-at: '0' is not a list of byte offsets such as 60,90"},
        {{"--pause-ms", "-1"}, "option --pause-ms: '-1' is not milliseconds from 0 to 60000"},
        {{"--chunk", "0"}, "option --chunk: '0' is not a byte count from 1 to 4096"},
        {{"--hangup-at-byte", "3"}, "--hangup-at-byte needs --hangup-after N with N of at least 1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseSimOptions(c.args).error, c.error);
    }
}

}  // namespace
}  // namespace q42::sim
