// The application shell: the game window and the quit flag.
#pragma once

#include <windows.h>

extern HWND g_hWnd;   // the game window; null until it is created
extern bool g_quit;   // set when the player closes the window or declines another game

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void RetryGame();
