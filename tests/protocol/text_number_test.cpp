// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "text_number.h"

namespace q42 {
namespace {

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

}  // namespace
}  // namespace q42
