// Minefield: laying and counting mines, opening cells, marks, loss and win.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "minefield/minefield.h"

namespace {

struct MinefieldTest : ::testing::Test {
    void TearDown() override { FreeMap(); }
};

Cell& At(int x, int y) { return g_m[y * g_mw + x]; }

int MinesAround(int x, int y)
{
    int count = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if ((dx || dy) && nx >= 0 && ny >= 0 && nx < g_mw && ny < g_mh && At(nx, ny).value == -1)
                ++count;
        }
    return count;
}

int Neighbours(int x, int y)
{
    const int cols = (x > 0) + 1 + (x < g_mw - 1);
    const int rows = (y > 0) + 1 + (y < g_mh - 1);
    return cols * rows - 1;
}

// Replaces the board with a drawn one: '*' a mine, anything else a safe cell.
void Lay(const std::vector<std::string>& rows)
{
    FreeMap();
    ASSERT_TRUE(CreateMap((int32_t)rows[0].size(), (int32_t)rows.size(), 0));
    for (int y = 0; y < g_mh; ++y)
        for (int x = 0; x < g_mw; ++x)
            At(x, y).value = rows[y][x] == '*' ? -1 : 0;
    for (int y = 0; y < g_mh; ++y)
        for (int x = 0; x < g_mw; ++x)
            if (At(x, y).value != -1)
                At(x, y).value = MinesAround(x, y);
}

// Open cells as a picture: 'o' open, '.' covered.
std::vector<std::string> OpenPicture()
{
    std::vector<std::string> rows(g_mh, std::string(g_mw, '.'));
    for (int y = 0; y < g_mh; ++y)
        for (int x = 0; x < g_mw; ++x)
            if (At(x, y).open)
                rows[y][x] = 'o';
    return rows;
}

int CountMines()
{
    int mines = 0;
    for (int i = 0; i < g_mw * g_mh; ++i)
        mines += g_m[i].value == -1;
    return mines;
}

TEST(CellLayout, FieldsInOrderWithTheirWidths)
{
    EXPECT_EQ(offsetof(Cell, value), 0u);
    EXPECT_EQ(offsetof(Cell, open), 4u);
    EXPECT_EQ(offsetof(Cell, mark), 5u);
    EXPECT_EQ(sizeof(Cell), 8u);
    EXPECT_EQ(StepContinue, 0);
    EXPECT_EQ(StepMineHit, 1);
    EXPECT_EQ(StepCleared, 2);
}

TEST_F(MinefieldTest, CountsMatchTheMinesOnRandomBoards)
{
    const int sizes[][3] = {{6, 6, 10}, {1, 1, 0}, {1, 9, 4}, {9, 1, 4}, {2, 2, 3},
                            {30, 16, 99}, {17, 23, 200}, {6, 6, 35}};
    for (const auto& s : sizes) {
        ASSERT_TRUE(CreateMap(s[0], s[1], s[2]));
        EXPECT_EQ(g_mw, s[0]);
        EXPECT_EQ(g_mh, s[1]);
        EXPECT_EQ(g_pm, s[2]);
        EXPECT_EQ(CountMines(), s[2]);
        for (int y = 0; y < g_mh; ++y)
            for (int x = 0; x < g_mw; ++x) {
                const Cell& c = At(x, y);
                EXPECT_EQ(c.open, 0);
                EXPECT_EQ(c.mark, 0);
                if (c.value != -1) {
                    EXPECT_EQ(c.value, MinesAround(x, y)) << s[0] << "x" << s[1] << " at " << x << "," << y;
                }
            }
        FreeMap();
    }
}

TEST_F(MinefieldTest, NoMinesForZeroOrNegativeCounts)
{
    for (int mines : {0, -1, -2147483647 - 1}) {
        ASSERT_TRUE(CreateMap(7, 6, mines));
        EXPECT_EQ(g_pm, mines);
        for (int i = 0; i < 42; ++i)
            EXPECT_EQ(g_m[i].value, 0);
        FreeMap();
    }
}

TEST_F(MinefieldTest, AllButOneCellMinedLeavesOneSafeCellCountingItsNeighbours)
{
    const int sizes[][2] = {{6, 6}, {2, 2}, {3, 3}, {1, 4}, {8, 7}};
    for (int round = 0; round < 20; ++round)
        for (const auto& s : sizes) {
            ASSERT_TRUE(CreateMap(s[0], s[1], s[0] * s[1] - 1));
            int safe = 0;
            for (int y = 0; y < g_mh; ++y)
                for (int x = 0; x < g_mw; ++x)
                    if (At(x, y).value != -1) {
                        ++safe;
                        EXPECT_EQ(At(x, y).value, Neighbours(x, y));
                    }
            EXPECT_EQ(safe, 1);
            FreeMap();
        }
}

TEST_F(MinefieldTest, CornerEdgeAndInnerMinesTouchOnlyTheirNeighbours)
{
    Lay({"*.....",
         "......",
         "......",
         "...*..",
         "......",
         "..*..."});
    const std::vector<std::vector<int>> expected = {
        {-1, 1, 0, 0, 0, 0},
        {1, 1, 0, 0, 0, 0},
        {0, 0, 1, 1, 1, 0},
        {0, 0, 1, -1, 1, 0},
        {0, 1, 2, 2, 1, 0},
        {0, 1, -1, 1, 0, 0}};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(At(x, y).value, expected[y][x]) << x << "," << y;
}

TEST_F(MinefieldTest, RefusesBoardsItCannotBuild)
{
    EXPECT_FALSE(CreateMap(0, 5, 0));
    EXPECT_FALSE(CreateMap(5, -1, 0));
    EXPECT_FALSE(CreateMap(6, 6, 36));  // no safe cell: laying would never end
    EXPECT_FALSE(CreateMap(65536, 65536, 0));
    EXPECT_EQ(g_m, nullptr);
    EXPECT_EQ(g_m2, nullptr);
}

TEST_F(MinefieldTest, FreeMapTwiceAndKeepsTheSize)
{
    ASSERT_TRUE(CreateMap(8, 9, 10));
    FreeMap();
    FreeMap();
    EXPECT_EQ(g_m, nullptr);
    EXPECT_EQ(g_m2, nullptr);
    EXPECT_EQ(g_mw, 8);
    EXPECT_EQ(g_mh, 9);
    EXPECT_EQ(g_pm, 10);
}

TEST_F(MinefieldTest, CycleMarkRunsNoneFlagQuestionNone)
{
    ASSERT_TRUE(CreateMap(6, 6, 0));
    const int8_t expected[] = {1, 2, 0, 1};
    for (int8_t mark : expected) {
        CycleMark(2, 3);
        EXPECT_EQ(At(2, 3).mark, mark);
    }
    At(4, 4).open = 1;  // open cells take marks too
    CycleMark(4, 4);
    EXPECT_EQ(At(4, 4).mark, 1);
}

TEST_F(MinefieldTest, FloodOpensEmptyRegionAndItsRingThroughMarks)
{
    Lay({"......",
         "......",
         "...***",
         "...*..",
         "****..",
         "......"});
    At(0, 0).mark = 1;  // flags and question marks inside the region do not stop it
    At(3, 1).mark = 2;
    At(2, 3).mark = 1;  // a flagged cell on the ring is opened too
    At(5, 4).mark = 1;  // another region, untouched
    EXPECT_EQ(StepMap(1, 1), StepContinue);
    const std::vector<std::string> expected = {
        "oooooo",
        "oooooo",
        "ooo...",
        "ooo...",
        "......",
        "......"};
    EXPECT_EQ(OpenPicture(), expected);
    EXPECT_EQ(At(0, 0).mark, 1);
    EXPECT_EQ(At(3, 1).mark, 2);
    EXPECT_EQ(At(2, 3).mark, 1);
    EXPECT_EQ(At(5, 4).open, 0);
    EXPECT_EQ(g_pi, 0);
}

TEST_F(MinefieldTest, FloodReachesTheFarCornersOfALargeEmptyBoard)
{
    FreeMap();
    ASSERT_TRUE(CreateMap(300, 200, 0));
    At(299, 199).value = -1;
    At(298, 199).value = At(299, 198).value = At(298, 198).value = 1;
    EXPECT_EQ(StepMap(0, 0), StepCleared);
    int covered = 0;
    for (int i = 0; i < 300 * 200; ++i)
        covered += !g_m[i].open;
    EXPECT_EQ(covered, 1);
    EXPECT_EQ(At(299, 199).open, 0);
}

TEST_F(MinefieldTest, FlagProtectsAndQuestionMarkDoesNot)
{
    Lay({"*.....",
         "......",
         "......",
         "......",
         "......",
         ".....*"});
    At(0, 0).mark = 1;
    EXPECT_EQ(StepMap(0, 0), StepContinue);  // a flagged mine is refused
    At(1, 0).mark = 1;
    EXPECT_EQ(StepMap(1, 0), StepContinue);
    for (int i = 0; i < 36; ++i)
        EXPECT_EQ(g_m[i].open, 0);

    At(1, 0).mark = 2;
    EXPECT_EQ(StepMap(1, 0), StepContinue);
    EXPECT_EQ(At(1, 0).open, 1);
    EXPECT_EQ(At(2, 0).open, 0);  // a numbered cell opens alone

    // An open cell that is flagged later is refused before anything else.
    At(1, 0).mark = 1;
    Cell before[36];
    memcpy(before, g_m, sizeof before);
    EXPECT_EQ(StepMap(1, 0), StepContinue);
    EXPECT_EQ(memcmp(before, g_m, sizeof before), 0);
}

TEST_F(MinefieldTest, ClickingAnOpenNumberedCellChangesNothing)
{
    Lay({"*.....", "......", "......", "......", "......", "......"});
    EXPECT_EQ(StepMap(1, 1), StepContinue);
    Cell before[36];
    memcpy(before, g_m, sizeof before);
    EXPECT_EQ(StepMap(1, 1), StepContinue);
    EXPECT_EQ(memcmp(before, g_m, sizeof before), 0);
}

TEST_F(MinefieldTest, LossOpensEverythingAndKeepsMarks)
{
    Lay({"*.....", "......", "..*...", "......", "......", ".....*"});
    At(5, 5).mark = 1;
    At(3, 3).mark = 2;
    At(2, 2).mark = 2;
    EXPECT_EQ(StepMap(2, 2), StepMineHit);  // a question mark does not protect
    for (int i = 0; i < 36; ++i)
        EXPECT_EQ(g_m[i].open, 1);
    EXPECT_EQ(At(5, 5).mark, 1);
    EXPECT_EQ(At(3, 3).mark, 2);
    EXPECT_EQ(At(2, 2).mark, 2);
    EXPECT_EQ(At(0, 0).mark, 0);
}

TEST_F(MinefieldTest, WinFlagsEveryMineWhateverItsMark)
{
    Lay({"*....*", "......", "......", "......", "......", "*....."});
    At(0, 0).mark = 2;
    At(5, 0).mark = 0;
    At(0, 5).mark = 1;
    At(1, 0).mark = 2;
    EXPECT_EQ(StepMap(1, 0), StepContinue);  // numbered: opens alone
    EXPECT_EQ(StepMap(3, 3), StepCleared);
    EXPECT_EQ(At(0, 0).mark, 1);
    EXPECT_EQ(At(5, 0).mark, 1);
    EXPECT_EQ(At(0, 5).mark, 1);
    EXPECT_EQ(At(1, 0).mark, 2);  // safe cells keep their marks
    EXPECT_EQ(At(0, 0).open, 0);
}

TEST_F(MinefieldTest, BoardWithoutMinesIsWonByTheFirstClick)
{
    ASSERT_TRUE(CreateMap(6, 6, 0));
    At(3, 3).mark = 1;
    EXPECT_EQ(StepMap(3, 3), StepContinue);
    EXPECT_EQ(StepMap(0, 5), StepCleared);
    for (int i = 0; i < 36; ++i)
        EXPECT_EQ(g_m[i].open, 1);
}

TEST_F(MinefieldTest, MovesOutsideTheBoardAreRefused)
{
    ASSERT_TRUE(CreateMap(6, 6, 5));
    EXPECT_EQ(StepMap(6, 0), StepContinue);
    EXPECT_EQ(StepMap(0, -1), StepContinue);
    CycleMark(-1, 0);
    CycleMark(0, 6);
    for (int i = 0; i < 36; ++i) {
        EXPECT_EQ(g_m[i].open, 0);
        EXPECT_EQ(g_m[i].mark, 0);
    }
}

TEST_F(MinefieldTest, LargeBoardLaysEveryMineEverywhere)
{
    ASSERT_TRUE(CreateMap(400, 300, 100000));
    EXPECT_EQ(CountMines(), 100000);
    int lastRows = 0;
    for (int i = 400 * 290; i < 400 * 300; ++i)
        lastRows += g_m[i].value == -1;
    // About five in six of the cells there are mines.
    EXPECT_GT(lastRows, 2500);
}

#ifdef _WIN32
// The Windows C runtime's generator, as documented.
struct MsRand {
    uint32_t x = 1;
    int Next()
    {
        x = x * 214013u + 2531011u;
        return (int)((x >> 16) & 0x7FFF);
    }
};

std::vector<int> ExpectedMines(MsRand& r, int n, int mines)
{
    std::vector<int> board(n, 0);
    for (int placed = 0; placed < mines;) {
        const int i = r.Next() % n;
        if (board[i])
            continue;
        board[i] = 1;
        ++placed;
    }
    return board;
}

TEST_F(MinefieldTest, BoardsFollowTheRuntimeGeneratorFromItsFirstState)
{
    srand(1);  // the state every run starts in
    MsRand r;
    for (int game = 0; game < 2; ++game) {
        const std::vector<int> expected = ExpectedMines(r, 100, 10);
        ASSERT_TRUE(CreateMap(10, 10, 10));
        for (int i = 0; i < 100; ++i)
            EXPECT_EQ(g_m[i].value == -1, expected[i] == 1) << "game " << game << " cell " << i;
        FreeMap();
    }
}
#endif

}  // namespace
