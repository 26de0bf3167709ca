// The settings phase of start-up: Kalv.ini read and checked, the board fitted
// to the screen, every warning and error shown in a message box.
#pragma once

#include <stdint.h>

#include "settings/settings_reader.h"

struct LoadedSettings {
    int32_t width; // board, checked and fitted
    int32_t height;
    int32_t mines;
    int32_t windowWidth; // outer size of the game window
    int32_t windowHeight;
    int32_t screenWidth; // the whole screen, for centring the window
    int32_t screenHeight;
};

struct FitResult {
    int32_t width;
    int32_t height;
    int32_t windowWidth;
    int32_t windowHeight;
    int32_t screenWidth;
    int32_t screenHeight;
    bool changed;
};

// Shrinks the board until its window fits on the screen: width first, then height.
FitResult FitBoardToScreen(int32_t width, int32_t height);

// Reads Kalv.ini from the current folder and runs the start-up checks, showing
// their messages. Returns false when the program must stop (exit code 1); the
// colours are in g_colors once it returns true.
bool LoadSettings(LoadedSettings* out);
