// The settings phase of start-up: the screen measured, Kalv.ini read and
// checked, and each warning and error shown in its own message box before the
// game window exists.
#include "settings/settings.h"

#include <windows.h>

#include "settings/system_text.h"

ScreenInfo MeasureScreen(DWORD windowStyle)
{
    ScreenInfo screen = {};
    DEVMODEA mode;
    ZeroMemory(&mode, sizeof mode);
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, &mode)) {
        screen.modeWidth = mode.dmPelsWidth;
        screen.modeHeight = mode.dmPelsHeight;
    }
    screen.metricsWidth = GetSystemMetrics(SM_CXSCREEN);
    screen.metricsHeight = GetSystemMetrics(SM_CYSCREEN);
    // The frame does not depend on the client area's size, so it is asked for
    // once, around an empty client area.
    RECT r = {0, 0, 0, 0};
    AdjustWindowRect(&r, windowStyle, FALSE);
    screen.frame = WindowFrame{r.left, r.top, r.right, r.bottom};
    return screen;
}

bool LoadSettings(DWORD windowStyle, BoardLayout* board)
{
    const ScreenInfo screen = MeasureScreen(windowStyle);
    FILE* file = fopen("Kalv.ini", "rt");
    const SettingsPlan plan = PlanSettings(file, screen);
    if (file)
        fclose(file);
    for (int i = 0; i < plan.messageCount; ++i)
        ShowMessage(NULL, plan.messages[i]->text, plan.messages[i]->title, plan.messages[i]->style);
    *board = plan.board;
    return plan.go;
}
