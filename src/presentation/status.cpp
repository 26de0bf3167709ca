// The caption as the status line: mines left to find and the seconds played,
// rewritten only when the seconds change or when a caller forces it.
#include "presentation/presentation.h"

#include "app/app.h"
#include "minefield/minefield.h"

SYSTEMTIME g_start_time;
int32_t g_delta_time;

static ClockTime ClockOf(const SYSTEMTIME& t)
{
    // The milliseconds are dropped before differencing, so the seconds tick
    // with the clock's whole seconds.
    return ClockTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

static int64_t CountFlags()
{
    if (!g_m)
        return 0;
    int64_t flags = 0;
    const int64_t cells = (int64_t)g_mw * g_mh;
    for (int64_t i = 0; i < cells; ++i)
        flags += g_m[i].mark == 1 && g_m[i].open == 0;
    return flags;
}

void DrawCap(bool force)
{
    // Before the window exists there is no caption to write.
    if (!g_hWnd)
        return;

    SYSTEMTIME now;
    GetSystemTime(&now);
    int64_t seconds = SecondsBetween(ClockOf(g_start_time), ClockOf(now));
    // g_delta_time is 32 bits wide; after 68 years the clock simply stops.
    if (seconds > INT32_MAX)
        seconds = INT32_MAX;
    if (seconds < INT32_MIN)
        seconds = INT32_MIN;

    if ((int32_t)seconds == g_delta_time && !force)
        return;
    g_delta_time = (int32_t)seconds;

    // Counted only for a write: the idle loop calls this after every message.
    // In 64 bits: a mine count near INT32_MIN less the flags leaves int32_t.
    const int64_t left = (int64_t)g_pm - CountFlags();
    char text[128];
    FormatCaption(text, sizeof text, left, seconds);
    SetWindowTextA(g_hWnd, text);
}
