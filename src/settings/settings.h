// The settings phase of start-up: Kalv.ini read and checked, the board fitted
// to the screen, every warning and error shown in a message box. And the way
// every text of Kalv's, these boxes first, reaches the system.
#pragma once

#include <windows.h>

#include "settings/checks.h"
#include "settings/settings_reader.h"

// The screen, and the frame of a window of the given style, as the window
// system reports them.
ScreenInfo MeasureScreen(DWORD windowStyle);

// Reads Kalv.ini from the current folder and runs the start-up checks for a
// game window of the given style, showing their messages once the file is
// closed. Returns false when the program must stop (exit code 1); otherwise the
// board and its window are in *board and the colours in g_colors.
bool LoadSettings(DWORD windowStyle, BoardLayout* board);

// Kalv's texts are Windows-1250 bytes, whatever the system's own code page.
// They reach the system as UTF-16, through the W functions, so that they read
// the same on a system of any language. WidenText converts at most size - 1
// bytes (one UTF-16 unit each) and always ends `wide` with a zero.
void WidenText(const char* text, wchar_t* wide, int size);
int ShowMessage(HWND owner, const char* text, const char* title, UINT style);
