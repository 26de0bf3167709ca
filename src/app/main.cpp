// Kalv's entry point: start-up, the game window, the main loop and the game
// flow from a click to the end of a game.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "app/app.h"
#include "minefield/minefield.h"
#include "presentation/presentation.h"
#include "settings/settings.h"
#include "settings/system_text.h"

HWND g_hWnd = NULL;
bool g_quit = false;

static const wchar_t kClassName[] = L"Class Kalv";
static const char kGameTitle[] = "Kalv";
static const char kErrorTitle[] = "Chyba";
static const char kNoMemory[] = "Na hrací plochu není dost paměti.";
static const char kNoWindow[] = "Herní okno nelze vytvořit.";
static const WORD kIconId = 101;

// Exit code once the loop has ended: 1 when the drawing objects or a new board
// could not be made, else 0.
static int s_exitCode = 0;

static void ShowError(HWND owner, const char* text)
{
    ShowMessage(owner, text, kErrorTitle, MB_OK | MB_ICONERROR);
}

void RetryGame()
{
    if (ShowMessage(g_hWnd, "Chcete hrát znova?", kGameTitle, MB_YESNO | MB_ICONQUESTION) == IDNO) {
        g_quit = true;
        return;
    }
    FreeMap();
    if (!CreateMap(g_mw, g_mh, g_pm)) {
        ShowError(g_hWnd, kNoMemory);
        s_exitCode = 1;
        g_quit = true;
        return;
    }
    // The board's picture keeps the looks it was last written with, so the
    // next board shows whole however many cells change.
    DrawMap();
    g_delta_time = 0;
    GetSystemTime(&g_start_time);
    DrawCap(g_hWnd, true);
}

// The cell under a mouse message's client position, or false when the position
// lies beside the board (a window the platform made wider than asked).
static bool CellFromMouse(LPARAM lParam, int32_t* x, int32_t* y)
{
    *x = (int32_t)(LOWORD(lParam) / CELL_SIZE);
    *y = (int32_t)(HIWORD(lParam) / CELL_SIZE);
    return g_m && *x < g_mw && *y < g_mh;
}

static void OnLeftButton(LPARAM lParam)
{
    int32_t x, y;
    if (!CellFromMouse(lParam, &x, &y))
        return;
    const StepResult r = StepMap(x, y);
    DrawMap();
    if (r == StepContinue)
        return;
    char text[128];
    if (r == StepMineHit)
        strcpy(text, "Šlápnul jste na minu!");
    else
        sprintf(text, "Gratuluji, našli jste všechny miny za %d %s.", (int)g_delta_time,
                SecondNoun(g_delta_time));
    ShowMessage(g_hWnd, text, kGameTitle, MB_OK | MB_ICONINFORMATION);
    RetryGame();
}

static void OnRightButton(LPARAM lParam)
{
    int32_t x, y;
    if (!CellFromMouse(lParam, &x, &y))
        return;
    CycleMark(x, y);
    DrawMap();
    DrawCap(g_hWnd, true);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        g_quit = true;
        break;
    case WM_PAINT:
        DrawMap();
        DrawCap(g_hWnd, true);
        // The board is on screen now; without this the default handling would
        // erase it with the class background.
        ValidateRect(window, NULL);
        break;
    case WM_LBUTTONDOWN:
        OnLeftButton(lParam);
        break;
    case WM_RBUTTONDOWN:
        OnRightButton(lParam);
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Waits for input, or until the clock reaches its next whole second, when the
// caption's seconds may change. Input already in the queue ends the wait at
// once, even input the system counts as seen since it arrived.
static void WaitForInputOrNextSecond()
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    const DWORD timeout = 1000 - now.wMilliseconds + 1;
    MsgWaitForMultipleObjectsEx(0, NULL, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void RunMainLoop()
{
    while (!g_quit) {
        // Every message of the thread, not only the game window's: the input
        // method's window and those of tools loaded into the process live on
        // this thread too, and input stalls while their messages wait.
        MSG msg;
        if (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) // as after a close
                g_quit = true;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        DrawCap(g_hWnd, false);
        WaitForInputOrNextSecond();
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    GetSystemTime(&g_start_time);

    BoardLayout board;
    if (!LoadSettings(kWindowStyle, &board))
        return 1;
    if (!CreateMap(board.width, board.height, board.mines)) {
        ShowError(NULL, kNoMemory);
        return 1;
    }

    // A Unicode window: its caption is stored as the UTF-16 it is given, where
    // an ANSI window would pass it through the system's code page.
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconId));
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
    wc.lpszClassName = kClassName;
    if (!RegisterClassW(&wc)) {
        ShowError(NULL, kNoWindow);
        FreeMap();
        return 1;
    }

    g_hWnd = CreateWindowExW(0, kClassName, NULL, kWindowStyle, board.windowLeft, board.windowTop,
                             board.windowWidth, board.windowHeight, NULL, NULL, instance, NULL);
    if (!g_hWnd) {
        ShowError(NULL, kNoWindow);
        UnregisterClassW(kClassName, instance);
        FreeMap();
        return 1;
    }
    ShowWindow(g_hWnd, SW_SHOW);
    SetForegroundWindow(g_hWnd);
    SetFocus(g_hWnd);
    // The window is there; what failed is the memory for the board's picture.
    if (!CreateDrawingObjects(g_hWnd)) {
        ShowError(g_hWnd, kNoMemory);
        g_quit = true;
        s_exitCode = 1;
    }

    RunMainLoop();

    ReleaseDrawingObjects(g_hWnd);
    DestroyWindow(g_hWnd);
    UnregisterClassW(kClassName, instance);
    FreeMap();
    return s_exitCode;
}
