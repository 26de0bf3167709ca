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

// A safe cell opens, and when it is empty, every covered cell around it opens
// the same way, marks or not.
void Open(std::vector<Cell>& b, int i, int w, int h)
{
    b[i].open = 1;
    if (b[i].value != 0)
        return;
    for (int y = i / w - 1; y <= i / w + 1; ++y)
        for (int x = i % w - 1; x <= i % w + 1; ++x)
            if (x >= 0 && y >= 0 && x < w && y < h && !b[y * w + x].open)
                Open(b, y * w + x, w, h);
}

// A click on cell i of board b, the slow way, and what it means for the game.
// A right click cycles the mark; a left one on a flag does nothing, on a mine
// opens every cell, and on a safe cell opens it; once no safe cell is left
// covered, every mine gets a flag.
StepResult Click(std::vector<Cell>& b, int i, bool right, int w, int h)
{
    if (right)
        b[i].mark = (int8_t)((b[i].mark + 1) % 3);
    if (right || b[i].mark == 1)
        return StepContinue;
    if (b[i].value == -1) {
        for (Cell& c : b)
            c.open = 1;
        return StepMineHit;
    }
    Open(b, i, w, h);
    for (const Cell& c : b)
        if (c.value != -1 && !c.open)
            return StepContinue;
    for (Cell& c : b)
        if (c.value == -1)
            c.mark = 1;
    return StepCleared;
}

// Boards that cannot be are refused; random games on random boards follow the
// rules. KALV_RANDOM_GAMES sets the number of games for a long run.
TEST(Minefield, ImpossibleBoardsAndRandomGames)
{
    EXPECT_FALSE(CreateMap(0, 5, 0));
    EXPECT_FALSE(CreateMap(65536, 65536, 0)); // more than 2^31 cells
    EXPECT_FALSE(CreateMap(6, 6, 36));
    EXPECT_EQ(g_m, nullptr) << "a refused board was left behind";
    const char* env = getenv("KALV_RANDOM_GAMES");
    const int games = env ? atoi(env) : 3000;
    std::mt19937 rng(77);
    auto random = [&](int n) { return (int)(rng() % (uint32_t)n); };
    for (int game = 0; game < games; ++game) {
        const int w = 1 + random(24);
        const int h = 1 + random(18);
        const int mines = random(4) ? random(w * h) : -random(5);
        ASSERT_TRUE(CreateMap(w, h, mines));
        ASSERT_EQ(g_pm, mines); // the caption counts from it, the next board is built from it
        std::vector<Cell> want(g_m, g_m + w * h);
        // Each safe cell counts the mines around it.
        int laid = 0;
        for (int i = 0; i < w * h; ++i) {
            int around = 0;
            for (int y = i / w - 1; y <= i / w + 1; ++y)
                for (int x = i % w - 1; x <= i % w + 1; ++x)
                    if (x >= 0 && y >= 0 && x < w && y < h && y * w + x != i &&
                        want[y * w + x].value == -1)
                        ++around;
            if (want[i].value == -1)
                ++laid;
            else
                ASSERT_EQ(want[i].value, around) << "game " << game << " cell " << i;
        }
        ASSERT_EQ(laid, std::max(mines, 0)) << "game " << game;
        for (StepResult result = StepContinue; result == StepContinue;) {
            const int x = random(w);
            const int y = random(h);
            const bool right = random(3) == 0;
            const StepResult expected = Click(want, y * w + x, right, w, h);
            if (right)
                CycleMark(x, y);
            else
                result = StepMap(x, y);
            ASSERT_EQ(result, expected) << "game " << game;
            for (int i = 0; i < w * h; ++i) {
                ASSERT_EQ(g_m[i].value, want[i].value) << "game " << game << " cell " << i;
                ASSERT_EQ(g_m[i].open, want[i].open) << "game " << game << " cell " << i;
                ASSERT_EQ(g_m[i].mark, want[i].mark) << "game " << game << " cell " << i;
            }
        }
        FreeMap();
    }
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

// Reads text: every value must be the good file's, but `value` at `index`.
void ExpectRead(const std::string& text, int index, int64_t value)
{
    FILE* f = fmemopen((void*)text.data(), text.size(), "r"); // only read
    SettingsValues v = {};
    const bool ok = ReadSettings(f, &v);
    fclose(f);
    ASSERT_EQ(ok, value != FAILS) << text;
    const int64_t read[3] = {v.width, v.height, v.mines};
    for (int i = 0; ok && i < 15; ++i)
        EXPECT_EQ(i < 3 ? read[i] : v.colors[i - 3],
                  i == index ? value : strtoll(kEntries[i][1], NULL, i < 3 ? 10 : 16))
            << text << "entry " << i;
}

// The cases of a table beside this file: its lines but empty ones and
// comments, split at tabs. A case has at least four fields, empty where the
// line ends early, so that a line cut short fails its test.
std::vector<std::vector<std::string>> Cases(const char* name)
{
    std::ifstream in(std::string(KALV_TESTS_DIR "/") + name);
    std::vector<std::vector<std::string>> cases;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        cases.emplace_back();
        for (std::string field; std::getline(fields, field, '\t');)
            cases.back().push_back(field);
        cases.back().resize(std::max<size_t>(cases.back().size(), 4));
    }
    EXPECT_FALSE(cases.empty()) << name;
    return cases;
}

TEST(SettingsReader, WholeFilesAndOneEntry)
{
    const std::string good = File();
    const std::string cut = good.substr(0, good.size() - 1);
    for (const std::string& text : {good, File("\r\n"), File(" ", "="),
                                    File("\n\n\t \v\f", "\t =  "), cut, cut + "zz ; [x]\nwidth"})
        ExpectRead(text, -1, 0);
    for (const std::string& text :
         {File("", "="), std::string(), "\xEF\xBB\xBF" + good, " " + good,
          good.substr(0, good.find("pmocolor2")), good.substr(0, good.size() - 7)})
        ExpectRead(text, -1, FAILS);
    for (const auto& c : Cases("reader_cases.txt")) {
        const int64_t value = c[1] == "FAILS" ? FAILS : stoll(c[1], nullptr, 0);
        ExpectRead(File("\n", " = ", stoi(c[0]), c[2].c_str()), stoi(c[0]), value);
    }
}

TEST(StartupChecks, MessagesInOrderThenTheBoardOrAStop)
{
    const SettingsMessage texts[] = {
        {"Nelze najít soubor Kalv.ini.", "Chyba", 0x10},
        {"Soubor \"Kalv.ini\" je špatně zadaný.", "Chyba", 0x10},
        {"Minimální šířka i délka musí být 6 políček.", "Upozornění", 0x30},
        {"Velikost mapy musela být zmenšena.", "Upozornění", 0x30},
        {"Velikost minového pole musí být větší,\nnež je počet min!", "Chyba", 0x10}};
    const std::string colours = File().substr(File().find("back"));
    const auto line = [](const SettingsMessage& m) { // as the table names it
        return std::string(m.title) + ": " + m.text + " (" + std::to_string(m.style) + ")\n";
    };
    for (const auto& c : Cases("startup_cases.txt")) {
        int64_t screen[4]; // mode, then metrics
        std::istringstream(c[1]) >> screen[0] >> screen[1] >> screen[2] >> screen[3];
        std::string head = c[0];
        std::replace(head.begin(), head.end(), '|', '\n');
        const std::string file = head + "\n" + colours;
        FILE* f = head != "none" ? fmemopen((void*)file.data(), file.size(), "r") : nullptr;
        memset(g_colors, 0xAB, sizeof g_colors); // none of the file's
        const SettingsPlan plan =
            PlanSettings(f, {screen[0], screen[1], screen[2], screen[3], {-3, -26, 3, 3}});
        if (f)
            fclose(f);
        std::string shown;
        for (int i = 0; i < plan.messageCount; ++i)
            shown += line(*plan.messages[i]);
        std::string listed;
        for (const char letter : c[2]) {
            const size_t m = std::string("NBSFM").find(letter);
            ASSERT_TRUE(letter == '-' || m != std::string::npos) << "no message " << letter;
            listed += letter == '-' ? "" : line(texts[m]);
        }
        EXPECT_EQ(shown, listed) << c[0];
        for (int i = 0; plan.go && i < 12; ++i) // every colour of the file, for the painting
            EXPECT_EQ(g_colors[i], strtoul(kEntries[3 + i][1], NULL, 16))
                << c[0] << " colour " << i;
        // The board and its window when the game goes on, nothing when it stops.
        const BoardLayout& b = plan.board;
        char board[80] = "";
        if (plan.go)
            snprintf(board, sizeof board, "%d %d %d %d %d %d", b.width, b.height, b.windowLeft,
                     b.windowTop, b.windowWidth, b.windowHeight);
        EXPECT_EQ(board, c[3]) << c[0];
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
    for (int i = 0; i < 3; ++i)
        g_m[i].mark = 1;
    g_m[1].open = 1;
    g_m[3].mark = 2;
    g_pm = INT32_MIN;
    const ClockTime start = Clock("2026-06-01 23:00:00.500");
    const ClockTime now = Clock("2026-06-02 00:00:05.000");
    char text[128] = "";
    int32_t shown = 0;
    EXPECT_TRUE(CaptionDue(text, sizeof text, start, now, &shown, false));
    EXPECT_STREQ(text, "Hledání min [zbývá najít -2147483650 min, čas 3605]");
    EXPECT_FALSE(CaptionDue(text, sizeof text, start, now, &shown, false)); // the same second
    FreeMap();
    for (const auto& c : Cases("noun_cases.txt")) {
        EXPECT_STREQ(MineNoun(stoll(c[0])), c[1].c_str()) << c[0];
        EXPECT_STREQ(SecondNoun(stoll(c[0])), c[2].c_str()) << c[0];
    }
    for (const auto& c : Cases("clock_cases.txt"))
        EXPECT_EQ(SecondsBetween(Clock(c[0]), Clock(c[1])), stoll(c[2])) << c[0] << " to " << c[1];
}

} // namespace
