// The caption's status text and the game clock's arithmetic. Portable.
#pragma once

#include <stddef.h>
#include <stdint.h>

// A moment in UTC to whole-second precision (the fields of a SYSTEMTIME).
struct ClockTime {
    int32_t year, month, day, hour, minute, second;
};

// Czech noun agreeing with the number of mines left: "minu", "miny" or "min",
// chosen by the magnitude (any int64_t, INT64_MIN included).
const char* MineNoun(int64_t left);

// Whole seconds from start to now, from the full date and time, so a game that
// runs across midnight keeps counting up. Within one day it is exactly
// (h - h0) * 3600 + (m - m0) * 60 + (s - s0).
int64_t SecondsBetween(const ClockTime& start, const ClockTime& now);

// "Hledání min [zbývá najít %d %s, čas %d]" filled in with left, its noun and
// seconds (both printed as 64-bit numbers), in Windows-1250 bytes. Like C99
// snprintf: writes at most size - 1 bytes and a terminating zero, and returns
// the length of the whole text.
int FormatCaption(char* buf, size_t size, int64_t left, int64_t seconds);
