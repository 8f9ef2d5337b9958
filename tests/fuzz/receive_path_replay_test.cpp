// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "receive_accumulator.h"
#include "reference_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ReceivePathReplay, SeedCorpusHoldsItsProperties)
{
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Q42_FUZZ_CORPUS)) {
        const auto bytes = ReadFile(entry.path());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        ++files;
    }
    EXPECT_GE(files, 10);
}

// A random answer of random length and values, as the unit would frame it.
std::string RandomAnswer(std::mt19937& rng)
{
    static const char* kDigits[] = {"0123456789ABCDEF", "0123456789abcdef"};
    const char* digits = kDigits[rng() % 2];
    const std::size_t bytes = rng() % 3 == 0 ? 1 + rng() % 70 : (rng() % 2 ? 62 : 1);
    std::string text = ">";
    for (std::size_t k = 0; k < bytes; ++k) {
        const auto b = static_cast<std::uint8_t>(rng() % 4 == 0 ? rng() % 3 : rng());
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text + "\r\n";
}

// Random mixes of answer pieces, damage, events and ticks.
TEST(ReceivePathReplay, GeneratedInputsHoldTheirProperties)
{
    std::mt19937 rng(42);
    for (int run = 0; run < 20000; ++run) {
        const std::string answer = RandomAnswer(rng);
        std::vector<std::uint8_t> ops;
        const int steps = 1 + static_cast<int>(rng() % 12);
        for (int s = 0; s < steps; ++s) {
            switch (rng() % 5) {
            case 0:
            case 1: {
                const std::size_t from = rng() % 3 == 0 ? rng() % answer.size() : 0;
                const std::size_t n = std::min<std::size_t>(1 + rng() % 63, answer.size() - from);
                ops.push_back(static_cast<std::uint8_t>(n));
                for (std::size_t k = 0; k < n; ++k) {
                    char c = answer[from + k];
                    if (rng() % 60 == 0) {
                        c = static_cast<char>(rng());  // a damaged byte
                    }
                    ops.push_back(static_cast<std::uint8_t>(c));
                }
                break;
            }
            case 2:
                ops.push_back(0x40);
                break;
            default:
                ops.push_back(static_cast<std::uint8_t>(0x80 | (rng() % 30)));
            }
        }
        LLVMFuzzerTestOneInput(ops.data(), ops.size());
    }
    SUCCEED() << "a violated property aborts the run";
}

TEST(ReceivePathReplay, ReferenceReadsTheSeedsAsTheUnitMeantThem)
{
    // The checks above are only as good as the reference: pin it on known bursts.
    struct Case {
        const char* name;
        std::string burst;
        int decoded;  // -1: no frame
    };
    const Case cases[] = {
        {"ack", ">06\r\n", 1},
        {"query", ">" + std::string(124, 'A') + "\r\n", 62},
        {"one space", ">0 6\r\n", 1},
        {"two spaces", ">0 6 \r\n", -1},
        {"no LF", ">06\r\r", -1},
        {"odd", ">061\r\n", 0},
        {"non-hex", ">0G\r\n", 0},
        {"empty", ">\r\n", -1},
    };
    for (const Case& c : cases) {
        q42::ReceiveBuffer b;
        std::copy(c.burst.begin(), c.burst.end(), b.data.begin());
        b.count = static_cast<std::uint32_t>(c.burst.size());
        const auto got = q42::ReferenceAnswer(b);
        EXPECT_EQ(got ? static_cast<int>(got->size()) : -1, c.decoded) << c.name;
    }
}

}  // namespace
