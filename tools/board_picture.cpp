// Paints a sample board (open and covered cells, flags, question marks, every
// digit, a mine) in a window with the default palette and saves what the screen
// shows of it as a BMP: the picture of the board in the docs comes from here.
//
//   cmake --build --preset windows --target board_picture
//   cmake/wine-run.sh --prefix build/windows/wineprefix
//       build/windows/tools/board_picture.exe build/board.bmp   (one line)
//   convert build/board.bmp docs/board.png
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "minefield/minefield.h"
#include "presentation/presentation.h"
#include "settings/settings_reader.h"

static HWND g_hWnd;

// The palette proposed for the default Kalv.ini, as COLORREF values 0x00BBGGRR.
static const uint32_t kPalette[12] = {
    0xC0C0C0, // backcolor: open cells
    0xB8AFA9, // backcolor2: covered cells, a cooler grey
    0x808080, // rastercolor: outlines
    0x202020, // minecolor
    0xC84E1F, // 1 blue
    0x327D2E, // 2 green
    0x2828C6, // 3 red
    0x933528, // 4 indigo
    0x14328D, // 5 brown
    0x8F8300, // 6 teal
    0x8C144A, // 7 purple
    0x424242, // 8 dark grey
};

// '*' a mine. Lower case: the cell is still covered ('c' plain, 'f' flag, 'q'
// question; a covered mine is 'F', 'Q' or 'C'). 'x' is the mine that went off.
static const char* const kBoard[] = {
    "..............", ".FFF.....CC.C.", ".F.F....C.C..C", ".FFF.....CCC.C",
    "..........C.cc", "....CC.....cfQ", "x...C.C....ccc", "....CCC....cqc",
};

static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        // Validate first, or the default handler erases the board just painted.
        ValidateRect(window, NULL);
        DrawMap();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static void LayBoard()
{
    const char* const mines = "*FQCx";
    for (int y = 0; y < g_mh; ++y)
        for (int x = 0; x < g_mw; ++x) {
            const char c = kBoard[y][x];
            Cell& cell = g_m[y * g_mw + x];
            cell.value = strchr(mines, c) ? -1 : 0;
            cell.open = !strchr("FQCcfq", c);
            cell.mark = (c == 'F' || c == 'f') ? 1 : (c == 'Q' || c == 'q') ? 2 : 0;
        }
    for (int y = 0; y < g_mh; ++y)
        for (int x = 0; x < g_mw; ++x) {
            Cell& cell = g_m[y * g_mw + x];
            if (cell.value == -1)
                continue;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < g_mw && ny < g_mh &&
                        g_m[ny * g_mw + nx].value == -1)
                        ++cell.value;
                }
        }
}

static bool SaveBmp(const char* path, HDC source, int width, int height)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height; // bottom-up, as BMP files store it
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    HBITMAP dib = CreateDIBSection(source, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    if (!dib)
        return false;
    HDC mem = CreateCompatibleDC(source);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD size = (DWORD)width * height * 4;
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + size;
    FILE* f = fopen(path, "wb");
    bool ok = f && fwrite(&fh, sizeof fh, 1, f) == 1 &&
              fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
              fwrite(bits, size, 1, f) == 1;
    if (f)
        ok = fclose(f) == 0 && ok;
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    return ok;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: board_picture out.bmp\n");
        return 2;
    }
    memcpy(g_colors, kPalette, sizeof g_colors);
    const int w = (int)strlen(kBoard[0]), h = (int)(sizeof kBoard / sizeof kBoard[0]);
    if (!CreateMap(w, h, 0))
        return 1;
    g_pm = 0;
    LayBoard();

    WNDCLASSA wc = {};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = "Kalv board picture";
    RegisterClassA(&wc);
    g_hWnd = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, w * CELL_SIZE, h * CELL_SIZE,
                             NULL, NULL, wc.hInstance, NULL);
    if (!g_hWnd || !CreateDrawingObjects(g_hWnd))
        return 1;
    ShowWindow(g_hWnd, SW_SHOW);
    UpdateWindow(g_hWnd);
    MSG msg;
    for (int i = 0; i < 50; ++i) {
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
    DrawMap();

    // What the screen shows, not the off-screen surface: the copy is part of the picture.
    HDC screen = GetDC(NULL);
    const bool ok = SaveBmp(argv[1], screen, w * CELL_SIZE, h * CELL_SIZE);
    ReleaseDC(NULL, screen);
    ReleaseDrawingObjects(g_hWnd);
    DestroyWindow(g_hWnd);
    FreeMap();
    if (!ok)
        fprintf(stderr, "board_picture: cannot write %s\n", argv[1]);
    return ok ? 0 : 1;
}
