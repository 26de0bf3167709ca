// Minefield: laying the mines, counting, the flood fill and the end of a game.
#include "minefield/minefield.h"

#include <stdlib.h>
#include <string.h>

Cell* g_m = nullptr;
int32_t* g_m2 = nullptr;
int32_t g_mw = 0;
int32_t g_mh = 0;
int32_t g_pm = 0;
int32_t g_pi = 0;

// Picks a cell index in [0, n). One rand() gives 0 to RAND_MAX, which is 32767
// with the Windows runtime, and so reaches the first 32768 cells: larger boards
// take further draws, so that every cell can hold a mine and a large mine count
// cannot hang. Boards of up to RAND_MAX + 1 cells use one draw, r mod n, and
// follow the plain rule.
static int64_t DrawCellIndex(int64_t n)
{
    const int64_t base = (int64_t)RAND_MAX + 1;
    int64_t r = rand();
    for (int64_t range = base; range < n; range *= base)
        r = r * base + rand();
    return r % n;
}

static bool IsMine(int32_t x, int32_t y)
{
    return g_m[(int64_t)y * g_mw + x].value == -1;
}

bool CreateMap(int32_t width, int32_t height, int32_t mines)
{
    g_mw = width;
    g_mh = height;
    g_pm = mines;
    g_pi = 0;
    if (width < 1 || height < 1)
        return false;
    const int64_t n = (int64_t)width * height;
    // Indices are stored as int32 in the work list.
    if (n > (int64_t)INT32_MAX + 1 || (int64_t)mines >= n)
        return false;

    g_m = (Cell*)malloc((size_t)n * sizeof(Cell));
    g_m2 = (int32_t*)malloc((size_t)n * sizeof(int32_t));
    if (!g_m || !g_m2) {
        FreeMap();
        return false;
    }
    memset(g_m, 0, (size_t)n * sizeof(Cell));
    memset(g_m2, 0, (size_t)n * sizeof(int32_t));

    for (int32_t placed = 0; placed < mines;) {
        Cell& c = g_m[DrawCellIndex(n)];
        if (c.value == -1)
            continue;
        c.value = -1;
        ++placed;
    }

    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            Cell& c = g_m[(int64_t)y * width + x];
            if (c.value == -1)
                continue;
            for (int32_t ny = y - 1; ny <= y + 1; ++ny) {
                for (int32_t nx = x - 1; nx <= x + 1; ++nx) {
                    if (nx < 0 || nx >= width || ny < 0 || ny >= height)
                        continue;
                    if (IsMine(nx, ny))
                        ++c.value;
                }
            }
        }
    }
    return true;
}

void FreeMap()
{
    if (g_m) {
        free(g_m);
        g_m = nullptr;
    }
    if (g_m2) {
        free(g_m2);
        g_m2 = nullptr;
    }
}

void CycleMark(int32_t x, int32_t y)
{
    if (!g_m || x < 0 || x >= g_mw || y < 0 || y >= g_mh)
        return;
    Cell& c = g_m[(int64_t)y * g_mw + x];
    c.mark = (int8_t)((c.mark + 1) % 3);
}

// Opens the connected empty region around s and the numbered cells bordering
// it. Each listed cell is open and enters once, so the list never overflows.
// The cell taken is replaced by the last entry.
static void FloodFill(int32_t s)
{
    g_m2[0] = s;
    g_pi = 1;
    while (g_pi >= 1) {
        const int32_t c = g_m2[0];
        const int32_t cx = c % g_mw;
        const int32_t cy = c / g_mw;
        for (int32_t ny = cy - 1; ny <= cy + 1; ++ny) {
            for (int32_t nx = cx - 1; nx <= cx + 1; ++nx) {
                if (ny < 0 || ny >= g_mh || nx < 0 || nx >= g_mw)
                    continue;
                const int32_t n = ny * g_mw + nx;
                Cell& cell = g_m[n];
                if (cell.open)
                    continue;
                cell.open = 1;  // marks do not stop the flood; they stay, unseen
                if (cell.value != 0)
                    continue;
                g_m2[g_pi++] = n;
            }
        }
        --g_pi;
        g_m2[0] = g_m2[g_pi];
    }
}

StepResult StepMap(int32_t x, int32_t y)
{
    if (!g_m || x < 0 || x >= g_mw || y < 0 || y >= g_mh)
        return StepContinue;
    const int32_t i = y * g_mw + x;
    const int64_t n = (int64_t)g_mw * g_mh;
    Cell& cell = g_m[i];

    if (cell.mark == 1)
        return StepContinue;

    if (cell.value == -1) {
        for (int64_t k = 0; k < n; ++k)
            g_m[k].open = 1;
        return StepMineHit;
    }

    cell.open = 1;
    if (cell.value == 0)
        FloodFill(i);

    for (int64_t k = 0; k < n; ++k) {
        if (g_m[k].value >= 0 && !g_m[k].open)
            return StepContinue;
    }
    for (int64_t k = 0; k < n; ++k) {
        if (g_m[k].value == -1)
            g_m[k].mark = 1;
    }
    return StepCleared;
}
