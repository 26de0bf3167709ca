// The caption's status text and the game clock's arithmetic: no window system
// here, so the Czech agreement and the clock are tested natively as well.
#include "presentation/caption.h"

#include <inttypes.h>
#include <stdio.h>

#include "minefield/minefield.h"

// The text is Windows-1250 bytes, widened only where it reaches the system. A
// compiler that kept the UTF-8 of the source would make "á", "í", "ý" and "č"
// two bytes each.
static const char kTemplate[] = "Hledání min [zbývá najít %" PRId64 " %s, čas %" PRId64 "]";
static_assert(sizeof("Hledání zbývá najít čas") == 24,
              "texts must be compiled to Windows-1250 (-fexec-charset=CP1250)");

// Mines left to find: the board's mine count less the flags on covered cells
// (question marks and marks on open cells do not count). In 64 bits: a mine
// count near INT32_MIN less the flags leaves the 32-bit range.
static int64_t MinesLeft()
{
    int64_t flags = 0;
    const int64_t cells = g_m ? (int64_t)g_mw * g_mh : 0;
    for (int64_t i = 0; i < cells; ++i)
        flags += g_m[i].mark == 1 && g_m[i].open == 0;
    return (int64_t)g_pm - flags;
}

// The form after 1, after 2 to 4, and after 0 or 5 and more.
static const char* Agreeing(int64_t number, const char* one, const char* few, const char* many)
{
    // The magnitude in unsigned arithmetic: -INT64_MIN does not fit an int64_t.
    const uint64_t n = number < 0 ? 0 - (uint64_t)number : (uint64_t)number;
    if (n == 1)
        return one;
    if (n >= 2 && n <= 4)
        return few;
    return many;
}

const char* MineNoun(int64_t left)
{
    return Agreeing(left, "minu", "miny", "min");
}

const char* SecondNoun(int64_t seconds)
{
    return Agreeing(seconds, "sekundu", "sekundy", "sekund");
}

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar. Months
// outside 1..12 carry into the year, so any field values give a defined result.
static int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d)
{
    // Month 0 is the year before's December: floor division carries the rest.
    int64_t m0 = m - 1;
    int64_t carry = m0 / 12;
    if (m0 % 12 < 0)
        --carry;
    y += carry;
    m0 -= carry * 12; // now 0..11, January first
    // Count from March, so that the leap day ends the counting year.
    const int64_t mp = (m0 + 10) % 12; // March 0 .. February 11
    if (m0 < 2)
        --y;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;                         // 0..399
    const int64_t doy = (153 * mp + 2) / 5 + d - 1;            // day of the counting year
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy; // day of the 400-year era
    return era * 146097 + doe - 719468;
}

static int64_t SecondsOf(const ClockTime& t)
{
    return DaysFromCivil(t.year, t.month, t.day) * 86400 + (int64_t)t.hour * 3600 +
           (int64_t)t.minute * 60 + t.second;
}

int64_t SecondsBetween(const ClockTime& start, const ClockTime& now)
{
    return SecondsOf(now) - SecondsOf(start);
}

bool CaptionDue(char* buf, size_t size, const ClockTime& start, const ClockTime& now,
                int32_t* shown, bool force)
{
    int64_t seconds = SecondsBetween(start, now);
    // The seconds shown are 32 bits wide; after 68 years the clock simply stops.
    seconds = seconds > INT32_MAX ? INT32_MAX : seconds < INT32_MIN ? INT32_MIN : seconds;
    if ((int32_t)seconds == *shown && !force)
        return false;
    *shown = (int32_t)seconds;
    // Counted only when due: the idle loop asks after every message.
    const int64_t left = MinesLeft();
    snprintf(buf, size, kTemplate, left, MineNoun(left), seconds);
    // Windows' older C runtime leaves a text cut short unterminated.
    if (size > 0)
        buf[size - 1] = '\0';
    return true;
}
