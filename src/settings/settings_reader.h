// Reading Kalv.ini: the fifteen entries in their fixed order. Portable: no
// window system here, so it is tested natively and fuzzed.
#pragma once

#include <stdint.h>
#include <stdio.h>

// The twelve configured colours as COLORREF values (0x00BBGGRR), in file order:
// [0] backcolor, [1] backcolor2, [2] rastercolor, [3] minecolor,
// [4]..[11] pmocolor1..pmocolor8.
extern uint32_t g_colors[12];

enum { COLOR_BACK = 0, COLOR_BACK2 = 1, COLOR_RASTER = 2, COLOR_MINE = 3, COLOR_DIGIT1 = 4 };

struct SettingsValues {
    int32_t width;
    int32_t height;
    int32_t mines;
    uint32_t colors[12];
};

// Reads the fifteen entries from f (opened "rt"). True when every entry was
// read; false when a key does not match, a value does not convert or leaves the
// 32-bit range, or the file ends early. Of what follows the last value, only
// the one character that ends it is read.
bool ReadSettings(FILE* f, SettingsValues* out);
