// Fitting the board's window to the screen: the few-step arithmetic must give
// exactly what taking one cell away at a time gives.
#include <gtest/gtest.h>

#include <stdint.h>

#include <random>

#include "minefield/minefield.h"
#include "settings/screen_fit.h"

namespace {

// The plain loop: shrink the width one cell at a time until the window is no
// wider than the screen, then the height the same way; never below one cell.
ScreenFit StepByStep(int32_t width, int32_t height, int64_t screenWidth, int64_t screenHeight,
                     WindowFrame frame)
{
    ScreenFit fit;
    fit.changed = width < 1 || height < 1;
    fit.width = width < 1 ? 1 : width;
    fit.height = height < 1 ? 1 : height;
    for (;;) {
        fit.windowWidth = (int64_t)fit.width * CELL_SIZE + frame.right - frame.left;
        fit.windowHeight = (int64_t)fit.height * CELL_SIZE + frame.bottom - frame.top;
        if (fit.windowWidth > screenWidth && fit.width > 1) {
            --fit.width;
            fit.changed = true;
        } else if (fit.windowHeight > screenHeight && fit.height > 1) {
            --fit.height;
            fit.changed = true;
        } else {
            return fit;
        }
    }
}

void ExpectSame(const ScreenFit& want, const ScreenFit& got, const char* what)
{
    EXPECT_EQ(want.width, got.width) << what;
    EXPECT_EQ(want.height, got.height) << what;
    EXPECT_EQ(want.windowWidth, got.windowWidth) << what;
    EXPECT_EQ(want.windowHeight, got.windowHeight) << what;
    EXPECT_EQ(want.changed, got.changed) << what;
}

// A frame of the usual shape: a thin border round three sides, a caption on top.
const WindowFrame kFrame = {-3, -26, 3, 3};

TEST(ScreenFit, AgreesWithOneCellPerStepOnRandomBoardsScreensAndFrames)
{
    std::mt19937_64 random(20261206);
    auto in = [&](int64_t lo, int64_t hi) {
        return std::uniform_int_distribution<int64_t>(lo, hi)(random);
    };
    for (int i = 0; i < 20000; ++i) {
        // Screens from none at all to large ones, frames from none to thick
        // ones (including lopsided ones), boards from below one cell to some
        // thousands past the screen.
        const int64_t screenWidth = i % 10 == 0 ? in(0, 60) : in(0, 8000);
        const int64_t screenHeight = i % 10 == 1 ? in(0, 60) : in(0, 8000);
        const WindowFrame frame = {(int32_t)in(-60, 5), (int32_t)in(-60, 5), (int32_t)in(-5, 60),
                                   (int32_t)in(-5, 60)};
        const int32_t width = (int32_t)(i % 7 == 0 ? in(-3, 8) : in(1, 2000));
        const int32_t height = (int32_t)(i % 7 == 1 ? in(-3, 8) : in(1, 2000));
        SCOPED_TRACE(::testing::Message()
                     << width << "x" << height << " on " << screenWidth << "x" << screenHeight
                     << ", frame " << frame.left << "," << frame.top << "," << frame.right << ","
                     << frame.bottom);
        ExpectSame(StepByStep(width, height, screenWidth, screenHeight, frame),
                   FitBoard(width, height, screenWidth, screenHeight, frame), "random");
        if (HasFailure())
            return;
    }
}

TEST(ScreenFit, EdgesOfFitting)
{
    // A window exactly as large as the screen fits; one pixel less and a cell goes.
    const int64_t w = 40 * CELL_SIZE + 6, h = 30 * CELL_SIZE + 29;
    ScreenFit fit = FitBoard(40, 30, w, h, kFrame);
    EXPECT_FALSE(fit.changed);
    EXPECT_EQ(w, fit.windowWidth);
    EXPECT_EQ(h, fit.windowHeight);
    fit = FitBoard(40, 30, w - 1, h, kFrame);
    EXPECT_TRUE(fit.changed);
    EXPECT_EQ(39, fit.width);
    EXPECT_EQ(30, fit.height);
    fit = FitBoard(40, 30, w, h - 1, kFrame);
    EXPECT_EQ(40, fit.width);
    EXPECT_EQ(29, fit.height);

    // Small boards stay as they are; the minimum of six is not the fit's business.
    fit = FitBoard(2, 3, 1280, 1024, kFrame);
    EXPECT_FALSE(fit.changed);
    EXPECT_EQ(2, fit.width);
    EXPECT_EQ(3, fit.height);
}

TEST(ScreenFit, HugeBoardsAnswerAtOnceWithoutOverflow)
{
    for (int32_t side : {2000000000, INT32_MAX}) {
        const ScreenFit fit = FitBoard(side, side, 1280, 1024, kFrame);
        EXPECT_TRUE(fit.changed);
        EXPECT_EQ((1280 - 6) / CELL_SIZE, fit.width);
        EXPECT_EQ((1024 - 29) / CELL_SIZE, fit.height);
        EXPECT_LE(fit.windowWidth, 1280);
        EXPECT_GT(fit.windowWidth + CELL_SIZE, 1280);
    }
    // Only the width is too large: the height is untouched.
    const ScreenFit fit = FitBoard(INT32_MAX, 10, 1280, 1024, kFrame);
    EXPECT_EQ(63, fit.width);
    EXPECT_EQ(10, fit.height);
}

TEST(ScreenFit, ScreenTooSmallForOneCellLeavesOneCell)
{
    // The window is then larger than the screen; no side goes to zero or below.
    ScreenFit fit = FitBoard(30, 16, 0, 0, kFrame);
    EXPECT_TRUE(fit.changed);
    EXPECT_EQ(1, fit.width);
    EXPECT_EQ(1, fit.height);
    EXPECT_EQ(CELL_SIZE + 6, fit.windowWidth);
    EXPECT_EQ(CELL_SIZE + 29, fit.windowHeight);

    fit = FitBoard(30, 16, CELL_SIZE + 5, 1024, kFrame);
    EXPECT_EQ(1, fit.width);
    EXPECT_EQ(16, fit.height);

    fit = FitBoard(0, -5, 1280, 1024, kFrame);
    EXPECT_TRUE(fit.changed);
    EXPECT_EQ(1, fit.width);
    EXPECT_EQ(1, fit.height);
}

} // namespace
