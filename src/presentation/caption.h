// The caption's status text and the game clock's arithmetic. Portable.
#pragma once

#include <stddef.h>
#include <stdint.h>

// A moment in UTC: the fields of a SYSTEMTIME.
struct ClockTime {
    uint16_t year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

// Czech nouns agreeing with a number, chosen by its magnitude (any int64_t,
// INT64_MIN included): after the mines left "minu", "miny" or "min", after the
// seconds of a win "sekundu", "sekundy" or "sekund".
const char* MineNoun(int64_t left);
const char* SecondNoun(int64_t seconds);

// Whole seconds from start to now, from the full date and time, so a game that
// runs across midnight keeps counting up. Within one day it is exactly
// (h - h0) * 3600 + (m - m0) * 60 + (s - s0): the milliseconds are dropped
// before differencing, so the seconds tick with the clock's whole seconds.
int64_t SecondsBetween(const ClockTime& start, const ClockTime& now);

// The caption for the board and the clock started at `start`, when it is due:
// when its whole seconds differ from *shown (the seconds last written), or
// when forced. Then *shown takes the new seconds, buf holds "Hledání min
// [zbývá najít %d %s, čas %d]" filled with the mines left (mines less flags on
// covered cells, in 64 bits), their noun and the seconds, in Windows-1250
// bytes, and the result is true; otherwise nothing changes. Seconds beyond the
// 32-bit range stay at its ends.
bool CaptionDue(char* buf, size_t size, const ClockTime& start, const ClockTime& now,
                int32_t* shown, bool force);
