// Numbers as a person types them, read alike by the host program's options,
// board files, bench files and the bench's forms.

#include <gtest/gtest.h>

#include <limits.h>

#include "sim/common/numbers.h"

namespace {

using sim::Digits;

TEST(Numbers, WholeNumbersAreTheWholeTextInsideTheRange)
{
    const sim::WholeRange one_to_8 = {1, 8};
    const sim::WholeRange signed_word = {INT32_MIN, UINT32_MAX, Digits::kDecimalOrHex};
    const struct {
        const char* text;
        sim::WholeRange range;
        bool read;
        int64_t value;
    } cases[] = {
        {"1", one_to_8, true, 1},
        {"8", one_to_8, true, 8},
        {"0", one_to_8, false, 0},
        {"9", one_to_8, false, 0},
        {"08", one_to_8, true, 8},
        {"", one_to_8, false, 0},
        {" 3", one_to_8, false, 0},
        {"3 ", one_to_8, false, 0},
        {"+3", one_to_8, false, 0},
        {"-0", one_to_8, false, 0},       // no sign where the range has no negatives
        {"3x", one_to_8, false, 0},
        {"0x3", one_to_8, false, 0},      // hex only where it is allowed
        {"99999999999999999999", one_to_8, false, 0},
        {"-2147483648", signed_word, true, INT32_MIN},
        {"-2147483649", signed_word, false, 0},
        {"0xFFFFFFFF", signed_word, true, UINT32_MAX},
        {"0x100000000", signed_word, false, 0},
        {"0Xff", signed_word, true, 255},
        {"0x", signed_word, false, 0},
        {"0x-1", signed_word, false, 0},
        {"-0x1", signed_word, false, 0},
        {"4294967295", signed_word, true, UINT32_MAX},
    };
    for (const auto& c : cases) {
        int64_t value = -7;
        std::string problem;
        EXPECT_EQ(c.read, sim::ReadWhole(c.text, c.range, &value, &problem)) << "'" << c.text << "'";
        EXPECT_EQ(c.read ? c.value : -7, value) << "'" << c.text << "'";
        EXPECT_EQ(c.read ? "" : "'" + std::string(c.text) + "' is not " + sim::Wanted(c.range), problem);
    }
}

TEST(Numbers, RealNumbersAreFiniteAboveTheLeastAndAtMostTheMost)
{
    const sim::RealRange range = {0, 1e9};
    const struct {
        const char* text;
        bool read;
        double value;
    } cases[] = {
        {"80", true, 80}, {"0.5", true, 0.5}, {"1e9", true, 1e9}, {"1e-300", true, 1e-300},
        {"0", false, 0},  {"-1", false, 0},   {"1.1e9", false, 0}, {"nan", false, 0}, {"inf", false, 0},
        {"", false, 0},   {"+1", false, 0},   {" 1", false, 0},   {"1 ", false, 0},   {"1ms", false, 0},
        {"1e999", false, 0},
    };
    for (const auto& c : cases) {
        double value = -7;
        std::string problem;
        EXPECT_EQ(c.read, sim::ReadReal(c.text, range, &value, &problem)) << "'" << c.text << "'";
        EXPECT_EQ(c.read ? c.value : -7, value) << "'" << c.text << "'";
    }
}

TEST(Numbers, TheWantedRangeIsSaidAsTheReaderTakesIt)
{
    EXPECT_EQ("a whole number from 1 to 65535", sim::Wanted(sim::WholeRange{1, 65535}));
    EXPECT_EQ("a whole number from 0 to 0xFF", sim::Wanted(sim::WholeRange{0, 255, Digits::kDecimalOrHex}));
    EXPECT_EQ("a whole number from 0 to 9", sim::Wanted(sim::WholeRange{0, 9, Digits::kDecimalOrHex}));
    EXPECT_EQ("a number above 0, at most 1000000000", sim::Wanted(sim::RealRange{0, 1e9}));
}

}  // namespace
