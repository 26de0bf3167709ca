// Cost of one move on the largest board that fits the screen: the flood fill
// that opens an empty board, and painting the board covered, open and full of
// digits, each against one copy of the whole board to the window (the least
// any repaint must do). Prints one line per figure.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "minefield/minefield.h"
#include "presentation/presentation.h"
#include "settings/settings.h"

HWND g_hWnd = NULL;

namespace {

double Now()
{
    static LARGE_INTEGER freq = {};
    if (!freq.QuadPart)
        QueryPerformanceFrequency(&freq);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)freq.QuadPart;
}

struct Figure {
    double median, worst;
};

template <typename F>
Figure Time(int runs, F f)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const double t0 = Now();
        f();
        GdiFlush();
        ms.push_back(Now() - t0);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

void Lay(const char* look)
{
    const int n = g_mw * g_mh;
    for (int i = 0; i < n; ++i) {
        Cell& c = g_m[i];
        c.mark = 0;
        if (!strcmp(look, "covered")) {
            c.value = 0;
            c.open = 0;
            c.mark = (int8_t)(i % 3);
        } else if (!strcmp(look, "open")) {
            c.value = 0;
            c.open = 1;
        } else {  // digits, with a mine now and then
            c.value = i % 10 == 9 ? -1 : 1 + i % 8;
            c.open = 1;
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? atoi(argv[1]) : 60;
    static const uint32_t palette[12] = {0xD8D8D8, 0xC0C0C0, 0x808080, 0x202020, 0xFF0000, 0x008000,
                                         0x0000FF, 0x800000, 0x000080, 0x808000, 0x000000, 0x808080};
    memcpy(g_colors, palette, sizeof palette);

    // The largest board whose window fits this screen.
    const FitResult fit = FitBoardToScreen(100000, 100000);
    if (!CreateMap(fit.width, fit.height, 0)) {
        fprintf(stderr, "bench: no memory for a %dx%d board\n", fit.width, fit.height);
        return 1;
    }

    WNDCLASSA wc = {};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "Kalv bench";
    RegisterClassA(&wc);
    g_hWnd = CreateWindowExA(0, wc.lpszClassName, "bench", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                             0, 0, fit.windowWidth, fit.windowHeight, NULL, NULL, wc.hInstance, NULL);
    ShowWindow(g_hWnd, SW_SHOW);
    CreateDrawingObjects(g_hWnd);

    printf("screen %dx%d, board %dx%d cells (%dx%d pixels), %d runs each\n", fit.screenWidth,
           fit.screenHeight, g_mw, g_mh, g_mw * CELL_SIZE, g_mh * CELL_SIZE, runs);

    const Figure copy = Time(runs, [] {
        BitBlt(g_hClientDC, 0, 0, g_mw * CELL_SIZE, g_mh * CELL_SIZE, g_hDC, 0, 0, SRCCOPY);
    });
    printf("painting: %s\n", DrawMapUsesTiles() ? "tiles into the DIB section" : "GDI, cell by cell");
    printf("%-24s %9s %9s %8s\n", "figure", "median", "worst", "x copy");
    printf("%-24s %7.2fms %7.2fms %8.2f\n", "one BitBlt of the board", copy.median, copy.worst, 1.0);

    const Figure flood = Time(runs, [] {
        for (int i = 0; i < g_mw * g_mh; ++i)
            g_m[i].open = 0;
        StepMap(0, 0);
    });
    printf("%-24s %7.2fms %7.2fms %8.2f\n", "StepMap, whole flood", flood.median, flood.worst,
           flood.median / copy.median);

    const char* looks[] = {"covered", "open", "digits"};
    for (const char* look : looks) {
        Lay(look);
        const Figure paint = Time(runs, [] { DrawMap(); });
        char name[64];
        snprintf(name, sizeof name, "DrawMap, %s", look);
        printf("%-24s %7.2fms %7.2fms %8.2f\n", name, paint.median, paint.worst,
               paint.median / copy.median);
    }

    ReleaseDrawingObjects(g_hWnd);
    DestroyWindow(g_hWnd);
    FreeMap();
    return 0;
}
