// The start-up checks and the screen fit. The fit is computed in few steps:
// the size of a window is its client area (cells x CELL_SIZE) plus a frame of
// fixed size, so the largest side that fits is found by one division rather
// than by taking cells away one at a time, which a width of two billion would
// make take seconds. Everything is computed in 64 bits: cells x CELL_SIZE
// leaves the 32-bit range.
#include "settings/checks.h"

#include "minefield/minefield.h"
#include "settings/settings_reader.h"

enum { STYLE_ERROR = 0x10, STYLE_WARNING = 0x30 }; // MB_OK | MB_ICONERROR, MB_ICONWARNING

static const SettingsMessage kNoFile = {"Nelze najít soubor Kalv.ini.", "Chyba", STYLE_ERROR};
static const SettingsMessage kBadFile = {"Soubor \"Kalv.ini\" je špatně zadaný.", "Chyba",
                                         STYLE_ERROR};
static const SettingsMessage kTooSmall = {"Minimální šířka i délka musí být 6 políček.",
                                          "Upozornění", STYLE_WARNING};
static const SettingsMessage kShrunk = {"Velikost mapy musela být zmenšena.", "Upozornění",
                                        STYLE_WARNING};
static const SettingsMessage kTooManyMines = {
    "Velikost minového pole musí být větší,\nnež je počet min!", "Chyba", STYLE_ERROR};

// One side of the screen in the coordinates the window is created in: the
// smaller of the display mode and the system metric, so that a scaled display
// gets a window that fits; whichever could be read when the other could not.
static int64_t ScreenSide(int64_t mode, int64_t metrics)
{
    int64_t side = mode <= 0 ? metrics : metrics <= 0 || mode < metrics ? mode : metrics;
    return side < 0 ? 0 : side > INT32_MAX ? INT32_MAX : side;
}

// The largest count of cells, at most `cells` and at least 1, whose window side
// (cells x CELL_SIZE + frame) is no larger than `screen`.
static int32_t FitSide(int32_t cells, int64_t frame, int64_t screen)
{
    if (cells <= 1 || (int64_t)cells * CELL_SIZE + frame <= screen)
        return cells;
    const int64_t room = screen - frame;
    // cells x CELL_SIZE + frame > screen here, so room / CELL_SIZE < cells.
    return room < CELL_SIZE ? 1 : (int32_t)(room / CELL_SIZE);
}

// Half of the screen left beside the window, rounded down also when the window
// is the larger.
static int32_t Centre(int64_t screen, int64_t window)
{
    const int64_t d = screen - window;
    return (int32_t)(d >= 0 ? d / 2 : -((1 - d) / 2));
}

bool FitBoardToScreen(BoardLayout* board, const ScreenInfo& screen)
{
    const int64_t screenWidth = ScreenSide(screen.modeWidth, screen.metricsWidth);
    const int64_t screenHeight = ScreenSide(screen.modeHeight, screen.metricsHeight);
    const int64_t frameWidth = (int64_t)screen.frame.right - screen.frame.left;
    const int64_t frameHeight = (int64_t)screen.frame.bottom - screen.frame.top;
    const int32_t width = FitSide(board->width, frameWidth, screenWidth);
    const int32_t height = FitSide(board->height, frameHeight, screenHeight);
    const bool shrunk = width != board->width || height != board->height;
    board->width = width;
    board->height = height;
    const int64_t windowWidth = (int64_t)width * CELL_SIZE + frameWidth;
    const int64_t windowHeight = (int64_t)height * CELL_SIZE + frameHeight;
    board->windowWidth = (int32_t)windowWidth;
    board->windowHeight = (int32_t)windowHeight;
    board->windowLeft = Centre(screenWidth, windowWidth);
    board->windowTop = Centre(screenHeight, windowHeight);
    return shrunk;
}

static void Add(SettingsPlan* plan, const SettingsMessage* message)
{
    plan->messages[plan->messageCount++] = message;
}

SettingsPlan PlanSettings(FILE* file, const ScreenInfo& screen)
{
    SettingsPlan plan = {};
    SettingsValues values;
    if (!file || !ReadSettings(file, &values)) {
        Add(&plan, file ? &kBadFile : &kNoFile);
        return plan;
    }
    for (int i = 0; i < 12; ++i)
        g_colors[i] = values.colors[i];

    BoardLayout& board = plan.board;
    board.width = values.width;
    board.height = values.height;
    board.mines = values.mines;
    if (board.width < 6 || board.height < 6) {
        Add(&plan, &kTooSmall);
        board.width = board.width < 6 ? 6 : board.width;
        board.height = board.height < 6 ? 6 : board.height;
    }
    if (FitBoardToScreen(&board, screen))
        Add(&plan, &kShrunk);
    // The fitted board: the minimum of six is not applied again after the fit.
    if ((int64_t)board.width * board.height <= board.mines) {
        Add(&plan, &kTooManyMines);
        return plan;
    }
    plan.go = true;
    return plan;
}
