// The settings phase of start-up: Kalv.ini read and checked, the board fitted
// to the screen, every warning and error shown in a message box.
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
