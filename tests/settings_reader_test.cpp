// Reading Kalv.ini: which files are accepted, what their values read as, and
// which are refused. The same source runs natively and under Wine, where the
// file goes through the C runtime's text mode.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "settings/settings_reader.h"

namespace {

// The entries of a good file, one per line, in order.
std::vector<std::string> GoodLines()
{
    return {"width = 30",         "height = 16",         "mines count = 99",
            "backcolor = C0C0C0", "backcolor2 = 808080", "rastercolor = 000000",
            "minecolor = 0000FF", "pmocolor1 = FF0000",  "pmocolor2 = 008000",
            "pmocolor3 = 0000FF", "pmocolor4 = 800000",  "pmocolor5 = 000080",
            "pmocolor6 = 808000", "pmocolor7 = 000000",  "pmocolor8 = 808080"};
}

const uint32_t kGoodColors[12] = {0xC0C0C0, 0x808080, 0x000000, 0x0000FF, 0xFF0000, 0x008000,
                                  0x0000FF, 0x800000, 0x000080, 0x808000, 0x000000, 0x808080};

std::string Join(const std::vector<std::string>& lines, const std::string& separator = "\n")
{
    std::string text;
    for (const std::string& line : lines)
        text += line + separator;
    return text;
}

// The good file with entry `index` (0-based) replaced.
std::string GoodWith(size_t index, const std::string& line)
{
    std::vector<std::string> lines = GoodLines();
    lines[index] = line;
    return Join(lines);
}

// Writes `text` byte for byte, then reads it back through a file opened the
// way the game opens Kalv.ini.
bool Read(const std::string& text, SettingsValues* values)
{
    const std::string path = ::testing::TempDir() + "kalv_reader_" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                             ".ini";
    FILE* out = fopen(path.c_str(), "wb");
    if (!out) {
        ADD_FAILURE() << "cannot write " << path;
        return false;
    }
    fwrite(text.data(), 1, text.size(), out);
    fclose(out);
    FILE* in = fopen(path.c_str(), "rt");
    if (!in) {
        ADD_FAILURE() << "cannot read " << path;
        return false;
    }
    const bool ok = ReadSettings(in, values);
    fclose(in);
    remove(path.c_str());
    return ok;
}

// The good file with entry `index` and the one after it on one line, nothing
// between them.
std::string JoinedAfter(size_t index)
{
    std::vector<std::string> lines = GoodLines();
    lines[index] += lines[index + 1];
    lines.erase(lines.begin() + index + 1);
    return Join(lines);
}

bool Reads(const std::string& text)
{
    SettingsValues values;
    return Read(text, &values);
}

// Reads a file that must be accepted and checks that it means the good file.
void ExpectGoodValues(const std::string& text)
{
    SettingsValues v;
    ASSERT_TRUE(Read(text, &v)) << "refused:\n" << text;
    EXPECT_EQ(30, v.width);
    EXPECT_EQ(16, v.height);
    EXPECT_EQ(99, v.mines);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(kGoodColors[i], v.colors[i]) << "colour " << i << " of:\n" << text;
}

// The value a one-entry change gives for a decimal (index 0..2) or colour entry.
int64_t ValueOf(size_t index, const std::string& line, bool* ok)
{
    SettingsValues v;
    *ok = Read(GoodWith(index, line), &v);
    if (index == 0)
        return v.width;
    if (index == 1)
        return v.height;
    if (index == 2)
        return v.mines;
    return v.colors[index - 3];
}

TEST(SettingsReader, GoodFileGivesEveryValueInFileOrder)
{
    ExpectGoodValues(Join(GoodLines()));
    ExpectGoodValues(Join(GoodLines(), "\r\n")); // CRLF line ends
}

TEST(SettingsReader, WhiteSpaceInTheTemplateMatchesAnyRunOrNone)
{
    // No white space at all where the templates have it, except between
    // backcolor and backcolor2: there the key's "bac" would still be hex digits
    // of the value before it.
    std::string tight;
    for (std::string line : GoodLines()) {
        for (char c : line)
            if (c != ' ')
                tight += c;
        if (line.compare(0, 10, "backcolor ") == 0)
            tight += '\n';
    }
    ExpectGoodValues(tight); // "width=30height=16minescount=99backcolor=C0C0C0\nbackcolor2=..."

    std::string loose; // runs of blanks, tabs and empty lines wherever white space may be
    for (const std::string& line : GoodLines()) {
        std::string spread;
        for (char c : line)
            spread += c == ' ' ? std::string(" \t  ") : std::string(1, c);
        loose += spread + "\n\n \t\r\n\v\f";
    }
    ExpectGoodValues(loose);

    ExpectGoodValues(GoodWith(2, "mines   count = 99"));
    ExpectGoodValues(GoodWith(0, "width =30"));
    ExpectGoodValues(GoodWith(0, "width= 30"));
    ExpectGoodValues(Join(GoodLines(), " ")); // every entry on one line
}

TEST(SettingsReader, DecimalValuesAreSignedAndUseTheWhole32Bits)
{
    const struct {
        const char* line;
        int64_t value;
    } cases[] = {
        {"width = -5", -5},
        {"width = +7", 7},
        {"width = 0007", 7},
        {"width = -0", 0},
        {"width = 2147483647", 2147483647},
        {"width = -2147483648", -2147483647 - 1},
        {"width = 00000000000000000000000000012", 12},
        {"height = 12abc", 12}, // the value stops at the first non-digit
    };
    for (const auto& c : cases) {
        bool ok;
        const size_t index = c.line[0] == 'w' ? 0 : 1;
        const int64_t value = ValueOf(index, c.line, &ok);
        if (index == 1) {
            // "abc" is then where the next key should be.
            EXPECT_FALSE(ok) << c.line;
            continue;
        }
        EXPECT_TRUE(ok) << c.line;
        EXPECT_EQ(c.value, value) << c.line;
    }
    bool ok;
    EXPECT_EQ(-3, ValueOf(2, "mines count = -3", &ok));
    EXPECT_TRUE(ok);
}

TEST(SettingsReader, HexValuesTakeEitherCaseAPrefixAndASign)
{
    const struct {
        const char* value;
        uint32_t bits;
    } cases[] = {
        {"0xC0C0C0", 0xC0C0C0},
        {"c0c0c0", 0xC0C0C0},
        {"0XabCDef", 0xABCDEF},
        {"0x0000ff", 0x0000FF},
        {"+ff", 0xFF},
        {"0", 0},
        {"00", 0},
        {"0x0", 0},
        {"FFFFFFFF", 0xFFFFFFFF},
        {"-1", 0xFFFFFFFF},
        {"-0x10", 0xFFFFFFF0},
        {"-FFFFFFFF", 1},
        {"0000000000000FF", 0xFF},
        {"12345678", 0x12345678},
        {"-0", 0},
    };
    for (const auto& c : cases) {
        for (size_t index : {3u, 14u}) { // backcolor, and pmocolor8, the last entry
            const std::string key = index == 3 ? "backcolor = " : "pmocolor8 = ";
            bool ok;
            const uint32_t bits = (uint32_t)ValueOf(index, key + c.value, &ok);
            EXPECT_TRUE(ok) << key << c.value;
            EXPECT_EQ(c.bits, bits) << key << c.value;
        }
    }
}

TEST(SettingsReader, WhateverFollowsTheLastValueIsNeverRead)
{
    std::vector<std::string> lines = GoodLines();
    lines[14] = "pmocolor8 = 808080 ; a comment\n[more]\nwidth = x\n\xEF\xBB\xBF";
    ExpectGoodValues(Join(lines));
    lines[14] = "pmocolor8 = 808080";
    ExpectGoodValues(Join(lines, "\n").substr(0, Join(lines).size() - 1)); // no last line end
    lines[14] = "pmocolor8 = 808080zz";
    ExpectGoodValues(Join(lines));
}

TEST(SettingsReader, FileThatDoesNotMatchIsRefused)
{
    const std::string good = Join(GoodLines());
    std::vector<std::string> first8 = GoodLines();
    first8.resize(8);
    const std::string refused[] = {
        "",
        Join(first8),                    // ends after the eighth entry
        good.substr(0, good.size() - 7), // ends before the last value
        "\xEF\xBB\xBF" + good,           // byte-order mark
        " " + good,                      // anything before the first key
        "\n" + good,
        GoodWith(0, "Width = 30"), // keys are case-sensitive
        GoodWith(4, "BackColor2 = 808080"),
        GoodWith(2, "mines_count = 99"),
        GoodWith(2, "minecount = 99"),
        GoodWith(3, "backcolor : C0C0C0"),
        GoodWith(3, "backcolor = "), // a key without its value
        GoodWith(0, "width = thirty"),
        GoodWith(0, "width = 0x1E"), // %d reads the 0; "x1E" is no key
        GoodWith(0, "width = -"),    // a lone sign
        GoodWith(0, "width = + 5"),
        GoodWith(3, "backcolor = +"),
        GoodWith(3, "backcolor = -x5"),
        GoodWith(3, "backcolor = 0x"), // a prefix without a digit
        GoodWith(3, "backcolor = 0xg"),
        GoodWith(3, "backcolor = -0x"),
        GoodWith(3, "backcolor = #C0C0C0"),
        JoinedAfter(3), // "C0C0C0backcolor2": %X takes "C0C0C0bac"
        GoodWith(14, "pmocolor8 = 0x"),
        GoodWith(14, "pmocolor8 ="),
    };
    for (const std::string& text : refused)
        EXPECT_FALSE(Reads(text)) << "accepted:\n" << text;
}

TEST(SettingsReader, ValuesBeyond32BitsAreRefused)
{
    const std::string refused[] = {
        GoodWith(0, "width = 2147483648"),
        GoodWith(1, "height = -2147483649"),
        GoodWith(2, "mines count = 4294967296"),
        GoodWith(2, "mines count = 99999999999999999999999999999999999999999999"),
        GoodWith(3, "backcolor = 100000000"),
        GoodWith(3, "backcolor = -100000000"),
        GoodWith(3, "backcolor = 0x1FFFFFFFF"),
        GoodWith(14, "pmocolor8 = FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"),
    };
    for (const std::string& text : refused)
        EXPECT_FALSE(Reads(text)) << "accepted:\n" << text;
}

} // namespace
