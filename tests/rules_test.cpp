// The rules that need no window, natively under the sanitizers: random games
// on random boards, every board's counts and every move against what the rules
// predict; Kalv.ini as the reader reads it and the start-up checks that follow,
// on screens of chosen sizes; the caption and the game clock.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

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

// The cells around cell i of a w x h board.
std::vector<int> Around(int i, int w, int h)
{
    std::vector<int> around;
    for (int y = i / w - 1; y <= i / w + 1; ++y)
        for (int x = i % w - 1; x <= i % w + 1; ++x)
            if (x >= 0 && y >= 0 && x < w && y < h && y * w + x != i)
                around.push_back(y * w + x);
    return around;
}

// A safe cell opens, and when it is empty, every covered cell around it opens
// the same way, marks or not.
void Open(std::vector<Cell>& b, int i, int w, int h)
{
    b[i].open = 1;
    if (b[i].value == 0)
        for (const int j : Around(i, w, h))
            if (!b[j].open)
                Open(b, j, w, h);
}

// Boards that cannot be are refused; random games on random boards follow
// the rules: each safe cell counts the mines around it; a right click cycles the
// mark; a left one on a flag does nothing, on a mine loses and shows every
// cell open, and on a safe cell opens it; once no safe cell is left covered,
// the game is won and every mine shows a flag. Freeing a board twice, or with
// none, is harmless. KALV_RANDOM_GAMES sets the number of games for a long run.
TEST(Minefield, PlaysByTheRules)
{
    EXPECT_FALSE(CreateMap(0, 5, 0));
    EXPECT_FALSE(CreateMap(65536, 65536, 0)); // more than 2^31 cells
    EXPECT_FALSE(CreateMap(6, 6, 36));
    EXPECT_EQ(g_m, nullptr) << "a refused board was left behind";
    const int games = getenv("KALV_RANDOM_GAMES") ? atoi(getenv("KALV_RANDOM_GAMES")) : 3000;
    std::mt19937 rng(77);
    auto random = [&](int n) { return (int)(rng() % (uint32_t)n); };
    const auto mine = [](const Cell& c) { return c.value == -1; };
    const auto safeAndCovered = [](const Cell& c) { return c.value != -1 && !c.open; };
    for (int game = 0; game < games; ++game) {
        const int w = 1 + random(24);
        const int h = 1 + random(18);
        const int mines = random(4) ? random(w * h) : -random(5);
        ASSERT_TRUE(CreateMap(w, h, mines));
        std::vector<Cell> want(g_m, g_m + w * h);
        ASSERT_EQ(std::count_if(want.begin(), want.end(), mine), std::max(mines, 0));
        for (int i = 0; i < w * h; ++i) {
            int n = 0;
            for (const int j : Around(i, w, h))
                n += mine(want[j]);
            ASSERT_EQ(want[i].value, mine(want[i]) ? -1 : n) << "game " << game << " cell " << i;
        }
        for (StepResult result = StepContinue; result == StepContinue;) {
            const int i = random(w * h);
            Cell& cell = want[i];
            bool hit = false;
            if (random(3) == 0) {
                CycleMark(i % w, i / w);
                cell.mark = (int8_t)((cell.mark + 1) % 3);
            } else {
                result = StepMap(i % w, i / w);
                hit = cell.mark != 1 && mine(cell);
                if (cell.mark != 1 && !hit)
                    Open(want, i, w, h);
            }
            const bool won = !hit && std::none_of(want.begin(), want.end(), safeAndCovered);
            ASSERT_EQ(result, hit ? StepMineHit : won ? StepCleared : StepContinue) << game;
            for (int k = 0; k < w * h; ++k) {
                ASSERT_EQ(g_m[k].value, want[k].value) << game << " " << k;
                ASSERT_EQ((bool)g_m[k].open, hit || want[k].open) << game << " " << k;
                ASSERT_EQ(g_m[k].mark, won && mine(want[k]) ? 1 : want[k].mark) << game << " " << k;
            }
        }
        FreeMap();
    }
    FreeMap(); // again, with no board: what a freed board left must be null
}

// The good file. Its minecolor has a highest byte (a palette entry's), which
// is read and handed on as written.
// clang-format off
const char* const kEntries[15][2] = {
    {"width", "30"}, {"height", "16"}, {"mines count", "99"}, {"backcolor", "C0C0C0"}, {"backcolor2", "808080"},
    {"rastercolor", "0"}, {"minecolor", "01000003"}, {"pmocolor1", "FF0000"}, {"pmocolor2", "008000"},
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
    const std::vector<SettingsMessage> texts = {
        {"Nelze najít soubor Kalv.ini.", "Chyba", 0x10},
        {"Soubor \"Kalv.ini\" je špatně zadaný.", "Chyba", 0x10},
        {"Minimální šířka i délka musí být 6 políček.", "Upozornění", 0x30},
        {"Velikost mapy musela být zmenšena.", "Upozornění", 0x30},
        {"Velikost minového pole musí být větší,\nnež je počet min!", "Chyba", 0x10}};
    const std::string colours = File().substr(File().find("back"));
    const auto line = [](const SettingsMessage& m) { // as the table names it
        return std::string(m.title) + ": " + m.text + " (" + std::to_string(m.style) + ")\n";
    };
    bool coloursSeen = false; // checked once, on the first case that goes on
    for (const auto& c : Cases("startup_cases.txt")) {
        int64_t screen[4]; // mode, then metrics
        std::istringstream(c[1]) >> screen[0] >> screen[1] >> screen[2] >> screen[3];
        std::string head = c[0];
        std::replace(head.begin(), head.end(), '|', '\n');
        const std::string file = head + "\n" + colours;
        FILE* f = head != "none" ? fmemopen((void*)file.data(), file.size(), "r") : nullptr;
        std::fill(g_colors, g_colors + 12, 0xABABABABu); // none of the file's
        const SettingsPlan plan =
            PlanSettings(f, {screen[0], screen[1], screen[2], screen[3], {-3, -26, 3, 3}});
        if (f)
            fclose(f);
        std::string shown;
        for (int i = 0; i < plan.messageCount; ++i)
            shown += line(*plan.messages[i]);
        std::string listed; // a letter that names no message throws
        for (const char letter : c[2])
            listed += line(texts.at(std::string("NBSFM").find(letter)));
        EXPECT_EQ(shown, listed) << c[0];
        for (int i = 0; plan.go && !coloursSeen && i < 12; ++i) // the file's, for the painting
            EXPECT_EQ(g_colors[i], strtoul(kEntries[3 + i][1], NULL, 16)) << "colour " << i;
        coloursSeen = coloursSeen || plan.go;
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
// full date and time, which stop at the end of the 32-bit range after 68
// years. Then the nouns after a count, and the clock.
TEST(Caption, TellsMinesLeftAndSecondsInCzech)
{
    ASSERT_TRUE(CreateMap(5, 1, 0));
    const Cell cells[5] = {
        {0, 0, 1}, {0, 1, 1}, {0, 0, 1}, {0, 0, 2}, {0, 0, 0}}; // value, open, mark
    std::copy(cells, cells + 5, g_m);
    g_pm = INT32_MIN;
    const ClockTime start = Clock("1900-01-01 00:00:00.000");
    const ClockTime now = Clock("2000-01-01 00:00:00.000");
    char text[128] = "";
    int32_t shown = 0;
    EXPECT_TRUE(CaptionDue(text, sizeof text, start, now, &shown, false));
    EXPECT_STREQ(text, "Hledání min [zbývá najít -2147483650 min, čas 2147483647]");
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
