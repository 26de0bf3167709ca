// The start-up checks of Kalv.ini and the fit of the board to the screen,
// decided apart from the window system: which messages to show, in what order,
// and whether the game goes on with which board and window, or stops. The
// settings phase measures the screen, shows what is decided and hands the
// board on.
#pragma once

#include <stdint.h>
#include <stdio.h>

// How far the window's frame reaches beyond its client area on each side, as
// the window system reports it for a client rectangle at the origin (left and
// top are usually negative).
struct WindowFrame {
    int32_t left, top, right, bottom;
};

// The screen as the window system reports it. A program that does not declare
// DPI awareness gets the real display mode, but its windows live in the scaled
// coordinates of the system metrics; where the two agree nothing is scaled.
// A size of 0 or less is one that could not be read.
struct ScreenInfo {
    int64_t modeWidth, modeHeight;       // current display mode, in pixels
    int64_t metricsWidth, metricsHeight; // SM_CXSCREEN, SM_CYSCREEN
    WindowFrame frame;                   // of the game window's style
};

// The board and its window as start-up hands them to the shell.
struct BoardLayout {
    int32_t width, height; // in cells
    int32_t mines;
    int32_t windowLeft, windowTop, windowWidth, windowHeight; // outer, centred on the screen
};

// One start-up message: a box with an OK button, no owner.
struct SettingsMessage {
    const char* text;
    const char* title;
    uint32_t style; // of the box: MB_OK with the error or warning icon
};

struct SettingsPlan {
    const SettingsMessage* messages[3]; // shown in this order
    int messageCount;
    bool go; // false: the program ends with exit code 1 once they are shown
    BoardLayout board; // when go
};

// Fits board->width and board->height to the screen, the width first, then the
// height: the same result as taking one cell away at a time until the window
// is no larger than the screen (a window exactly as large fits). No side goes
// below one cell, even on a screen too small for it. Fills in the window's
// outer size and its place centred on the screen. True when the board shrank.
bool FitBoardToScreen(BoardLayout* board, const ScreenInfo& screen);

// Reads Kalv.ini from file (null when it could not be opened) and decides the
// start-up. On a good read the colours are put into g_colors.
SettingsPlan PlanSettings(FILE* file, const ScreenInfo& screen);
