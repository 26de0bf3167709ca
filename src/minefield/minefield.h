// The board of one game: cells, laying mines, counting neighbours, opening
// cells, the player's marks, and deciding loss and win. Knows nothing of windows.
#pragma once

#include <stdint.h>

// Side of one cell on screen, in pixels.
enum { CELL_SIZE = 20 };

struct Cell {
    int32_t value;  // -1 for a mine, else the number of neighbouring mines (0..8)
    uint8_t open;   // 0 while covered, 1 once uncovered (never covered again)
    int8_t mark;    // 0 none, 1 flag ("!"), 2 question ("?")
};

enum StepResult {
    StepContinue = 0,  // the game goes on (also when the move did nothing)
    StepMineHit = 1,   // a mine: every cell is now open
    StepCleared = 2,   // every safe cell is open: every mine now carries a flag
};

// Board state. Cell (x, y) is g_m[y * g_mw + x]. Null pointers while no board.
extern Cell* g_m;
extern int32_t* g_m2;  // work list of the flood fill
extern int32_t g_mw;   // columns
extern int32_t g_mh;   // rows
extern int32_t g_pm;   // mines the board was built with
extern int32_t g_pi;   // entries in use in g_m2

// Builds a new board with the mines laid by the C runtime's unseeded rand.
// Expects no board to exist. Returns false, with no board built, when the memory
// cannot be had or the arguments cannot make a board (width or height below 1,
// more than 2^31 cells, or no safe cell left for the mines).
bool CreateMap(int32_t width, int32_t height, int32_t mines);

// Releases the board; does nothing when there is none. Keeps g_mw, g_mh, g_pm.
void FreeMap();

// Right button: the cell's mark runs none -> flag -> question -> none.
void CycleMark(int32_t x, int32_t y);

// Left button: opens the cell (and the empty region around it) and says
// whether the game goes on, is lost or is won. Cells outside the board are
// refused with StepContinue.
StepResult StepMap(int32_t x, int32_t y);
