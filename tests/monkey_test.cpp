// Random play through the game's own window procedure: many games of random
// left and right clicks, inside and outside the board, with every message box
// answered (Yes and No). After each move the board's invariants are checked,
// and across games the process's GDI objects and memory must stay flat.
//
// KALV_MONKEY_GAMES sets the number of games (default 300).
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <vector>

#include "app/app.h"
#include "gdi_objects.h"
#include "minefield/minefield.h"
#include "presentation/presentation.h"
#include "settings/settings_reader.h"

namespace {

std::mt19937 s_rng(20261206);

int Random(int n) { return (int)(s_rng() % (uint32_t)n); }

// What the boxes said during the last move.
struct Boxes {
    int losses = 0, wins = 0, yes = 0, no = 0;
} s_seen;

int64_t Flags()
{
    int64_t flags = 0;
    for (int i = 0; i < g_mw * g_mh; ++i)
        flags += g_m[i].mark == 1 && !g_m[i].open;
    return flags;
}

void ExpectCountsMatchMines()
{
    int mines = 0;
    for (int y = 0; y < g_mh; ++y)
        for (int x = 0; x < g_mw; ++x) {
            const Cell& c = g_m[y * g_mw + x];
            if (c.value == -1) {
                ++mines;
                continue;
            }
            int around = 0;
            for (int ny = std::max(0, y - 1); ny <= std::min(g_mh - 1, y + 1); ++ny)
                for (int nx = std::max(0, x - 1); nx <= std::min(g_mw - 1, x + 1); ++nx)
                    around += g_m[ny * g_mw + nx].value == -1;
            ASSERT_EQ(c.value, around) << "cell " << x << "," << y;
        }
    ASSERT_EQ(mines, std::max(0, (int)g_pm));
}

// The mines left that the caption shows.
int CaptionLeft()
{
    char text[256] = "";
    GetWindowTextA(g_hWnd, text, sizeof text);
    const char* p = strstr(text, "najít ");
    int left = INT32_MIN;
    if (p)
        sscanf(p + strlen("najít "), "%d", &left);
    return left;
}

// Answers every box as it opens; checks the board as the box shows it.
LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND box = (HWND)wParam;
        char cls[16] = "", text[256] = "";
        GetClassNameA(box, cls, sizeof cls);
        if (strcmp(cls, "#32770") == 0) {
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            int answer = IDOK;
            if (strcmp(text, "Chcete hrát znova?") == 0) {
                answer = Random(5) ? IDYES : IDNO;
                ++(answer == IDYES ? s_seen.yes : s_seen.no);
            } else if (strcmp(text, "Šlápnul jste na minu!") == 0) {
                ++s_seen.losses;
                for (int i = 0; i < g_mw * g_mh; ++i)
                    if (!g_m[i].open)
                        ADD_FAILURE() << "covered cell " << i << " after a loss";
            } else if (strncmp(text, "Gratuluji", 9) == 0) {
                ++s_seen.wins;
                for (int i = 0; i < g_mw * g_mh; ++i) {
                    const Cell& c = g_m[i];
                    if (c.value == -1 ? (c.open || c.mark != 1) : !c.open)
                        ADD_FAILURE() << "cell " << i << " wrong after a win";
                }
            } else {
                ADD_FAILURE() << "unexpected box: " << text;
            }
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

struct Usage {
    int64_t gdi;
    SIZE_T privateBytes;  // the commit charge, which Wine reports and Windows too
};

Usage Measure()
{
    PROCESS_MEMORY_COUNTERS mem = {};
    mem.cb = sizeof mem;
    GetProcessMemoryInfo(GetCurrentProcess(), &mem, sizeof mem);
    return {GdiObjects(), mem.PagefileUsage};
}

// A new "run" of the game, as if the program were started again: a board of
// random size and mine count, its window and drawing objects.
void StartRun(HINSTANCE instance)
{
    const int w = 6 + Random(14), h = 6 + Random(10);
    const int mines = Random(8) == 0 ? Random(3) : Random(w * h / 4 + 1);
    ASSERT_TRUE(CreateMap(w, h, mines));
    RECT r = {0, 0, w * CELL_SIZE, h * CELL_SIZE};
    AdjustWindowRect(&r, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, FALSE);
    g_hWnd = CreateWindowExA(0, "Class Kalv", NULL, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0,
                             r.right - r.left, r.bottom - r.top, NULL, NULL, instance, NULL);
    ASSERT_NE(g_hWnd, (HWND)NULL);
    ShowWindow(g_hWnd, SW_SHOW);
    CreateDrawingObjects(g_hWnd);
    GetSystemTime(&g_start_time);
    g_delta_time = 0;
    g_quit = false;
}

void EndRun(HINSTANCE)
{
    ReleaseDrawingObjects(g_hWnd);
    DestroyWindow(g_hWnd);
    g_hWnd = NULL;
    FreeMap();
}

TEST(Monkey, RandomGamesKeepTheBoardSoundAndResourcesFlat)
{
    const char* env = getenv("KALV_MONKEY_GAMES");
    const int games = env ? atoi(env) : 300;
    for (int i = 0; i < 12; ++i)
        g_colors[i] = 0x00101010u * (uint32_t)(i + 1);

    HINSTANCE instance = GetModuleHandleA(NULL);
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
    wc.lpszClassName = "Class Kalv";
    ASSERT_TRUE(RegisterClassA(&wc));
    HHOOK hook = SetWindowsHookExA(WH_CBT, AnswerBoxes, NULL, GetCurrentThreadId());
    ASSERT_NE(hook, (HHOOK)NULL);

    StartRun(instance);
    long moves = 0;
    int played = 0;
    const int warmUp = std::min(50, games / 4);
    Usage low = {}, high = {};
    std::vector<uint8_t> wasOpen;
    std::vector<Cell> before;

    while (played < games && !::testing::Test::HasFatalFailure()) {
        const int n = g_mw * g_mh;
        before.assign(g_m, g_m + n);
        const Boxes seenBefore = s_seen;

        // Mostly cells of the board; sometimes a position beside or below it.
        int px = Random(g_mw * CELL_SIZE), py = Random(g_mh * CELL_SIZE);
        const bool outside = Random(12) == 0;
        if (outside && Random(2))
            px += g_mw * CELL_SIZE + Random(300);
        else if (outside)
            py += g_mh * CELL_SIZE + Random(300);
        const bool right = Random(3) == 0;
        SendMessageA(g_hWnd, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON,
                     MAKELPARAM(px, py));
        ++moves;

        const bool ended = s_seen.losses + s_seen.wins > seenBefore.losses + seenBefore.wins;
        if (ended) {
            ++played;
            const Usage now = Measure();
            if (played == warmUp) {
                low = high = now;
            } else if (played > warmUp) {
                low = {std::min(low.gdi, now.gdi), std::min(low.privateBytes, now.privateBytes)};
                high = {std::max(high.gdi, now.gdi), std::max(high.privateBytes, now.privateBytes)};
            }
            if (g_quit) {  // No: the program would end here; start it again
                EndRun(instance);
                StartRun(instance);
                continue;
            }
            // Yes: a fresh board of the same size, the clock back at zero.
            for (int i = 0; i < n; ++i)
                ASSERT_TRUE(!g_m[i].open && g_m[i].mark == 0) << "new board, cell " << i;
            ASSERT_NO_FATAL_FAILURE(ExpectCountsMatchMines());
            ASSERT_EQ(CaptionLeft(), g_pm);
            ASSERT_EQ(g_delta_time, 0);
            continue;
        }

        // The same board: values never change, open cells stay open.
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(g_m[i].value, before[i].value);
            ASSERT_TRUE(g_m[i].open || !before[i].open) << "cell " << i << " closed again";
        }
        const int cx = px / CELL_SIZE, cy = py / CELL_SIZE;
        if (outside || cx >= g_mw || cy >= g_mh) {
            ASSERT_EQ(memcmp(before.data(), g_m, n * sizeof(Cell)), 0) << "a click beside the board";
        } else if (right) {
            const int i = cy * g_mw + cx;
            ASSERT_EQ(g_m[i].mark, (before[i].mark + 1) % 3);
            ASSERT_EQ(CaptionLeft(), g_pm - Flags());
        } else if (before[cy * g_mw + cx].mark == 1) {
            ASSERT_EQ(memcmp(before.data(), g_m, n * sizeof(Cell)), 0) << "a flag was opened";
        }
    }
    EndRun(instance);
    UnhookWindowsHookEx(hook);
    UnregisterClassA("Class Kalv", instance);

    printf("monkey: %d games, %ld moves, %d lost, %d won, %d Yes, %d No\n", played, moves,
           s_seen.losses, s_seen.wins, s_seen.yes, s_seen.no);
    printf("monkey: after %d games of warm-up: GDI objects %lld..%lld, private bytes %lu..%lu KiB\n",
           warmUp, (long long)low.gdi, (long long)high.gdi,
           (unsigned long)(low.privateBytes / 1024), (unsigned long)(high.privateBytes / 1024));
    EXPECT_EQ(played, games);
    EXPECT_GT(s_seen.wins, 0);
    EXPECT_GT(s_seen.no, 0);
    EXPECT_GT(low.gdi, 0);  // a count that sees nothing proves nothing
    EXPECT_GT(low.privateBytes, 0u);
    EXPECT_LE(high.gdi - low.gdi, 2);
    EXPECT_LT(high.privateBytes - low.privateBytes, (SIZE_T)4 << 20);
}

}  // namespace
