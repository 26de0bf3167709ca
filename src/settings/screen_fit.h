// The arithmetic of fitting the board's window to the screen, apart from the
// window system so that it can be tested natively against a one-cell-per-step
// shrink.
#pragma once

#include <stdint.h>

// How far the window's frame reaches beyond its client area on each side, as
// the window system reports it for a client rectangle at the origin (left and
// top are usually negative).
struct WindowFrame {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct ScreenFit {
    int32_t width; // board, in cells
    int32_t height;
    int64_t windowWidth; // outer size of the window for that board
    int64_t windowHeight;
    bool changed;
};

// Shrinks the board until its window fits in screenWidth x screenHeight pixels:
// the width first, then the height, the same result as taking one cell away at
// a time. A window exactly as large as the screen fits. No side goes below one
// cell: on a screen too small for even that the board stays one cell wide (or
// high) and its window is larger than the screen; a side given below one cell
// is raised to one, which counts as a change.
ScreenFit FitBoard(int32_t width, int32_t height, int64_t screenWidth, int64_t screenHeight,
                   WindowFrame frame);
