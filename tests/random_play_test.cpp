// Random play on the portable game logic (built with the sanitizers natively):
// many boards of random size, random marks and openings, the board's rules
// and the caption's text checked after every move.
#include <gtest/gtest.h>

#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "minefield/minefield.h"
#include "presentation/caption.h"

namespace {

TEST(RandomPlay, BoardRulesHoldAfterEveryMove)
{
    std::mt19937 rng(77);
    auto random = [&](int n) { return (int)(rng() % (uint32_t)n); };
    int losses = 0, wins = 0;
    for (int game = 0; game < 3000; ++game) {
        const int w = 1 + random(24), h = 1 + random(18);
        const int mines = random(4) ? random(w * h) : -random(5);
        ASSERT_TRUE(CreateMap(w, h, mines));
        const int n = w * h;
        std::vector<Cell> before;
        for (int move = 0; move < 4 * n; ++move) {
            before.assign(g_m, g_m + n);
            const int x = random(w), y = random(h), i = y * w + x;
            StepResult r = StepContinue;
            if (random(3) == 0) {
                CycleMark(x, y);
                ASSERT_EQ(g_m[i].mark, (before[i].mark + 1) % 3);
            } else {
                r = StepMap(x, y);
            }
            for (int k = 0; k < n; ++k) {
                ASSERT_EQ(g_m[k].value, before[k].value);
                ASSERT_TRUE(g_m[k].open || !before[k].open);
                if (k != i) {
                    // Only a win changes marks it was not asked to: every mine gets a flag.
                    const int mark = r == StepCleared && g_m[k].value == -1 ? 1 : before[k].mark;
                    ASSERT_EQ(g_m[k].mark, mark);
                }
                ASSERT_TRUE(g_m[k].value != -1 || !g_m[k].open || r == StepMineHit);
            }
            int64_t flags = 0;
            for (int k = 0; k < n; ++k)
                flags += g_m[k].mark == 1 && !g_m[k].open;
            char text[128];
            const int len = FormatCaption(text, sizeof text, (int64_t)g_pm - flags, move);
            ASSERT_EQ(len, (int)strlen(text));
            const std::string expected = std::to_string((int64_t)g_pm - flags) + " " + MineNoun((int64_t)g_pm - flags) + ",";
            ASSERT_NE(std::string(text).find(expected), std::string::npos) << text;
            if (r == StepMineHit)
                ++losses;
            if (r == StepCleared)
                ++wins;
            if (r != StepContinue)
                break;
        }
        FreeMap();
    }
    EXPECT_GT(losses, 100);
    EXPECT_GT(wins, 100);
}

}  // namespace
