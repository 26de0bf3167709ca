// Painting under real GDI: the pixels of every cell look read back from the
// off-screen surface; a repaint, which writes only the cells whose look
// changed, always equal to painting every cell with GDI; the drawing objects
// released.
#include <gtest/gtest.h>

#include <windows.h>

#include <math.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "minefield/minefield.h"
#include "presentation/presentation.h"
#include "settings/settings_reader.h"

namespace {

HWND g_hWnd; // one window for every test

// Distinct from each other and from black, white, pure red and pure blue.
const COLORREF kColors[12] = {0xC8C8C8, 0xA09090, 0x406080, 0x102030, 0x008000, 0x800080,
                              0x008080, 0x804000, 0x004080, 0x808000, 0x400040, 0x206020};
const COLORREF kNone = 0xFFFFFFFF, kWhite = 0xFFFFFF, kRed = 0x0000FF, kBlue = 0xFF0000;

// A board of 31 x 17 cells with 100 mines, and its drawing objects for a window;
// what the test before left is released first.
struct Paint : ::testing::Test {
    void SetUp() override
    {
        ReleaseDrawingObjects(g_hWnd);
        FreeMap();
        std::copy(kColors, kColors + 12, g_colors);
        g_hWnd =
            g_hWnd ? g_hWnd : CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 1, 1, 0, 0, 0, 0);
        ASSERT_TRUE(CreateMap(31, 17, 100) && CreateDrawingObjects(g_hWnd) && DrawMapUsesTiles());
    }
};

// Each look: its cell (value, open, mark), the colours of its top and left
// edges, of its bottom and right edges and of its fill, and the ink in its
// middle: a character (a digit, "!" or "?") or the mine's disc.
TEST_F(Paint, EveryCellLook)
{
    const COLORREF back = kColors[0], back2 = kColors[1], raster = kColors[2];
    std::tuple<Cell, COLORREF, COLORREF, COLORREF, COLORREF, char> looks[16] = {
        {{0, 0, 0}, kWhite, 0, back2, kNone, 0},
        {{0, 0, 1}, kWhite, 0, back2, kRed, '!'},
        {{0, 0, 2}, kWhite, 0, back2, kBlue, '?'},
        {{5, 0, 0}, kWhite, 0, back2, kNone, 0},
        {{-1, 0, 0}, kWhite, 0, back2, kNone, 0},
        {{0, 1, 1}, raster, raster, back, kNone, 0},
        {{-1, 1, 2}, raster, raster, back, kColors[3], 0}};
    for (int v = 1; v <= 8; ++v)
        looks[6 + v] = {{v, 1, 0}, raster, raster, back, kColors[3 + v], (char)('0' + v)};
    looks[15] = {{0, 1, 0}, raster, raster, back, kNone, 0};
    for (int x = 0; x < 16; ++x)
        g_m[x] = std::get<0>(looks[x]);
    DrawMap();
    for (int x = 0; x < 16; ++x) {
        const auto& [cell, topLeft, bottomRight, fill, ink, character] = looks[x];
        // Two rows below, what GDI's own text output makes of the character in
        // its ink, on the fill and centred: the right character, and nothing
        // around it but the fill.
        const RECT below = {x * 20, 40, x * 20 + 20, 60};
        SetDCBrushColor(g_hDC, fill);
        FillRect(g_hDC, &below, (HBRUSH)GetStockObject(DC_BRUSH));
        SetTextColor(g_hDC, ink);
        SetBkMode(g_hDC, TRANSPARENT);
        SIZE size;
        GetTextExtentPoint32A(g_hDC, &character, 1, &size);
        TextOutA(g_hDC, x * 20 + (20 - size.cx) / 2, 40 + (20 - size.cy) / 2, &character, 1);
        int inked = 0, other = 0, unlike = 0;
        double cx = 0, cy = 0;
        for (int py = 0; py < 20; ++py)
            for (int px = 0; px < 20; ++px) {
                const COLORREF c = GetPixel(g_hDC, x * 20 + px, py);
                if (px == 0 || py == 0 || px == 19 || py == 19) {
                    ASSERT_EQ(c, px == 0 || py == 0 ? topLeft : bottomRight)
                        << x << ": " << px << "," << py;
                    continue;
                }
                if (c != fill)
                    inked += c == ink, ++other, cx += px, cy += py;
                unlike += character && c != GetPixel(g_hDC, x * 20 + px, 40 + py);
            }
        EXPECT_EQ(other > 0, ink != kNone) << "look " << x;
        EXPECT_GT(inked, ink == kColors[3] ? 80 : -1) << "look " << x;
        EXPECT_TRUE(!other || (fabs(cx / other - 9.5) < 3 && fabs(cy / other - 9.5) < 3))
            << "look " << x;
        EXPECT_EQ(unlike, 0) << "look " << x << " is not " << character;
    }
}

// Repaints, then compares the board with every cell painted with GDI into a
// bitmap of the kind GDI makes for the window.
bool RepaintEqualsGdi()
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

// After a game of moves, a loss, a new board of the same size and new drawing
// objects, the old ones all released.
TEST_F(Paint, RepaintEqualsPaintingEveryCellWithGdiAfterEveryChange)
{
    const int w = 31, h = 17;
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
    ASSERT_TRUE(CreateMap(w, h, 100));
    ForgetShownLooks();
    EXPECT_TRUE(RepaintEqualsGdi()) << "new board";
    const HGDIOBJ old[] = {g_hDC, g_hBitmap, g_hb1, g_hb2, g_hb3, g_hp1};
    ReleaseDrawingObjects(g_hWnd);
    for (HGDIOBJ object : old)
        EXPECT_EQ(GetObjectType(object), 0u) << "an object left alive";
    ASSERT_TRUE(CreateDrawingObjects(g_hWnd));
    EXPECT_TRUE(RepaintEqualsGdi()) << "new drawing objects";
}

} // namespace
