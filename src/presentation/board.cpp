// Painting the board: every cell into an off-screen surface, then one copy to
// the window, so the player never sees a half-drawn frame.
//
// Each cell has one of thirteen looks (covered plain, "!", "?"; open empty,
// mine, digits 1 to 8). Each look is drawn once, with the same GDI calls a cell
// gets, into a tile; a repaint then writes rows of tile pixels straight into
// the board's DIB section, which is many times cheaper than the GDI calls cell
// by cell and gives the same picture to the last pixel. Should a look ever
// reach outside its square (a font too large), or the display not be 32-bit,
// the cells are painted one by one instead.
//
// A cell's square depends on its own look alone, and the bitmap keeps its
// pixels between repaints, so a repaint writes only the cells whose look
// differs from the one they were last written with: a click changes a handful
// of the thousands of cells, and the copy to the window is then nearly all a
// repaint costs.
#include "presentation/presentation.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define KALV_STREAM_STORES 1
#endif

#include "minefield/minefield.h"
#include "settings/settings_reader.h"

HDC g_hClientDC;
HDC g_hDC;
HBITMAP g_hBitmap;
HBRUSH g_hb1;
HBRUSH g_hb2;
HBRUSH g_hb3;
HPEN g_hp1;

// What g_hDC held when it was made. GDI does not delete an object that is still
// selected into a context, so these go back in before ours are deleted.
static HGDIOBJ s_old_bitmap;
static HGDIOBJ s_old_brush;
static HGDIOBJ s_old_pen;

enum {
    LOOK_COVERED = 0, // + mark: plain, "!", "?"
    LOOK_EMPTY = 3,
    LOOK_MINE = 4,
    LOOK_DIGIT1 = 5, // + value - 1: the digits 1 to 8
    LOOKS = 13,
    LOOK_UNKNOWN = 0xFF, // in s_shown: the cell's pixels are not a tile yet
    TILE_PIXELS = CELL_SIZE * CELL_SIZE,
};

static uint32_t* s_bits;     // the board's pixels (g_hBitmap), top-down, or null
static uint32_t* s_tiles;    // LOOKS tiles of TILE_PIXELS each, or null
static uint8_t* s_shown;     // per cell, the look its pixels in s_bits show
static size_t s_shown_cells; // cells of the board s_shown was made for
static int32_t* s_runs;      // first and past-last column of each run of
                             // changed cells in one row: at most g_mw + 1

static HBITMAP CreateDib(HDC dc, int width, int height, uint32_t** bits);
static bool MakeTiles();
static void ForgetShownLooks();

bool CreateDrawingObjects(HWND window)
{
    // A zero size would get a 1 x 1 monochrome bitmap, and a board wider than
    // the int32_t pixel range cannot be painted at all.
    const int64_t width = (int64_t)g_mw * CELL_SIZE, height = (int64_t)g_mh * CELL_SIZE;
    if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX)
        return false;

    g_hClientDC = GetDC(window);
    g_hDC = g_hClientDC ? CreateCompatibleDC(g_hClientDC) : NULL;
    // On a 32-bit display the surface is a DIB section whose pixels the tiles
    // are written into; elsewhere a plain compatible bitmap painted by GDI.
    const bool direct = g_hDC && GetDeviceCaps(g_hClientDC, BITSPIXEL) == 32;
    if (direct)
        g_hBitmap = CreateDib(g_hClientDC, (int)width, (int)height, &s_bits);
    else if (g_hDC)
        g_hBitmap = CreateCompatibleBitmap(g_hClientDC, (int)width, (int)height);
    g_hb1 = CreateSolidBrush(g_colors[COLOR_BACK]);
    g_hb2 = CreateSolidBrush(g_colors[COLOR_BACK2]);
    g_hb3 = CreateSolidBrush(g_colors[COLOR_MINE]);
    g_hp1 = CreatePen(PS_SOLID, 1, g_colors[COLOR_RASTER]);
    if (!g_hBitmap || !g_hb1 || !g_hb2 || !g_hb3 || !g_hp1) {
        ReleaseDrawingObjects(window);
        return false;
    }
    s_old_bitmap = SelectObject(g_hDC, g_hBitmap);
    s_old_brush = GetCurrentObject(g_hDC, OBJ_BRUSH);
    s_old_pen = GetCurrentObject(g_hDC, OBJ_PEN);
    SetBkMode(g_hDC, TRANSPARENT);
    if (s_bits) {
        s_shown_cells = (size_t)g_mw * (size_t)g_mh;
        s_shown = (uint8_t*)malloc(s_shown_cells);
        s_runs = (int32_t*)malloc(sizeof(int32_t) * ((size_t)g_mw + 1));
        if (!s_shown || !s_runs || !MakeTiles()) {
            free(s_shown);
            free(s_runs);
            s_shown = NULL;
            s_runs = NULL;
            s_bits = NULL; // paint cell by cell
        }
    }
    // The new bitmap holds no tile yet, whatever the last one showed.
    ForgetShownLooks();
    return true;
}

// Makes the next DrawMap write every cell. Only DrawMap writes into g_hDC, so
// the looks it keeps stay true until a new bitmap is made.
static void ForgetShownLooks()
{
    if (s_shown)
        memset(s_shown, LOOK_UNKNOWN, s_shown_cells);
}

void ReleaseDrawingObjects(HWND window)
{
    if (g_hDC) {
        if (s_old_bitmap)
            SelectObject(g_hDC, s_old_bitmap);
        if (s_old_brush)
            SelectObject(g_hDC, s_old_brush);
        if (s_old_pen)
            SelectObject(g_hDC, s_old_pen);
    }
    s_old_bitmap = s_old_brush = s_old_pen = NULL;

    if (g_hp1)
        DeleteObject(g_hp1);
    if (g_hb3)
        DeleteObject(g_hb3);
    if (g_hb2)
        DeleteObject(g_hb2);
    if (g_hb1)
        DeleteObject(g_hb1);
    if (g_hBitmap)
        DeleteObject(g_hBitmap);
    if (g_hDC)
        DeleteDC(g_hDC);
    if (g_hClientDC)
        ReleaseDC(window, g_hClientDC);
    g_hp1 = NULL;
    g_hb3 = g_hb2 = g_hb1 = NULL;
    g_hBitmap = NULL;
    g_hDC = g_hClientDC = NULL;
    free(s_tiles);
    free(s_shown);
    free(s_runs);
    s_tiles = NULL;
    s_shown = NULL;
    s_runs = NULL;
    s_bits = NULL;
}

// One character or digit centred in the cell at (left, top); the halves are
// truncated toward zero.
static void DrawCentred(HDC dc, int32_t left, int32_t top, const char* text, COLORREF colour)
{
    const int len = (int)strlen(text);
    SIZE extent;
    SetTextColor(dc, colour);
    GetTextExtentPoint32A(dc, text, len, &extent);
    TextOutA(dc, left + (CELL_SIZE - extent.cx) / 2, top + (CELL_SIZE - extent.cy) / 2, text, len);
}

static void DrawOpenCell(HDC dc, const Cell& cell, int32_t left, int32_t top)
{
    SelectObject(dc, g_hb1);
    SelectObject(dc, g_hp1);
    Rectangle(dc, left, top, left + CELL_SIZE, top + CELL_SIZE);
    if (cell.value == -1) {
        SelectObject(dc, g_hb3);
        Ellipse(dc, left + 3, top + 3, left + 17, top + 17);
    } else if (cell.value >= 1 && cell.value <= 8) {
        char digit[16];
        sprintf(digit, "%d", (int)cell.value);
        DrawCentred(dc, left, top, digit, g_colors[COLOR_DIGIT1 + cell.value - 1]);
    }
}

static void DrawCoveredCell(HDC dc, const Cell& cell, int32_t left, int32_t top)
{
    SelectObject(dc, g_hb2);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, left, top, left + CELL_SIZE, top + CELL_SIZE);
    // Light left and top edges over the black outline: a raised square. The
    // first pixel, (left, top + 20), lies on the cell below, painted later.
    SelectObject(dc, GetStockObject(WHITE_PEN));
    MoveToEx(dc, left, top + CELL_SIZE, NULL);
    LineTo(dc, left, top);
    LineTo(dc, left + CELL_SIZE, top);
    if (cell.mark == 1)
        DrawCentred(dc, left, top, "!", 0x0000FF);
    else if (cell.mark == 2)
        DrawCentred(dc, left, top, "?", 0xFF0000);
}

static void PaintCell(HDC dc, const Cell& cell, int32_t left, int32_t top)
{
    if (cell.open)
        DrawOpenCell(dc, cell, left, top);
    else
        DrawCoveredCell(dc, cell, left, top);
}

void PaintCells(HDC dc)
{
    for (int32_t y = 0; y < g_mh; ++y)
        for (int32_t x = 0; x < g_mw; ++x)
            PaintCell(dc, g_m[(int64_t)y * g_mw + x], x * CELL_SIZE, y * CELL_SIZE);
}

// A cell that shows a look, for drawing the tiles.
static Cell LookCell(int look)
{
    Cell cell = {0, 0, 0};
    if (look < LOOK_EMPTY) {
        cell.mark = (int8_t)(look - LOOK_COVERED);
    } else {
        cell.open = 1;
        cell.value = look == LOOK_EMPTY ? 0 : look == LOOK_MINE ? -1 : look - LOOK_DIGIT1 + 1;
    }
    return cell;
}

static int LookOf(const Cell& cell)
{
    if (!cell.open)
        return cell.mark == 1 || cell.mark == 2 ? LOOK_COVERED + cell.mark : LOOK_COVERED;
    if (cell.value == -1)
        return LOOK_MINE;
    if (cell.value >= 1 && cell.value <= 8)
        return LOOK_DIGIT1 + cell.value - 1;
    return LOOK_EMPTY;
}

static HBITMAP CreateDib(HDC dc, int width, int height, uint32_t** bits)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height; // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* data = NULL;
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &data, NULL, 0);
    *bits = (uint32_t*)data;
    return bitmap;
}

// Draws every look once, each in the middle of a slot with a margin around it,
// and keeps the tiles if no look reached outside its square. The one pixel a
// covered cell draws below its square is always painted over by the cell below
// (or falls off the board), so it does not count.
static bool MakeTiles()
{
    enum { MARGIN = CELL_SIZE / 2, SLOT = CELL_SIZE + 2 * MARGIN };
    const uint32_t unused = 0x00FE01FD; // a colour no look draws in the margin
    HDC dc = CreateCompatibleDC(g_hClientDC);
    uint32_t* sheet = NULL;
    HBITMAP bitmap = dc ? CreateDib(dc, SLOT * LOOKS, SLOT, &sheet) : NULL;
    s_tiles = bitmap ? (uint32_t*)malloc(sizeof(uint32_t) * TILE_PIXELS * LOOKS) : NULL;
    bool clean = s_tiles != NULL;
    if (clean) {
        for (int i = 0; i < SLOT * LOOKS * SLOT; ++i)
            sheet[i] = unused;
        const HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
        const HGDIOBJ old_brush = GetCurrentObject(dc, OBJ_BRUSH);
        const HGDIOBJ old_pen = GetCurrentObject(dc, OBJ_PEN);
        SetBkMode(dc, TRANSPARENT);
        for (int look = 0; look < LOOKS; ++look)
            PaintCell(dc, LookCell(look), look * SLOT + MARGIN, MARGIN);
        GdiFlush();
        for (int look = 0; look < LOOKS && clean; ++look)
            for (int y = 0; y < SLOT && clean; ++y)
                for (int x = 0; x < SLOT; ++x) {
                    const uint32_t pixel = sheet[y * SLOT * LOOKS + look * SLOT + x];
                    const int cx = x - MARGIN, cy = y - MARGIN;
                    if (cx >= 0 && cx < CELL_SIZE && cy >= 0 && cy < CELL_SIZE) {
                        s_tiles[look * TILE_PIXELS + cy * CELL_SIZE + cx] = pixel;
                    } else if (pixel != unused &&
                               !(look < LOOK_EMPTY && cx == 0 && cy == CELL_SIZE)) {
                        clean = false;
                        break;
                    }
                }
        SelectObject(dc, old_pen);
        SelectObject(dc, old_brush);
        SelectObject(dc, old_bitmap);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (dc)
        DeleteDC(dc);
    if (!clean) {
        free(s_tiles);
        s_tiles = NULL;
    }
    return clean;
}

// Rewrites the cells of one row whose look changed since they were last
// written: twenty pixel rows, each made of those cells' tile rows. Going pixel
// row by pixel row, as the bitmap lies in memory, over runs of neighbouring
// changed cells keeps a change of a whole row as fast as writing it through.
static void ComposeRow(int32_t y)
{
    const Cell* cells = g_m + (int64_t)y * g_mw;
    uint8_t* shown = s_shown + (int64_t)y * g_mw;
    int32_t runs = 0; // entries in s_runs
    for (int32_t x = 0; x < g_mw; ++x) {
        const uint8_t look = (uint8_t)LookOf(cells[x]);
        if (look == shown[x])
            continue;
        shown[x] = look;
        if (runs && s_runs[runs - 1] == x) {
            s_runs[runs - 1] = x + 1;
        } else {
            s_runs[runs++] = x;
            s_runs[runs++] = x + 1;
        }
    }
    const int64_t stride = (int64_t)g_mw * CELL_SIZE;
    for (int r = 0; r < CELL_SIZE && runs; ++r) {
        uint32_t* row = s_bits + ((int64_t)y * CELL_SIZE + r) * stride;
        const uint32_t* tiles = s_tiles + r * CELL_SIZE;
        for (int32_t i = 0; i < runs; i += 2) {
            uint32_t* out = row + (int64_t)s_runs[i] * CELL_SIZE;
            for (int32_t x = s_runs[i]; x < s_runs[i + 1]; ++x, out += CELL_SIZE) {
                const uint32_t* in = tiles + shown[x] * TILE_PIXELS;
#ifdef KALV_STREAM_STORES
                // 80 bytes, 16-byte aligned at both ends: stream past the
                // cache, since the frame is far larger than it.
                for (int k = 0; k < CELL_SIZE; k += 4)
                    _mm_stream_si128((__m128i*)(out + k),
                                     _mm_loadu_si128((const __m128i*)(in + k)));
#else
                memcpy(out, in, CELL_SIZE * sizeof(uint32_t));
#endif
            }
        }
    }
}

bool DrawMapUsesTiles()
{
    return s_bits && s_tiles && s_shown;
}

void DrawMap()
{
    if (!g_hDC || !g_m)
        return;
    if (DrawMapUsesTiles()) {
        GdiFlush(); // nothing of GDI's may still be on its way into the bits
        for (int32_t y = 0; y < g_mh; ++y)
            ComposeRow(y);
#ifdef KALV_STREAM_STORES
        _mm_sfence();
#endif
    } else {
        // Every cell, every time: no looks are kept for this path (s_shown
        // exists only beside the tiles), so none can go stale.
        PaintCells(g_hDC);
    }
    BitBlt(g_hClientDC, 0, 0, g_mw * CELL_SIZE, g_mh * CELL_SIZE, g_hDC, 0, 0, SRCCOPY);
}
