// Painting the board: every cell into an off-screen surface, then one copy to
// the window, so the player never sees a half-drawn frame.
#include "presentation/presentation.h"

#include <stdio.h>
#include <string.h>

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

bool CreateDrawingObjects(HWND window)
{
    // A zero size would get a 1 x 1 monochrome bitmap, and a board wider than
    // the int32_t pixel range cannot be painted at all.
    const int64_t width = (int64_t)g_mw * CELL_SIZE, height = (int64_t)g_mh * CELL_SIZE;
    if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX)
        return false;

    g_hClientDC = GetDC(window);
    g_hDC = g_hClientDC ? CreateCompatibleDC(g_hClientDC) : NULL;
    g_hBitmap = g_hDC ? CreateCompatibleBitmap(g_hClientDC, (int)width, (int)height) : NULL;
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
    return true;
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
}

// One character or digit centred in the cell at (left, top); the halves are
// truncated toward zero.
static void DrawCentred(int32_t left, int32_t top, const char* text, COLORREF colour)
{
    const int len = (int)strlen(text);
    SIZE extent;
    SetTextColor(g_hDC, colour);
    GetTextExtentPoint32A(g_hDC, text, len, &extent);
    TextOutA(g_hDC, left + (CELL_SIZE - extent.cx) / 2, top + (CELL_SIZE - extent.cy) / 2, text,
             len);
}

static void DrawOpenCell(const Cell& cell, int32_t left, int32_t top)
{
    SelectObject(g_hDC, g_hb1);
    SelectObject(g_hDC, g_hp1);
    Rectangle(g_hDC, left, top, left + CELL_SIZE, top + CELL_SIZE);
    if (cell.value == -1) {
        SelectObject(g_hDC, g_hb3);
        Ellipse(g_hDC, left + 3, top + 3, left + 17, top + 17);
    } else if (cell.value >= 1 && cell.value <= 8) {
        char digit[16];
        sprintf(digit, "%d", (int)cell.value);
        DrawCentred(left, top, digit, g_colors[COLOR_DIGIT1 + cell.value - 1]);
    }
}

static void DrawCoveredCell(const Cell& cell, int32_t left, int32_t top)
{
    SelectObject(g_hDC, g_hb2);
    SelectObject(g_hDC, GetStockObject(BLACK_PEN));
    Rectangle(g_hDC, left, top, left + CELL_SIZE, top + CELL_SIZE);
    // Light left and top edges over the black outline: a raised square. The
    // first pixel, (left, top + 20), lies on the cell below, painted later.
    SelectObject(g_hDC, GetStockObject(WHITE_PEN));
    MoveToEx(g_hDC, left, top + CELL_SIZE, NULL);
    LineTo(g_hDC, left, top);
    LineTo(g_hDC, left + CELL_SIZE, top);
    if (cell.mark == 1)
        DrawCentred(left, top, "!", 0x0000FF);
    else if (cell.mark == 2)
        DrawCentred(left, top, "?", 0xFF0000);
}

void DrawMap()
{
    if (!g_hDC || !g_m)
        return;
    for (int32_t y = 0; y < g_mh; ++y)
        for (int32_t x = 0; x < g_mw; ++x) {
            const Cell& cell = g_m[(int64_t)y * g_mw + x];
            if (cell.open)
                DrawOpenCell(cell, x * CELL_SIZE, y * CELL_SIZE);
            else
                DrawCoveredCell(cell, x * CELL_SIZE, y * CELL_SIZE);
        }
    BitBlt(g_hClientDC, 0, 0, g_mw * CELL_SIZE, g_mh * CELL_SIZE, g_hDC, 0, 0, SRCCOPY);
}
