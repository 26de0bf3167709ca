// The caption's status text and the game clock's arithmetic. Portable.
#pragma once

#include <stddef.h>
#include <stdint.h>

// A moment in UTC to whole-second precision (the fields of a SYSTEMTIME).
struct ClockTime {
    int32_t year, month, day, hour, minute, second;
};

// Czech noun agreeing with the number of mines left: "minu", "miny" or "min".
const char* MineNoun(int64_t left);

// Whole seconds from start to now, from the full date and time.
int64_t SecondsBetween(const ClockTime& start, const ClockTime& now);

// "Hledání min [zbývá najít %d %s, čas %d]" filled in; returns the length.
int FormatCaption(char* buf, size_t size, int64_t left, int64_t seconds);
