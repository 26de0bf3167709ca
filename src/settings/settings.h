// The settings phase of start-up: Kalv.ini read and checked, the board fitted
// to the screen, every warning and error shown in a message box.
#pragma once

#include "settings/checks.h"
#include "settings/settings_reader.h"

// The screen and the game window's frame, as the window system reports them.
ScreenInfo MeasureScreen();

// Reads Kalv.ini from the current folder and runs the start-up checks, showing
// their messages once the file is closed. Returns false when the program must
// stop (exit code 1); otherwise the board and its window are in *board and the
// colours in g_colors.
bool LoadSettings(BoardLayout* board);
