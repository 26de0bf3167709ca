// The settings phase of start-up: Kalv.ini read and checked, the board fitted
// to the screen, each warning and error shown in its own message box before the
// game window exists.
#include "settings/settings.h"

#include <windows.h>

#include "minefield/minefield.h"
#include "settings/screen_fit.h"

// The game window's style: caption, system menu and minimise box; no menu.
static const DWORD kWindowStyle = 0x00CA0000;

static void ShowError(const char* text)
{
    MessageBoxA(NULL, text, "Chyba", MB_OK | MB_ICONERROR);
}

static void ShowWarning(const char* text)
{
    MessageBoxA(NULL, text, "Upozornění", MB_OK | MB_ICONWARNING);
}

// The size of the whole screen in pixels (a taskbar is not taken off). Should
// the current display mode be unreadable, the primary screen's size from the
// system metrics stands in for it: the same figure by another route, so the
// board is still fitted rather than the game refusing to start.
static void GetScreenSize(int64_t* width, int64_t* height)
{
    DEVMODEA mode;
    ZeroMemory(&mode, sizeof mode);
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, &mode) && mode.dmPelsWidth > 0 &&
        mode.dmPelsHeight > 0) {
        *width = mode.dmPelsWidth;
        *height = mode.dmPelsHeight;
    } else {
        *width = GetSystemMetrics(SM_CXSCREEN);
        *height = GetSystemMetrics(SM_CYSCREEN);
    }
}

static int32_t ToInt32(int64_t v)
{
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : (int32_t)v;
}

FitResult FitBoardToScreen(int32_t width, int32_t height)
{
    int64_t screenWidth, screenHeight;
    GetScreenSize(&screenWidth, &screenHeight);

    // The frame does not depend on the client area's size, so it is asked for
    // once, around an empty client area.
    RECT r = {0, 0, 0, 0};
    AdjustWindowRect(&r, kWindowStyle, FALSE);
    const WindowFrame frame = {r.left, r.top, r.right, r.bottom};

    const ScreenFit fit = FitBoard(width, height, screenWidth, screenHeight, frame);
    FitResult result;
    result.width = fit.width;
    result.height = fit.height;
    result.windowWidth = ToInt32(fit.windowWidth);
    result.windowHeight = ToInt32(fit.windowHeight);
    result.screenWidth = ToInt32(screenWidth);
    result.screenHeight = ToInt32(screenHeight);
    result.changed = fit.changed;
    return result;
}

bool LoadSettings(LoadedSettings* out)
{
    FILE* f = fopen("Kalv.ini", "rt");
    if (!f) {
        ShowError("Nelze najit soubor Kalv.ini.");
        return false;
    }
    SettingsValues values;
    const bool read = ReadSettings(f, &values);
    fclose(f);
    if (!read) {
        ShowError("Soubor \"Kalv.ini\" je špatně zadaný.");
        return false;
    }
    for (int i = 0; i < 12; ++i)
        g_colors[i] = values.colors[i];

    int32_t width = values.width;
    int32_t height = values.height;
    if (width < 6 || height < 6) {
        ShowWarning("Minimální šířka i délka musí bít 6 políček.");
        if (width < 6)
            width = 6;
        if (height < 6)
            height = 6;
    }

    const FitResult fit = FitBoardToScreen(width, height);
    if (fit.changed)
        ShowWarning("Velikost mapy musela být zmenšena.");

    if ((int64_t)fit.width * fit.height <= values.mines) {
        ShowError("Velikost minového pole musí být větší,\nnež je počet min!");
        return false;
    }

    out->width = fit.width;
    out->height = fit.height;
    out->mines = values.mines;
    out->windowWidth = fit.windowWidth;
    out->windowHeight = fit.windowHeight;
    out->screenWidth = fit.screenWidth;
    out->screenHeight = fit.screenHeight;
    return true;
}
