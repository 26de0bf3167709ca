// DrawMap writes only the cells whose look changed since the last repaint;
// whatever happened in between, its picture must be exactly what painting
// every cell with GDI gives: after the first paint and every move of a game, a
// loss, a new board of the same size and new drawing objects.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <vector>

#include "minefield/minefield.h"
#include "presentation/presentation.h"
#include "settings/settings_reader.h"

HWND g_hWnd;

// Repaints, then compares the board with every cell painted with GDI into a
// bitmap of the kind GDI makes for the window.
static bool RepaintEqualsGdi()
{
    DrawMap();
    const int w = g_mw * CELL_SIZE, h = g_mh * CELL_SIZE;
    HDC dc = CreateCompatibleDC(g_hClientDC);
    HBITMAP bitmap = CreateCompatibleBitmap(g_hClientDC, w, h);
    SelectObject(dc, bitmap);
    SetBkMode(dc, TRANSPARENT);
    PaintCells(dc);
    BitBlt(dc, 0, 0, w, h, g_hDC, 0, 0, SRCINVERT); // equal pixels become zero
    std::vector<uint32_t> bits((size_t)w * h, 1);   // what is not read differs
    GetBitmapBits(bitmap, (LONG)(bits.size() * sizeof bits[0]), bits.data());
    DeleteDC(dc);
    DeleteObject(bitmap);
    return bits == std::vector<uint32_t>(bits.size(), 0);
}

TEST(Repaint, EqualsPaintingEveryCellWithGdiAfterEveryChange)
{
    for (int i = 0; i < 12; ++i) // distinct, and none black, white, pure red or blue
        g_colors[i] = 0x102030u * (uint32_t)(i + 1);
    const int w = 31, h = 17, mines = 100;
    ASSERT_TRUE(CreateMap(w, h, mines));
    g_hWnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(CreateDrawingObjects(g_hWnd) && DrawMapUsesTiles()); // Xvfb's display is 32-bit
    EXPECT_TRUE(RepaintEqualsGdi()) << "first paint";
    // Two steps on safe cells to one mark, the marks on a few cells only, so
    // that they run through "!" and "?" back to none.
    for (int move = 0; move < 60; ++move) {
        const int i = rand() % (w * h), x = i % w, y = i / w;
        move % 3 && g_m[i].value != -1 ? (void)StepMap(x, y) : CycleMark(x % 3, y % 2);
        ASSERT_TRUE(RepaintEqualsGdi()) << "move " << move;
    }
    int mine = 0; // a loss: a step on a mine without a flag
    while (g_m[mine].value != -1 || g_m[mine].mark == 1)
        ++mine;
    ASSERT_EQ(StepMap(mine % w, mine / w), StepMineHit);
    EXPECT_TRUE(RepaintEqualsGdi()) << "loss";
    FreeMap(); // the next game, as after Yes
    ASSERT_TRUE(CreateMap(w, h, mines));
    ForgetShownLooks();
    EXPECT_TRUE(RepaintEqualsGdi()) << "new board";
    ReleaseDrawingObjects(g_hWnd);
    ASSERT_TRUE(CreateDrawingObjects(g_hWnd));
    EXPECT_TRUE(RepaintEqualsGdi()) << "new drawing objects";
    ReleaseDrawingObjects(g_hWnd);
    DestroyWindow(g_hWnd);
    FreeMap();
}
