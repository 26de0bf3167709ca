// Fitting the board's window to the screen in a few steps. The size of a window
// is its client area (cells x CELL_SIZE) plus a frame of fixed size, so the
// largest side that fits is found by one division rather than by taking cells
// away one at a time, which a width of two billion would make take seconds.
// Everything is computed in 64 bits: cells x CELL_SIZE leaves the 32-bit range.
#include "settings/screen_fit.h"

#include "minefield/minefield.h"

// The largest count of cells, at most `cells` and at least 1, whose window side
// (cells x CELL_SIZE + frame) is no larger than `screen`.
static int32_t FitSide(int32_t cells, int64_t frame, int64_t screen)
{
    if (cells <= 1 || (int64_t)cells * CELL_SIZE + frame <= screen)
        return cells;
    const int64_t room = screen - frame;
    if (room < CELL_SIZE)
        return 1;
    // cells x CELL_SIZE + frame > screen here, so room / CELL_SIZE < cells.
    return (int32_t)(room / CELL_SIZE);
}

ScreenFit FitBoard(int32_t width, int32_t height, int64_t screenWidth, int64_t screenHeight,
                   WindowFrame frame)
{
    const int64_t frameWidth = (int64_t)frame.right - frame.left;
    const int64_t frameHeight = (int64_t)frame.bottom - frame.top;
    ScreenFit fit;
    fit.changed = width < 1 || height < 1;
    fit.width = FitSide(width < 1 ? 1 : width, frameWidth, screenWidth);
    fit.height = FitSide(height < 1 ? 1 : height, frameHeight, screenHeight);
    fit.changed = fit.changed || fit.width != width || fit.height != height;
    fit.windowWidth = (int64_t)fit.width * CELL_SIZE + frameWidth;
    fit.windowHeight = (int64_t)fit.height * CELL_SIZE + frameHeight;
    return fit;
}
