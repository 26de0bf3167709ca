// Caption text and game clock: the Czech agreement, the exact Windows-1250
// bytes, and the seconds across hours, midnight, month and year ends.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>

#include "presentation/caption.h"

namespace {

std::string Caption(int64_t left, int64_t seconds)
{
    char buf[128];
    const int len = FormatCaption(buf, sizeof buf, left, seconds);
    EXPECT_EQ(len, (int)strlen(buf));
    return buf;
}

// "Hledání min [zbývá najít " and "čas " in Windows-1250.
const std::string kHead = "Hled\xE1n\xED min [zb\xFDv\xE1 naj\xEDt ";
const std::string kTime = std::string(", \xE8") + "as ";

TEST(MineNoun, AgreesWithTheMagnitude)
{
    for (int64_t left : {1, -1})
        EXPECT_STREQ(MineNoun(left), "minu") << left;
    for (int64_t left : {2, 3, 4, -2, -3, -4})
        EXPECT_STREQ(MineNoun(left), "miny") << left;
    for (int64_t left : {0, 5, 11, 12, 21, 22, -5, -12, -22})
        EXPECT_STREQ(MineNoun(left), "min") << left;
    // The extremes, where a magnitude taken in the signed type would overflow.
    for (int64_t left : {(int64_t)INT32_MAX, (int64_t)INT32_MIN, (int64_t)INT32_MIN - 1, INT64_MAX,
                         INT64_MIN, INT64_MIN + 1, INT64_MIN + 2})
        EXPECT_STREQ(MineNoun(left), "min") << left;
}

TEST(FormatCaption, ExactWindows1250Bytes)
{
    EXPECT_EQ(Caption(10, 0), kHead + "10 min" + kTime + "0]");
    EXPECT_EQ(Caption(1, 7), kHead + "1 minu" + kTime + "7]");
    EXPECT_EQ(Caption(3, 59), kHead + "3 miny" + kTime + "59]");
    EXPECT_EQ(Caption(-2, 86400), kHead + "-2 miny" + kTime + "86400]");
    EXPECT_EQ(Caption(0, -3), kHead + "0 min" + kTime + "-3]");
    // The whole text byte by byte once, so no character hides behind kHead.
    const unsigned char expected[] = {'H', 'l', 'e',  'd', 0xE1, 'n',  0xED, ' ',  'm', 'i',
                                      'n', ' ', '[',  'z', 'b',  0xFD, 'v',  0xE1, ' ', 'n',
                                      'a', 'j', 0xED, 't', ' ',  '5',  ' ',  'm',  'i', 'n',
                                      ',', ' ', 0xE8, 'a', 's',  ' ',  '1',  ']'};
    const std::string text = Caption(5, 1);
    ASSERT_EQ(text.size(), sizeof expected);
    EXPECT_EQ(memcmp(text.data(), expected, sizeof expected), 0);
}

TEST(FormatCaption, CountsBeyondThirtyTwoBits)
{
    // Mines near INT32_MIN less a few flags: the count must not wrap around.
    EXPECT_EQ(Caption((int64_t)INT32_MIN - 3, 0), kHead + "-2147483651 min" + kTime + "0]");
    EXPECT_EQ(Caption(INT32_MAX, INT32_MAX), kHead + "2147483647 min" + kTime + "2147483647]");
    EXPECT_EQ(Caption(INT64_MIN, 0), kHead + "-9223372036854775808 min" + kTime + "0]");
}

TEST(FormatCaption, TruncatesLikeSnprintf)
{
    const std::string full = Caption(10, 0);
    char small[8];
    memset(small, 'x', sizeof small);
    EXPECT_EQ(FormatCaption(small, sizeof small, 10, 0), (int)full.size());
    EXPECT_EQ(std::string(small), full.substr(0, 7));
    EXPECT_EQ(FormatCaption(nullptr, 0, 10, 0), (int)full.size());
}

ClockTime At(int32_t y, int32_t mo, int32_t d, int32_t h, int32_t mi, int32_t s)
{
    return ClockTime{y, mo, d, h, mi, s};
}

TEST(SecondsBetween, WithinOneDayIsTheFieldDifference)
{
    EXPECT_EQ(SecondsBetween(At(2026, 3, 14, 10, 59, 58), At(2026, 3, 14, 11, 0, 3)), 5);
    EXPECT_EQ(SecondsBetween(At(2026, 3, 14, 0, 0, 0), At(2026, 3, 14, 23, 59, 59)), 86399);
    EXPECT_EQ(SecondsBetween(At(2026, 3, 14, 12, 0, 0), At(2026, 3, 14, 12, 0, 0)), 0);
    // A clock set back runs backwards, as the field difference does.
    EXPECT_EQ(SecondsBetween(At(2026, 3, 14, 12, 0, 10), At(2026, 3, 14, 11, 59, 0)), -70);
    for (int h0 = 0; h0 < 24; h0 += 5)
        for (int h = 0; h < 24; h += 7)
            EXPECT_EQ(SecondsBetween(At(2024, 2, 29, h0, 17, 42), At(2024, 2, 29, h, 3, 9)),
                      (h - h0) * 3600 + (3 - 17) * 60 + (9 - 42));
}

TEST(SecondsBetween, KeepsCountingAcrossMidnightMonthAndYear)
{
    EXPECT_EQ(SecondsBetween(At(2026, 6, 1, 23, 59, 58), At(2026, 6, 2, 0, 0, 3)), 5);
    EXPECT_EQ(SecondsBetween(At(2026, 6, 1, 23, 0, 0), At(2026, 6, 3, 1, 0, 0)), 26 * 3600);
    EXPECT_EQ(SecondsBetween(At(2026, 4, 30, 23, 59, 59), At(2026, 5, 1, 0, 0, 0)), 1);
    EXPECT_EQ(SecondsBetween(At(2026, 12, 31, 23, 59, 50), At(2027, 1, 1, 0, 0, 10)), 20);
    // Leap years: 2024 has 29 February, 2100 does not, 2000 does.
    EXPECT_EQ(SecondsBetween(At(2024, 2, 28, 12, 0, 0), At(2024, 3, 1, 12, 0, 0)), 2 * 86400);
    EXPECT_EQ(SecondsBetween(At(2100, 2, 28, 12, 0, 0), At(2100, 3, 1, 12, 0, 0)), 86400);
    EXPECT_EQ(SecondsBetween(At(2000, 2, 28, 12, 0, 0), At(2000, 3, 1, 12, 0, 0)), 2 * 86400);
    EXPECT_EQ(SecondsBetween(At(1970, 1, 1, 0, 0, 0), At(2000, 1, 1, 0, 0, 0)), 946684800);
    EXPECT_EQ(SecondsBetween(At(1601, 1, 1, 0, 0, 0), At(1970, 1, 1, 0, 0, 0)), 11644473600);
}

TEST(SecondsBetween, AnyFieldValuesAreDefined)
{
    // Nonsense fields must not overflow (UBSan watches the native build).
    const ClockTime lo = At(INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN);
    const ClockTime hi = At(INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX);
    EXPECT_GT(SecondsBetween(lo, hi), 0);
    EXPECT_LT(SecondsBetween(hi, lo), 0);
    // Month 13 is next January.
    EXPECT_EQ(SecondsBetween(At(2027, 1, 1, 0, 0, 0), At(2026, 13, 1, 0, 0, 0)), 0);
    EXPECT_EQ(SecondsBetween(At(2025, 12, 1, 0, 0, 0), At(2026, 0, 1, 0, 0, 0)), 0);
}

} // namespace
