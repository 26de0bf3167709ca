// The caption as the status line: mines left to find and the seconds played,
// rewritten only when the seconds change or when a caller forces it.
#include "presentation/presentation.h"

#include "settings/system_text.h"

SYSTEMTIME g_start_time;
int32_t g_delta_time;

static ClockTime ClockOf(const SYSTEMTIME& t)
{
    return ClockTime{t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
                     t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
}

void DrawCap(HWND window, bool force)
{
    // Before the window exists there is no caption to write.
    if (!window)
        return;
    SYSTEMTIME now;
    GetSystemTime(&now);
    char text[128];
    if (CaptionDue(text, sizeof text, ClockOf(g_start_time), ClockOf(now), &g_delta_time, force)) {
        wchar_t wide[sizeof text];
        WidenText(text, wide, (int)sizeof text);
        SetWindowTextW(window, wide);
    }
}
