// The application shell: the game window and the quit flag.
#pragma once

#include <windows.h>

// The game window's style: caption, system menu and minimise box; no sizing
// border, no maximise box. The settings phase fits the board to its frame.
static const DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX; // 0x00CA0000

extern HWND g_hWnd;   // the game window; null until it is created
extern bool g_quit;   // set when the player closes the window or declines another game

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void RetryGame();
// Takes and dispatches every message of the thread, refreshing the caption
// whenever none is waiting, until g_quit is set or the thread is asked to quit.
void RunMainLoop();
