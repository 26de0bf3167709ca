// In-process under Wine, with real GDI and USER32. Painting: the pixels of
// every cell look read back from the off-screen surface; a repaint, which
// writes only the cells whose look changed, always equal to painting every
// cell with GDI; the drawing objects released. And the main loop, with other
// windows on its thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "app/app.h"
#include "minefield/minefield.h"
#include "presentation/presentation.h"
#include "settings/settings_reader.h"

namespace {

HWND s_window; // one window for every test

// Distinct from each other and from black, white, pure red and pure blue.
const COLORREF kColors[12] = {0xC8C8C8, 0xA09090, 0x406080, 0x102030, 0x008000, 0x800080,
                              0x008080, 0x804000, 0x004080, 0x808000, 0x400040, 0x206020};
const COLORREF kWhite = 0xFFFFFF, kRed = 0x0000FF, kBlue = 0xFF0000;

// A board of 31 x 17 cells with 100 mines, and its drawing objects for a window;
// what the test before left is released first.
struct Paint : ::testing::Test {
    void SetUp() override
    {
        ReleaseDrawingObjects(s_window);
        FreeMap();
        std::copy(kColors, kColors + 12, g_colors);
        s_window = s_window ? s_window
                            : CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 1, 1, 0, 0, 0, 0);
        ASSERT_TRUE(CreateMap(31, 17, 100) && CreateDrawingObjects(s_window) && DrawMapUsesTiles());
    }
};

// Each look: its cell (value, open, mark), and inside its edges, on its fill,
// a character in its colour, the mine's disc ('*') or nothing. A covered cell
// is raised (light top and left edges, black bottom and right) on backcolor2;
// an open one is outlined in rastercolor on backcolor.
TEST_F(Paint, EveryCellLook)
{
    // clang-format off
    std::tuple<Cell, COLORREF, char> looks[16] = {
        {{0, 0, 0}, 0, 0}, {{0, 0, 1}, kRed, '!'}, {{0, 0, 2}, kBlue, '?'}, {{5, 0, 0}, 0, 0},
        {{-1, 0, 0}, 0, 0}, {{0, 1, 1}, 0, 0}, {{-1, 1, 2}, kColors[3], '*'}, {{0, 1, 0}, 0, 0}};
    // clang-format on
    for (int v = 1; v <= 8; ++v)
        looks[7 + v] = {{v, 1, 0}, kColors[3 + v], (char)('0' + v)};
    for (int x = 0; x < 16; ++x)
        g_m[x] = std::get<0>(looks[x]);
    DrawMap();
    SelectObject(g_hDC, GetStockObject(DC_BRUSH));
    SelectObject(g_hDC, GetStockObject(DC_PEN));
    SetDCPenColor(g_hDC, kColors[2]);
    for (int x = 0; x < 16; ++x) {
        const auto& [cell, ink, shows] = looks[x];
        // Two rows below, the middle as the look must show it, drawn here
        // with GDI: the fill, then the character centred, or the disc.
        SetDCBrushColor(g_hDC, kColors[cell.open ? 0 : 1]);
        PatBlt(g_hDC, x * 20, 40, 20, 20, PATCOPY);
        SetDCBrushColor(g_hDC, ink);
        SetTextColor(g_hDC, ink);
        SIZE size;
        GetTextExtentPoint32A(g_hDC, &shows, 1, &size);
        if (shows == '*')
            Ellipse(g_hDC, x * 20 + 3, 43, x * 20 + 17, 57);
        else if (shows)
            TextOutA(g_hDC, x * 20 + (20 - size.cx) / 2, 40 + (20 - size.cy) / 2, &shows, 1);
        for (int py = 0; py < 20; ++py)
            for (int px = 0; px < 20; ++px) {
                const COLORREF edge = cell.open ? kColors[2] : px == 0 || py == 0 ? kWhite : 0;
                const bool inside = px > 0 && py > 0 && px < 19 && py < 19;
                const COLORREF drawn = GetPixel(g_hDC, x * 20 + px, 40 + py);
                ASSERT_EQ(GetPixel(g_hDC, x * 20 + px, py), inside ? drawn : edge)
                    << "look " << x << " ('" << shows << "') at " << px << "," << py;
            }
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
    const int mine = // a loss: a step on a mine without a flag
        std::find_if(g_m, g_m + w * h, [](Cell c) { return c.value == -1 && c.mark != 1; }) - g_m;
    ASSERT_EQ(StepMap(mine % w, mine / w), StepMineHit);
    EXPECT_TRUE(RepaintEqualsGdi()) << "loss";
    FreeMap(); // the next game, as after Yes
    ASSERT_TRUE(CreateMap(w, h, 100));
    ForgetShownLooks();
    EXPECT_TRUE(RepaintEqualsGdi()) << "new board";
    const HGDIOBJ old[] = {g_hDC, g_hBitmap, g_hb1, g_hb2, g_hb3, g_hp1};
    ReleaseDrawingObjects(s_window);
    for (HGDIOBJ object : old)
        EXPECT_EQ(GetObjectType(object), 0u) << "an object left alive";
    ASSERT_TRUE(CreateDrawingObjects(s_window));
    EXPECT_TRUE(RepaintEqualsGdi()) << "new drawing objects";
}

// The main loop takes every message of its thread, not only the game window's:
// one for another of its windows (an input method's, say) is not left behind
// when the thread is asked to quit. Between messages it sleeps: idle for a
// second and a half it uses a small part of that time, where a loop that
// never waits uses most of it. And the window procedure leaves the window
// menu's commands to the default one.
TEST(Shell, MainLoopAndWindowMenu)
{
    g_hWnd = CreateWindowExA(0, "Static", "", kWindowStyle | WS_VISIBLE, 0, 0, 99, 99, 0, 0, 0, 0);
    PostMessageA(CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 1, 1, 0, 0, 0, 0), WM_USER, 0, 0);
    // Timers of the game window: a loop that takes its messages only still sees them.
    SetTimer(g_hWnd, 1, 1500, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });
    static bool late = false; // a loop that ignores the request ends five seconds later
    SetTimer(g_hWnd, 2, 6500, [](HWND, UINT, UINT_PTR, DWORD) { late = g_quit = true; });
    // This thread's CPU time, kernel and user, in 100 ns units: right under
    // Wine, where another process's reads 0. A test's thread uses far less
    // than the 429 s that the low halves hold.
    auto cpu = [] {
        FILETIME t[4]; // created, ended, kernel, user
        GetThreadTimes(GetCurrentThread(), &t[0], &t[1], &t[2], &t[3]);
        return (int64_t)t[2].dwLowDateTime + t[3].dwLowDateTime;
    };
    const int64_t before = cpu();
    RunMainLoop();
    EXPECT_LT(cpu() - before, 3000000) << "of 15000000 idle";
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, NULL, WM_USER, WM_USER, PM_REMOVE)) << "left in the queue";
    EXPECT_FALSE(late) << "the request to quit was not heeded";
    for (const WPARAM command : {SC_MINIMIZE, SC_RESTORE}) {
        MainWndProc(g_hWnd, WM_SYSCOMMAND, command, 0);
        EXPECT_EQ(IsIconic(g_hWnd), command == SC_MINIMIZE) << command;
    }
}

} // namespace
