// Presentation under real GDI and USER32: the caption written to a real window,
// pixels read back from the off-screen surface after DrawMap, and the drawing
// objects created and released without leaking.
#include <gtest/gtest.h>

#include <windows.h>
#include <winternl.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "gdi_objects.h"
#include "minefield/minefield.h"
#include "presentation/presentation.h"
#include "settings/settings_reader.h"

HWND g_hWnd;

namespace {

// Distinct from each other and from black, white, pure red and pure blue.
const uint32_t kColors[12] = {0xC8C8C8, 0xA09090, 0x406080, 0x102030, 0x008000, 0x800080,
                              0x008080, 0x804000, 0x004080, 0x808000, 0x400040, 0x206020};
const COLORREF kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0x0000FF, kBlue = 0xFF0000;

HWND MakeWindow(int width, int height)
{
    static ATOM atom;
    if (!atom) {
        WNDCLASSA wc = {};
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "Kalv presentation test";
        atom = RegisterClassA(&wc);
    }
    return CreateWindowExA(0, "Kalv presentation test", "", WS_POPUP | WS_VISIBLE, 0, 0, width,
                           height, NULL, NULL, GetModuleHandleA(NULL), NULL);
}

Cell& At(int x, int y)
{
    return g_m[y * g_mw + x];
}

// A board of the given size with every cell safe, empty and covered.
struct PresentationTest : ::testing::Test {
    void SetUp() override { memcpy(g_colors, kColors, sizeof g_colors); }
    void Board(int w, int h)
    {
        ASSERT_TRUE(CreateMap(w, h, 0));
        g_hWnd = MakeWindow(w * CELL_SIZE, h * CELL_SIZE);
        ASSERT_TRUE(g_hWnd);
        ASSERT_TRUE(CreateDrawingObjects(g_hWnd));
    }
    void TearDown() override
    {
        if (g_hDC)
            ReleaseDrawingObjects(g_hWnd);
        if (g_hWnd)
            DestroyWindow(g_hWnd);
        g_hWnd = NULL;
        FreeMap();
    }
};

COLORREF Pixel(int x, int y)
{
    return GetPixel(g_hDC, x, y);
}

// Every pixel of cell (cx, cy), row by row.
std::vector<COLORREF> CellPixels(int cx, int cy)
{
    std::vector<COLORREF> pixels;
    for (int y = 0; y < CELL_SIZE; ++y)
        for (int x = 0; x < CELL_SIZE; ++x)
            pixels.push_back(Pixel(cx * CELL_SIZE + x, cy * CELL_SIZE + y));
    return pixels;
}

bool Shows(int cx, int cy, COLORREF colour)
{
    for (COLORREF c : CellPixels(cx, cy))
        if (c == colour)
            return true;
    return false;
}

// The centre of the pixels inside the outline that differ from the fill: where
// the text sits, whatever the font and its smoothing.
bool InkCentre(int cx, int cy, COLORREF fill, double* x, double* y)
{
    double sx = 0, sy = 0;
    int n = 0;
    for (int py = 1; py < CELL_SIZE - 1; ++py)
        for (int px = 1; px < CELL_SIZE - 1; ++px)
            if (Pixel(cx * CELL_SIZE + px, cy * CELL_SIZE + py) != fill) {
                sx += px, sy += py, ++n;
            }
    if (!n)
        return false;
    *x = sx / n, *y = sy / n;
    return true;
}

// ---- caption ----------------------------------------------------------------

std::string Caption()
{
    char text[256];
    GetWindowTextA(g_hWnd, text, sizeof text);
    return text;
}

std::string Expected(int64_t left, int64_t seconds)
{
    char text[128];
    FormatCaption(text, sizeof text, left, seconds);
    return text;
}

// A start so long ago (or so far ahead) that the seconds stay pinned at the
// 32-bit limit: the "same second" cases become independent of the clock.
const SYSTEMTIME kLongAgo = {1900, 1, 1, 1, 0, 0, 0, 0};
const SYSTEMTIME kFarAhead = {2200, 1, 1, 1, 0, 0, 0, 0};

TEST_F(PresentationTest, CaptionCountsFlagsOnCoveredCellsOnly)
{
    ASSERT_EQ(GetACP(), 1250u) << "the tests run with the Czech ANSI code page";
    Board(5, 2);
    g_pm = 10;
    g_start_time = kLongAgo;
    DrawCap(true);
    EXPECT_EQ(Caption(), Expected(10, INT32_MAX));
    EXPECT_EQ(g_delta_time, INT32_MAX);

    At(0, 0).mark = 1; // counts
    At(1, 0).mark = 1; // counts
    At(2, 0).mark = 2; // a question mark does not
    At(3, 0).mark = 1; // on an open cell it does not
    At(3, 0).open = 1;
    DrawCap(true);
    EXPECT_EQ(Caption(), Expected(8, INT32_MAX));

    for (int x = 0; x < 5; ++x)
        At(x, 1).mark = 1;
    for (int x = 0; x < 5; ++x)
        At(x, 0).mark = 1, At(x, 0).open = 0;
    g_pm = 10;
    DrawCap(true); // ten flags on ten mines
    EXPECT_EQ(Caption(), Expected(0, INT32_MAX));
    g_pm = 8; // more flags than mines
    DrawCap(true);
    EXPECT_EQ(Caption(), Expected(-2, INT32_MAX));
    EXPECT_NE(Caption().find("-2 miny"), std::string::npos);

    // The most negative mine count less ten flags leaves the 32-bit range.
    g_pm = INT32_MIN;
    DrawCap(true);
    EXPECT_NE(Caption().find("-2147483658 min,"), std::string::npos) << Caption();

    g_start_time = kFarAhead;
    DrawCap(true);
    EXPECT_EQ(g_delta_time, INT32_MIN);
}

TEST_F(PresentationTest, CaptionWrittenOnlyWhenTheSecondsChangeOrForced)
{
    Board(3, 1);
    g_pm = 2;
    g_start_time = kLongAgo;
    g_delta_time = INT32_MAX; // as if written this very second
    SetWindowTextA(g_hWnd, "untouched");
    At(0, 0).mark = 1;
    DrawCap(false);
    EXPECT_EQ(Caption(), "untouched"); // even though a flag was set
    EXPECT_EQ(g_delta_time, INT32_MAX);

    DrawCap(true);
    EXPECT_EQ(Caption(), Expected(1, INT32_MAX));

    SetWindowTextA(g_hWnd, "untouched");
    g_delta_time = 0; // the seconds moved on since the last write
    DrawCap(false);
    EXPECT_EQ(Caption(), Expected(1, INT32_MAX));
    EXPECT_EQ(g_delta_time, INT32_MAX);
}

TEST_F(PresentationTest, CaptionSecondsCountFromTheStart)
{
    Board(2, 2);
    g_pm = 1;
    // Started an hour and a day ago: the full timestamps keep counting across
    // midnight. The clock ticks on between here and DrawCap, on a busy machine
    // perhaps more than once.
    SYSTEMTIME now;
    FILETIME ft;
    GetSystemTime(&now);
    now.wMilliseconds = 0;
    SystemTimeToFileTime(&now, &ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime, t.HighPart = ft.dwHighDateTime;
    t.QuadPart -= 90000ull * 10000000ull;
    ft.dwLowDateTime = t.LowPart, ft.dwHighDateTime = t.HighPart;
    FileTimeToSystemTime(&ft, &g_start_time);
    g_delta_time = 0;
    DrawCap(false);
    EXPECT_GE(g_delta_time, 90000);
    EXPECT_LE(g_delta_time, 90060);
    EXPECT_EQ(Caption(), Expected(1, g_delta_time));
}

TEST_F(PresentationTest, NoCaptionBeforeTheWindowExists)
{
    Board(2, 2);
    const HWND window = g_hWnd;
    g_hWnd = NULL;
    g_delta_time = 7;
    g_start_time = kLongAgo;
    DrawCap(true);
    EXPECT_EQ(g_delta_time, 7);
    g_hWnd = window;
}

// ---- board ------------------------------------------------------------------

TEST_F(PresentationTest, OpenEmptyCellsAreOutlinedSquares)
{
    Board(3, 2);
    for (int x = 0; x < 3; ++x)
        At(x, 0).open = 1;
    DrawMap();
    for (int i = 0; i < CELL_SIZE; ++i) {
        EXPECT_EQ(Pixel(i, 0), kColors[COLOR_RASTER]) << i;
        EXPECT_EQ(Pixel(i, 19), kColors[COLOR_RASTER]) << i;
        EXPECT_EQ(Pixel(0, i), kColors[COLOR_RASTER]) << i;
        EXPECT_EQ(Pixel(19, i), kColors[COLOR_RASTER]) << i;
    }
    for (int y = 1; y < 19; ++y)
        for (int x = 1; x < 19; ++x)
            ASSERT_EQ(Pixel(x, y), kColors[COLOR_BACK]) << x << "," << y;
    // Side by side: two outline lines next to each other, then the fill.
    for (int y = 1; y < 19; ++y) {
        EXPECT_EQ(Pixel(18, y), kColors[COLOR_BACK]);
        EXPECT_EQ(Pixel(19, y), kColors[COLOR_RASTER]);
        EXPECT_EQ(Pixel(20, y), kColors[COLOR_RASTER]);
        EXPECT_EQ(Pixel(21, y), kColors[COLOR_BACK]);
    }
}

TEST_F(PresentationTest, CoveredCellsAreRaised)
{
    Board(2, 3);
    At(0, 1).open = 1; // an open cell under the covered (0, 0)
    DrawMap();
    for (int i = 0; i < CELL_SIZE; ++i) {
        EXPECT_EQ(Pixel(0, i), kWhite) << "left edge " << i;
        EXPECT_EQ(Pixel(i, 0), kWhite) << "top edge " << i;
    }
    for (int i = 1; i < CELL_SIZE; ++i) {
        EXPECT_EQ(Pixel(19, i), kBlack) << "right edge " << i;
        EXPECT_EQ(Pixel(i, 19), kBlack) << "bottom edge " << i;
    }
    for (int y = 1; y < 19; ++y)
        for (int x = 1; x < 19; ++x)
            ASSERT_EQ(Pixel(x, y), kColors[COLOR_BACK2]) << x << "," << y;
    // The white edge starts one pixel down, on the cell below, which covers it.
    EXPECT_EQ(Pixel(0, 20), kColors[COLOR_RASTER]);
    // The covered cell to the right starts with its own white edge.
    EXPECT_EQ(Pixel(20, 10), kWhite);
    EXPECT_EQ(Pixel(39, 10), kBlack);
}

TEST_F(PresentationTest, MineIsADisc)
{
    Board(1, 1);
    At(0, 0).value = -1;
    At(0, 0).open = 1;
    DrawMap();
    EXPECT_EQ(Pixel(10, 10), kColors[COLOR_MINE]);
    EXPECT_EQ(Pixel(2, 2), kColors[COLOR_BACK]);
    EXPECT_EQ(Pixel(17, 17), kColors[COLOR_BACK]);
    int disc = 0, rim = 0;
    for (COLORREF c : CellPixels(0, 0)) {
        disc += c == kColors[COLOR_MINE];
        rim += c == kColors[COLOR_RASTER];
    }
    // Inscribed in 14 x 14 pixels: about 150 in all, a ring of them the outline.
    EXPECT_GT(disc, 80);
    EXPECT_LT(disc, 160);
    EXPECT_GT(rim, 76 + 20); // the square's outline and the disc's
}

TEST_F(PresentationTest, DigitsInTheirColoursRoughlyCentred)
{
    Board(8, 1);
    for (int v = 1; v <= 8; ++v) {
        At(v - 1, 0).value = v;
        At(v - 1, 0).open = 1;
    }
    DrawMap();
    for (int v = 1; v <= 8; ++v) {
        const int cx = v - 1;
        EXPECT_TRUE(Shows(cx, 0, kColors[COLOR_DIGIT1 + v - 1])) << "digit " << v;
        for (int other = 1; other <= 8; ++other)
            if (other != v) {
                EXPECT_FALSE(Shows(cx, 0, kColors[COLOR_DIGIT1 + other - 1]))
                    << "digit " << v << " shows the colour of " << other;
            }
        double x, y;
        ASSERT_TRUE(InkCentre(cx, 0, kColors[COLOR_BACK], &x, &y)) << "digit " << v;
        EXPECT_NEAR(x, 9.5, 3.0) << "digit " << v;
        EXPECT_NEAR(y, 9.5, 3.5) << "digit " << v;
    }
}

TEST_F(PresentationTest, MarksOnCoveredCellsOnly)
{
    Board(6, 1);
    At(0, 0).mark = 1;                    // covered, flag
    At(1, 0).mark = 2;                    // covered, question
    At(2, 0).value = 5;                   // covered, no mark: neither value nor text
    At(3, 0).value = -1;                  // covered mine: no disc
    At(4, 0).open = 1, At(4, 0).mark = 1; // open: the mark is not shown
    At(5, 0).open = 1, At(5, 0).mark = 2, At(5, 0).value = 3;
    DrawMap();

    EXPECT_TRUE(Shows(0, 0, kRed));
    EXPECT_FALSE(Shows(0, 0, kBlue));
    double x, y;
    ASSERT_TRUE(InkCentre(0, 0, kColors[COLOR_BACK2], &x, &y));
    EXPECT_NEAR(x, 9.5, 3.0);
    EXPECT_NEAR(y, 9.5, 3.5);

    EXPECT_TRUE(Shows(1, 0, kBlue));
    EXPECT_FALSE(Shows(1, 0, kRed));
    ASSERT_TRUE(InkCentre(1, 0, kColors[COLOR_BACK2], &x, &y));
    EXPECT_NEAR(x, 9.5, 3.0);
    EXPECT_NEAR(y, 9.5, 3.5);

    for (int cx = 2; cx <= 3; ++cx) {
        EXPECT_FALSE(InkCentre(cx, 0, kColors[COLOR_BACK2], &x, &y)) << "cell " << cx;
        EXPECT_FALSE(Shows(cx, 0, kColors[COLOR_MINE]));
    }
    EXPECT_FALSE(InkCentre(4, 0, kColors[COLOR_BACK], &x, &y));
    EXPECT_TRUE(Shows(5, 0, kColors[COLOR_DIGIT1 + 2]));
    EXPECT_FALSE(Shows(5, 0, kBlue));
    EXPECT_FALSE(Shows(4, 0, kRed));
}

// '*' a mine; the counts follow from them.
void Lay(const char* const* rows, int h)
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < g_mw; ++x)
            At(x, y).value = rows[y][x] == '*' ? -1 : 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < g_mw; ++x) {
            if (At(x, y).value == -1)
                continue;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < g_mw && ny < h && At(nx, ny).value == -1)
                        ++At(x, y).value;
                }
        }
}

const char* const kField[] = {"*...*", ".....", "..*..", "....."};

TEST_F(PresentationTest, AfterALossEveryMineIsADisc)
{
    Board(5, 4);
    Lay(kField, 4);
    At(0, 0).mark = 1;
    At(4, 0).mark = 1;
    At(1, 1).mark = 2;
    ASSERT_EQ(StepMap(2, 2), StepMineHit);
    DrawMap();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const int v = At(x, y).value;
            EXPECT_FALSE(Shows(x, y, kRed)) << x << "," << y;
            EXPECT_FALSE(Shows(x, y, kBlue)) << x << "," << y;
            if (v == -1) {
                EXPECT_EQ(Pixel(x * CELL_SIZE + 10, y * CELL_SIZE + 10), kColors[COLOR_MINE]);
            } else if (v > 0) {
                EXPECT_TRUE(Shows(x, y, kColors[COLOR_DIGIT1 + v - 1])) << x << "," << y;
            }
        }
}

TEST_F(PresentationTest, AfterAWinEveryMineIsFlagged)
{
    Board(5, 4);
    Lay(kField, 4);
    StepResult r = StepContinue;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            if (At(x, y).value != -1 && !At(x, y).open)
                r = StepMap(x, y);
    ASSERT_EQ(r, StepCleared);
    DrawMap();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool mine = At(x, y).value == -1;
            EXPECT_EQ(Shows(x, y, kRed), mine) << x << "," << y;
            if (mine) {
                EXPECT_EQ(Pixel(x * CELL_SIZE + 2, y * CELL_SIZE + 2), kColors[COLOR_BACK2]);
                EXPECT_FALSE(Shows(x, y, kColors[COLOR_MINE]));
            }
        }
}

TEST_F(PresentationTest, OneCopyReachesTheWindow)
{
    Board(4, 3);
    At(1, 1).open = 1;
    At(1, 1).value = 2;
    DrawMap();
    // What the window's own context holds now is the off-screen frame.
    int differ = 0;
    for (int y = 0; y < 3 * CELL_SIZE; ++y)
        for (int x = 0; x < 4 * CELL_SIZE; ++x)
            differ += GetPixel(g_hClientDC, x, y) != Pixel(x, y);
    EXPECT_EQ(differ, 0);
}

// ---- drawing objects ----------------------------------------------------------

TEST_F(PresentationTest, CreatingAndReleasingLeavesNothingBehind)
{
    Board(30, 16);
    // The count must see a single brush come and go, or it measures nothing.
    const int64_t base = GdiObjects();
    ASSERT_GT(base, 0);
    const HBRUSH probe = CreateSolidBrush(0x123456);
    EXPECT_EQ(GdiObjects(), base + 1);
    DeleteObject(probe);
    ASSERT_EQ(GdiObjects(), base);

    // Once through, so what USER keeps for a window's first DC is counted.
    DrawMap();
    ReleaseDrawingObjects(g_hWnd);
    const int64_t before = GdiObjects();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(CreateDrawingObjects(g_hWnd));
        DrawMap();
        const HGDIOBJ ours[] = {g_hDC, g_hBitmap, g_hb1, g_hb2, g_hb3, g_hp1};
        ReleaseDrawingObjects(g_hWnd);
        for (HGDIOBJ h : ours)
            ASSERT_EQ(GetObjectType(h), 0u) << "cycle " << i << " left an object alive";
        ASSERT_FALSE(g_hDC || g_hBitmap || g_hb1 || g_hb2 || g_hb3 || g_hp1 || g_hClientDC);
    }
    EXPECT_EQ(GdiObjects(), before);
    ASSERT_TRUE(CreateDrawingObjects(g_hWnd)); // for TearDown
}

TEST_F(PresentationTest, RefusedOrRepeatedCallsHoldNothing)
{
    Board(2, 2);
    ReleaseDrawingObjects(g_hWnd);
    const int64_t before = GdiObjects();
    ReleaseDrawingObjects(g_hWnd); // twice
    DrawMap();                     // no surface: nothing to paint on

    // Sizes that cannot be a bitmap of the board are refused with nothing held.
    const int32_t w = g_mw;
    for (int32_t bad : {0, -3, INT32_MAX / CELL_SIZE + 1, INT32_MAX}) {
        g_mw = bad;
        EXPECT_FALSE(CreateDrawingObjects(g_hWnd)) << bad;
        EXPECT_FALSE(g_hClientDC || g_hDC || g_hBitmap || g_hb1 || g_hb2 || g_hb3 || g_hp1);
    }
    g_mw = w;
    EXPECT_EQ(GdiObjects(), before);
}

} // namespace
