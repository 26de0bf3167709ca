// Presentation: the drawing objects, painting the board, the caption status.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "presentation/caption.h"

// Drawing objects, alive from CreateDrawingObjects to ReleaseDrawingObjects.
extern HDC g_hClientDC;   // the window's own DC (CS_OWNDC), kept for its life
extern HDC g_hDC;         // off-screen surface
extern HBITMAP g_hBitmap; // board-sized bitmap selected into g_hDC
extern HBRUSH g_hb1;      // open cell fill (backcolor)
extern HBRUSH g_hb2;      // covered cell fill (backcolor2)
extern HBRUSH g_hb3;      // mine disc (minecolor)
extern HPEN g_hp1;        // open cell and mine outline (rastercolor)

// Game clock.
extern SYSTEMTIME g_start_time; // UTC, when the current game began
extern int32_t g_delta_time;    // seconds last written to the caption

// Makes the drawing objects for the current board size and g_colors; expects
// none to exist. False when the board cannot be a bitmap or GDI refused an
// object; then nothing is left behind.
bool CreateDrawingObjects(HWND window);
// Puts g_hDC's own objects back, deletes ours and returns the window's DC. Safe
// to call when nothing (or only part) was created.
void ReleaseDrawingObjects(HWND window);

// Brings the off-screen board up to date with the cells, then copies the whole
// board to the window at once. Where tiles are used, only the cells whose look
// changed since the last DrawMap are written again.
void DrawMap();

// Paints every cell into dc with GDI, one cell after another: the picture
// DrawMap makes, drawn the slow way (DrawMap uses it when it cannot use tiles).
void PaintCells(HDC dc);

// Whether DrawMap writes tile pixels (on 32-bit displays) rather than calling
// GDI for every cell.
bool DrawMapUsesTiles();

// Rewrites the window's caption when the seconds changed since the last write,
// or when forced.
void DrawCap(HWND window, bool force);
