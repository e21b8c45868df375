#include "app/startup/CommandLine.h"
#include "app/model/NumberText.h"
#include "app/model/ToggleInterval.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace ondrix::app {
namespace {

TCommandLine Line(std::vector<std::string> items)
{
    items.insert(items.begin(), "/opt/Ondrix/bin/ondrix");
    return TCommandLine(std::move(items));
}

TEST(CommandLineTest, FlagsMatchWholeItemsInAnyCaseFromItemOne)
{
    struct Case
    {
        std::vector<std::string> items;
        const char* flag;
        bool expected;
    };
    const Case cases[] = {
        {{"/hide"}, "/hide", true},    {{"/SINE"}, "/sine", true},    {{"/Hide", "/sine"}, "/sine", true},
        {{"/hidden"}, "/hide", false}, {{"/hide=1"}, "/hide", false}, {{"hide"}, "/hide", false},
        {{}, "/hide", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Line(c.items).HasFlag(c.flag), c.expected) << c.flag;

    // Item 0 is the program path and never counts.
    EXPECT_FALSE(TCommandLine({"/hide"}).HasFlag("/hide"));
    EXPECT_FALSE(TCommandLine({"/com=COM9"}).Value("/com"));
}

TEST(CommandLineTest, ValueOfTheFirstMatchingItem)
{
    struct Case
    {
        std::vector<std::string> items;
        const char* name;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {{"/com=COM3", "/com=COM4"}, "/com", "COM3"},
        {{"/Com=COM2"}, "/com", "COM2"},
        {{"/record=C:\\My Files\\a.wav"}, "/record", "C:\\My Files\\a.wav"},
        {{"/record=a=b.wav"}, "/record", "a=b.wav"},
        {{"/atom", "/atom=49152"}, "/atom", "49152"},
        {{"/audiofreq="}, "/audiofreq", ""},
        {{"/com"}, "/com", std::nullopt},
        {{"/compact=1"}, "/com", std::nullopt},
        {{"x/com=COM3"}, "/com", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Line(c.items).Value(c.name), c.expected) << c.name;
}

TEST(CommandLineTest, ProgramFileNameDropsTheFolder)
{
    EXPECT_EQ(Line({}).ProgramFileName(), "ondrix");
    EXPECT_EQ(TCommandLine({"ondrix"}).ProgramFileName(), "ondrix");
    EXPECT_EQ(TCommandLine().ProgramFileName(), "");
}

TEST(NumberTextTest, IntegersAreSigned32BitDecimalOrDollarHex)
{
    struct Case
    {
        const char* text;
        std::optional<std::int32_t> expected;
    };
    const Case cases[] = {
        {"888", 888},
        {"-5", -5},
        {"+7", 7},
        {"$3BC", 956},
        {"$3bc", 956},
        {"$FF", 255},
        {"$FFFFFFFF", -1},
        {"$7FFFFFFF", 2147483647},
        {"-$10", -16},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"  42", 42},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"$100000000", std::nullopt},
        {"", std::nullopt},
        {"$", std::nullopt},
        {"-", std::nullopt},
        {"12a", std::nullopt},
        {"42 ", std::nullopt},
        {"1.5", std::nullopt},
        {"0x10", std::nullopt},
        {"abc", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TryStrToInt(c.text), c.expected) << '"' << c.text << '"';

    EXPECT_EQ(StrToInt("$378"), 888);
    try {
        StrToInt("abc");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
}

TEST(NumberTextTest, HexNamesHaveAtLeastFourUpperCaseDigits)
{
    EXPECT_EQ(IntToHex4(888), "0378");
    EXPECT_EQ(IntToHex4(956), "03BC");
    EXPECT_EQ(IntToHex4(0), "0000");
    EXPECT_EQ(IntToHex4(0x12345), "12345");
    EXPECT_EQ(IntToHex4(-1), "FFFFFFFF");
}

TEST(ToggleIntervalTest, HalfAPeriodInWholeMilliseconds)
{
    struct Case
    {
        long double frequency;
        int interval;
    };
    const Case cases[] = {
        {1, 500},   {3, 167}, {250, 2},  {200, 2},   // 2.5 → 2: halves go to the even neighbour
        {333, 2},   {400, 1}, {1000, 1}, {20000, 1}, // never below 1 ms while f > 0
        {1e30L, 1}, {0, 0},   {-5, 0},   {0.001L, 500000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IntervalForFrequency(c.frequency), c.interval) << static_cast<double>(c.frequency);
    EXPECT_EQ(IntervalForFrequency(std::numeric_limits<long double>::quiet_NaN()), 0);
    EXPECT_EQ(IntervalForFrequency(1e-300L), std::numeric_limits<int>::max());
}

} // namespace
} // namespace ondrix::app
