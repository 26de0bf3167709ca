// The rules that need no window, natively under the sanitizers: random games
// on random boards, every board's counts and every move against what the rules
// predict; Kalv.ini as the reader reads it and the start-up checks that follow,
// on screens of chosen sizes; the caption and the game clock.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "minefield/minefield.h"
#include "presentation/caption.h"
#include "settings/checks.h"
#include "settings/settings_reader.h"

namespace {

int MinesAround(const std::vector<Cell>& b, int i, int w, int h)
{
    int mines = 0;
    for (int ny = i / w - 1; ny <= i / w + 1; ++ny)
        for (int nx = i % w - 1; nx <= i % w + 1; ++nx)
            mines += nx >= 0 && ny >= 0 && nx < w && ny < h && ny * w + nx != i &&
                     b[ny * w + nx].value == -1;
    return mines;
}

// A left click on a safe cell of board b, the slow way: the cell opens, and
// when it is empty, every covered cell around it opens the same way, marks or not.
void Open(std::vector<Cell>& b, int i, int w, int h)
{
    b[i].open = 1;
    for (int ny = i / w - 1; ny <= i / w + 1 && b[i].value == 0; ++ny)
        for (int nx = i % w - 1; nx <= i % w + 1; ++nx)
            if (nx >= 0 && ny >= 0 && nx < w && ny < h && !b[ny * w + nx].open)
                Open(b, ny * w + nx, w, h);
}

// KALV_RANDOM_GAMES sets the number of games for a long run.
TEST(Minefield, RandomGamesFollowTheRules)
{
    const char* env = getenv("KALV_RANDOM_GAMES");
    const int games = env ? atoi(env) : 3000;
    std::mt19937 rng(77);
    auto random = [&](int n) { return (int)(rng() % (uint32_t)n); };
    for (int game = 0; game < games; ++game) {
        const int w = 1 + random(24), h = 1 + random(18), n = w * h,
                  mines = random(4) ? random(n) : -random(5);
        ASSERT_TRUE(CreateMap(w, h, mines));
        ASSERT_EQ(g_pm, mines); // the caption counts from it, the next board is built from it
        std::vector<Cell> want(g_m, g_m + n);
        int laid = 0;
        for (int i = 0; i < n; ++i) {
            laid += want[i].value == -1;
            ASSERT_TRUE(want[i].value == -1 || want[i].value == MinesAround(want, i, w, h)) << i;
        }
        ASSERT_EQ(laid, std::max(mines, 0));
        for (StepResult r = StepContinue; r == StepContinue;) {
            const int x = random(w), y = random(h), i = y * w + x;
            const bool right = random(3) == 0;
            StepResult expected = StepContinue;
            if (right) {
                want[i].mark = (int8_t)((want[i].mark + 1) % 3);
            } else if (want[i].mark != 1 && want[i].value == -1) {
                for (Cell& c : want)
                    c.open = 1;
                expected = StepMineHit;
            } else if (want[i].mark != 1) {
                Open(want, i, w, h);
                expected = StepCleared;
                for (const Cell& c : want)
                    expected = c.value != -1 && !c.open ? StepContinue : expected;
                for (Cell& c : want)
                    c.mark = expected == StepCleared && c.value == -1 ? 1 : c.mark;
            }
            r = right ? (CycleMark(x, y), StepContinue) : StepMap(x, y);
            ASSERT_EQ(r, expected) << "game " << game;
            for (int k = 0; k < n; ++k)
                ASSERT_TRUE(g_m[k].value == want[k].value && g_m[k].open == want[k].open &&
                            g_m[k].mark == want[k].mark)
                    << "game " << game << " cell " << k;
        }
        FreeMap();
    }
}

TEST(Minefield, LaysMinesOnEveryCellAndRefusesImpossibleBoards)
{
    // The Windows C runtime's rand reaches only 32767; mines still fall beyond.
    ASSERT_TRUE(CreateMap(400, 300, 30000));
    EXPECT_GT(std::count_if(g_m + 32768, g_m + 120000, [](const Cell& c) { return c.value == -1; }),
              15000);
    FreeMap();
    EXPECT_FALSE(CreateMap(0, 5, 0) || CreateMap(65536, 65536, 0) || CreateMap(6, 6, 36) || g_m);
}

// clang-format off
const char* const kEntries[15][2] = {
    {"width", "30"}, {"height", "16"}, {"mines count", "99"}, {"backcolor", "C0C0C0"}, {"backcolor2", "808080"},
    {"rastercolor", "0"}, {"minecolor", "0000FF"}, {"pmocolor1", "FF0000"}, {"pmocolor2", "008000"},
    {"pmocolor3", "0000FF"}, {"pmocolor4", "800000"}, {"pmocolor5", "000080"}, {"pmocolor6", "808000"},
    {"pmocolor7", "000000"}, {"pmocolor8", "808080"}};
// clang-format on
const int64_t FAILS = -99;

// The good file with its entries joined by `sep`, `eq` between key and value,
// and entry `index` written as `entry`.
std::string File(const char* sep = "\n", const char* eq = " = ", int index = -1,
                 const char* entry = "")
{
    std::string text;
    for (int i = 0; i < 15; ++i)
        text += (i == index ? entry : kEntries[i][0] + std::string(eq) + kEntries[i][1]) + sep;
    return text;
}

FILE* Temp(const std::string& text)
{
    FILE* f = tmpfile();
    fwrite(text.data(), 1, text.size(), f);
    rewind(f);
    return f;
}

// Reads text: every value must be the good file's, but `value` at `index`.
void ExpectRead(const std::string& text, int index, int64_t value)
{
    FILE* f = Temp(text);
    SettingsValues v;
    const bool ok = ReadSettings(f, &v);
    fclose(f);
    EXPECT_EQ(ok, value != FAILS) << text;
    const int64_t read[3] = {v.width, v.height, v.mines};
    for (int i = 0; ok && i < 15; ++i)
        EXPECT_EQ(i < 3 ? read[i] : v.colors[i - 3],
                  i == index ? value : strtoll(kEntries[i][1], NULL, i < 3 ? 10 : 16))
            << text;
}

// The cases of a table beside this file: its lines but comments, split at tabs.
std::vector<std::vector<std::string>> Cases(const char* name)
{
    std::ifstream in(std::string(KALV_TESTS_DIR "/") + name);
    std::vector<std::vector<std::string>> cases;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        if (line[0] != '#')
            cases.emplace_back();
        for (std::string field; line[0] != '#' && std::getline(fields, field, '\t');)
            cases.back().push_back(field);
    }
    EXPECT_FALSE(cases.empty()) << name;
    return cases;
}

TEST(SettingsReader, WholeFilesAndOneEntry)
{
    const std::string good = File(), cut = good.substr(0, good.size() - 1);
    for (const std::string& text : {good, File("\r\n"), File(" ", "="),
                                    File("\n\n\t \v\f", "\t =  "), cut, cut + "zz ; [x]\nwidth"})
        ExpectRead(text, -1, 0);
    for (const std::string& text :
         {File("", "="), std::string(), "\xEF\xBB\xBF" + good, " " + good,
          good.substr(0, good.find("pmocolor2")), good.substr(0, good.size() - 7)})
        ExpectRead(text, -1, FAILS);
    for (const auto& c : Cases("reader_cases.txt"))
        ExpectRead(File("\n", " = ", stoi(c[0]), c[2].c_str()), stoi(c[0]),
                   c[1] == "FAILS" ? FAILS : stoll(c[1], nullptr, 0));
}

TEST(StartupChecks, MessagesInOrderThenTheBoardOrAStop)
{
    // clang-format off
    const SettingsMessage texts[] = {
        {"Nelze naj\xEDt soubor Kalv.ini.", "Chyba", 0x10},
        {"Soubor \"Kalv.ini\" je \x9Apatn\xEC zadan\xFD.", "Chyba", 0x10},
        {"Minim\xE1ln\xED \x9A\xED\xF8ka i d\xE9lka mus\xED b\xFDt 6 pol\xED\xE8\x65k.", "Upozorn\xECn\xED", 0x30},
        {"Velikost mapy musela b\xFDt zmen\x9A\x65na.", "Upozorn\xECn\xED", 0x30},
        {"Velikost minov\xE9ho pole mus\xED b\xFDt v\xECt\x9A\xED,\nne\x9E je po\xE8\x65t min!", "Chyba", 0x10}};
    // clang-format on
    for (const auto& c : Cases("startup_cases.txt")) {
        int64_t mode[2], metrics[2];
        std::istringstream(c[1]) >> mode[0] >> mode[1] >> metrics[0] >> metrics[1];
        std::string head = c[0];
        std::replace(head.begin(), head.end(), '|', '\n');
        FILE* f = head != "none" ? Temp(head + "\n" + File().substr(File().find("back"))) : nullptr;
        memset(g_colors, 0xAB, sizeof g_colors); // none of the file's
        const SettingsPlan plan =
            PlanSettings(f, {mode[0], mode[1], metrics[0], metrics[1], {-3, -26, 3, 3}});
        if (f)
            fclose(f);
        auto line = [](const SettingsMessage& m) {
            return std::string(m.title) + ": " + m.text + " (" + std::to_string(m.style) + ")\n";
        };
        std::string shown, listed;
        for (int i = 0; i < plan.messageCount; ++i)
            shown += line(*plan.messages[i]);
        for (const char letter : c[2])
            listed += letter == '-' ? "" : line(texts[std::string("NBSFM").find(letter)]);
        EXPECT_EQ(shown, listed) << c[0];
        for (int i = 0; plan.go && i < 12; ++i) // every colour of the file, for the painting
            EXPECT_EQ(g_colors[i], strtoul(kEntries[3 + i][1], NULL, 16))
                << c[0] << " colour " << i;
        // The board and its window when the game goes on, nothing when it stops.
        const BoardLayout& b = plan.board;
        std::ostringstream board;
        if (plan.go)
            board << b.width << ' ' << b.height << ' ' << b.windowLeft << ' ' << b.windowTop << ' '
                  << b.windowWidth << ' ' << b.windowHeight;
        EXPECT_EQ(board.str(), c.size() > 3 ? c[3] : "") << c[0];
    }
}

// A moment written "2026-03-14 10:59:58.999", UTC.
ClockTime Clock(const std::string& text)
{
    ClockTime t = {};
    sscanf(text.c_str(), "%hu-%hu-%hu %hu:%hu:%hu.%hu", &t.year, &t.month, &t.day, &t.hour,
           &t.minute, &t.second, &t.milliseconds);
    return t;
}

// The caption when due: flags on covered cells are counted, question marks and
// flags on open cells not; mines less flags in 64 bits; the seconds from the
// full date and time. Then the nouns after a count, and the clock.
TEST(Caption, TextNounAndClock)
{
    ASSERT_TRUE(CreateMap(5, 1, 0));
    g_m[0].mark = g_m[1].mark = g_m[2].mark = 1;
    g_m[1].open = 1;
    g_m[3].mark = 2;
    g_pm = INT32_MIN;
    const ClockTime start = Clock("2026-06-01 23:00:00.500"),
                    now = Clock("2026-06-02 00:00:05.000");
    char text[128] = "";
    int32_t shown = 0;
    EXPECT_TRUE(CaptionDue(text, sizeof text, start, now, &shown, false));
    EXPECT_STREQ(text, "Hled\xE1n\xED min [zb\xFDv\xE1 naj\xEDt -2147483650 min, \xE8\x61s 3605]");
    EXPECT_FALSE(CaptionDue(text, sizeof text, start, now, &shown, false)); // the same second
    FreeMap();
    for (const auto& c : Cases("noun_cases.txt"))
        EXPECT_TRUE(MineNoun(stoll(c[0])) == c[1] && SecondNoun(stoll(c[0])) == c[2]) << c[0];
    for (const auto& c : Cases("clock_cases.txt"))
        EXPECT_EQ(SecondsBetween(Clock(c[0]), Clock(c[1])), stoll(c[2])) << c[0] << " to " << c[1];
}

} // namespace
