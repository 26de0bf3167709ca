// Cost of one move on the largest board that fits the screen: the flood fill
// that opens an empty board, the repaint after a click that changes one cell,
// and the repaint after a change of every cell (a loss, a new board, a flood),
// each against one copy of the whole board to the window (the least any
// repaint must do). Every repaint is timed right after a real change of the
// looks it names: a repaint of an unchanged board writes no cell and would
// flatter the figures. Prints one line per figure.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "minefield/minefield.h"
#include "app/app.h"
#include "presentation/presentation.h"
#include "settings/settings.h"

namespace {

HWND s_window = NULL;

double Now()
{
    static LARGE_INTEGER freq = {};
    if (!freq.QuadPart)
        QueryPerformanceFrequency(&freq);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)freq.QuadPart;
}

// The median and worst of f, and the median of one copy of the board timed
// in the same runs: on a shared machine the copy's own time drifts by a third
// from minute to minute, so each figure is set against copies of its moment.
struct Figure {
    double median, worst, copy;
};

double Copy()
{
    const double t0 = Now();
    BitBlt(g_hClientDC, 0, 0, g_mw * CELL_SIZE, g_mh * CELL_SIZE, g_hDC, 0, 0, SRCCOPY);
    GdiFlush();
    return Now() - t0;
}

// Each run: an untimed prepare(i), a timed copy, then f timed alone.
template <typename P, typename F>
Figure Time(int runs, P prepare, F f)
{
    std::vector<double> ms, copies;
    for (int i = 0; i < runs; ++i) {
        prepare(i);
        GdiFlush();
        copies.push_back(Copy());
        const double t0 = Now();
        f();
        GdiFlush();
        ms.push_back(Now() - t0);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(copies.begin(), copies.end());
    return {ms[ms.size() / 2], ms.back(), copies[copies.size() / 2]};
}

void Print(const char* name, Figure f)
{
    printf("%-28s %7.2fms %7.2fms %7.2fms %8.2f\n", name, f.median, f.worst, f.copy,
           f.median / f.copy);
}

// Three layouts that share no cell look: covered with every mark, open and
// empty, open digits and mines.
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
    const ScreenInfo screen = MeasureScreen(kWindowStyle);
    BoardLayout fit = {100000, 100000, 0, 0, 0, 0, 0};
    FitBoardToScreen(&fit, screen);
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
    s_window = CreateWindowExA(0, wc.lpszClassName, "bench", kWindowStyle, 0, 0,
                             fit.windowWidth, fit.windowHeight, NULL, NULL, wc.hInstance, NULL);
    ShowWindow(s_window, SW_SHOW);
    CreateDrawingObjects(s_window);

    printf("screen %dx%d, board %dx%d cells (%dx%d pixels), %d runs each\n", (int)screen.metricsWidth,
           (int)screen.metricsHeight, g_mw, g_mh, g_mw * CELL_SIZE, g_mh * CELL_SIZE, runs);

    printf("painting: %s\n", DrawMapUsesTiles() ? "tiles into the DIB section" : "GDI, cell by cell");
    printf("%-28s %9s %9s %9s %8s\n", "figure", "median", "worst", "copy", "x copy");
    const auto nothing = [](int) {};
    Print("one BitBlt of the board", Time(runs, nothing, [] { Copy(); }));

    Print("StepMap, whole flood", Time(runs, nothing, [] {
        for (int i = 0; i < g_mw * g_mh; ++i)
            g_m[i].open = 0;
        StepMap(0, 0);
    }));

    // A right click: one covered cell's mark moves on, a different cell each
    // run, spread over the board.
    Lay("covered");
    DrawMap();
    Print("DrawMap, one cell changed", Time(runs, [](int i) {
        const int64_t cell = (int64_t)i * 7919 % ((int64_t)g_mw * g_mh);
        CycleMark((int32_t)(cell % g_mw), (int32_t)(cell / g_mw));
    }, [] { DrawMap(); }));

    // Every cell changes: the board is painted in one layout, then timed
    // repainting in another: a loss on a covered board, the next board after
    // a loss, a flood over an empty board.
    const char* changes[][2] = {{"covered", "digits"}, {"digits", "covered"}, {"covered", "open"}};
    for (const auto& change : changes) {
        const char* from = change[0];
        const char* to = change[1];
        char name[64];
        snprintf(name, sizeof name, "DrawMap, %s to %s", from, to);
        Print(name, Time(runs, [from, to](int) {
            Lay(from);
            DrawMap();
            Lay(to);
        }, [] { DrawMap(); }));
    }

    ReleaseDrawingObjects(s_window);
    DestroyWindow(s_window);
    FreeMap();
    return 0;
}
