// Reading Kalv.ini: the fifteen entries in their fixed order, each matched the
// way formatted input matches its template. The number conversions are done
// here over fgetc rather than by fscanf, because fscanf's behaviour on a value
// beyond 32 bits is undefined and the file is untrusted input.
#include "settings/settings_reader.h"

uint32_t g_colors[12];

// One template per entry. A blank or line feed matches any run of white space
// (none included); %d and %X read one value; any other character must match.
static const char* const kTemplates[15] = {
    "width = %d\n",      "height = %d\n",      "mines count = %d\n", "backcolor = %X\n",
    "backcolor2 = %X\n", "rastercolor = %X\n", "minecolor = %X\n",   "pmocolor1 = %X\n",
    "pmocolor2 = %X\n",  "pmocolor3 = %X\n",   "pmocolor4 = %X\n",   "pmocolor5 = %X\n",
    "pmocolor6 = %X\n",  "pmocolor7 = %X\n",   "pmocolor8 = %X",
};

// The file with one character of look-ahead, so that the character that ends a
// number is seen again by what follows it.
struct Input {
    FILE* f;
    int next; // the character at the read position, or EOF
};

static void Advance(Input* in)
{
    in->next = fgetc(in->f);
}

// White space as the C locale has it; the program never changes its locale.
static bool IsBlank(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

static void SkipBlanks(Input* in)
{
    while (IsBlank(in->next))
        Advance(in);
}

static int DigitValue(int c, int base)
{
    int v = 36;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'z')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'Z')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

// Reads an optionally signed number, as %d (base 10) or %X (base 16, with an
// optional 0x or 0X prefix). The magnitude may not exceed `limit` (for a minus
// sign, `limitNegative`): a longer number is a failed entry rather than a
// wrapped value. "0x" with no hex digit after it fails, as in the Windows C
// runtime; a lone sign fails everywhere.
static bool ReadNumber(Input* in, int base, uint64_t limit, uint64_t limitNegative, bool* negative,
                       uint64_t* magnitude)
{
    SkipBlanks(in);
    *negative = false;
    if (in->next == '+' || in->next == '-') {
        *negative = in->next == '-';
        Advance(in);
    }
    bool digits = false;
    if (base == 16 && in->next == '0') {
        Advance(in);
        if (in->next == 'x' || in->next == 'X')
            Advance(in);
        else
            digits = true; // the 0 was the number's first digit
    }
    const uint64_t max = *negative ? limitNegative : limit;
    uint64_t value = 0;
    bool tooLarge = false;
    for (int d; (d = DigitValue(in->next, base)) >= 0; Advance(in)) {
        digits = true;
        // Past the limit only the digits are still consumed; the value never
        // wraps, however many digits follow.
        if (!tooLarge) {
            value = value * (uint64_t)base + (uint64_t)d;
            tooLarge = value > max;
        }
    }
    *magnitude = value;
    return digits && !tooLarge;
}

// Applies one template. Returns false when a literal does not match or the
// value does not convert (end of file included).
static bool ReadEntry(Input* in, const char* tmpl, int64_t* value)
{
    for (const char* t = tmpl; *t; ++t) {
        if (IsBlank((unsigned char)*t)) {
            SkipBlanks(in);
        } else if (*t == '%') {
            ++t;
            bool negative;
            uint64_t magnitude;
            if (*t == 'd') {
                if (!ReadNumber(in, 10, 0x7FFFFFFFu, 0x80000000u, &negative, &magnitude))
                    return false;
                *value = negative ? -(int64_t)magnitude : (int64_t)magnitude;
            } else {
                if (!ReadNumber(in, 16, 0xFFFFFFFFu, 0xFFFFFFFFu, &negative, &magnitude))
                    return false;
                // A minus gives the two's complement, as %X stores it.
                const uint32_t bits = (uint32_t)magnitude;
                *value = negative ? (uint32_t)(0u - bits) : bits;
            }
        } else {
            if (in->next != (unsigned char)*t)
                return false;
            Advance(in);
        }
    }
    return true;
}

bool ReadSettings(FILE* f, SettingsValues* out)
{
    Input in = {f, EOF};
    Advance(&in);
    int64_t values[15];
    for (int i = 0; i < 15; ++i) {
        if (!ReadEntry(&in, kTemplates[i], &values[i]))
            return false;
    }
    out->width = (int32_t)values[0];
    out->height = (int32_t)values[1];
    out->mines = (int32_t)values[2];
    for (int i = 0; i < 12; ++i)
        out->colors[i] = (uint32_t)values[3 + i];
    return true;
}
