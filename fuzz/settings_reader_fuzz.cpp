// libFuzzer target: ReadSettings on any bytes at all. It must return, without
// touching memory it does not own and without undefined behaviour; a file it
// accepts must start with the first key, and the values it gave, written out
// again in the plainest form, must read back the same.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "settings/settings_reader.h"

static bool Read(const char* bytes, size_t size, SettingsValues* values)
{
    FILE* f = fmemopen((void*)bytes, size, "r");
    if (!f)
        return false;
    const bool ok = ReadSettings(f, values);
    fclose(f);
    return ok;
}

static void CheckRoundTrip(const SettingsValues& v)
{
    char text[512];
    int n = snprintf(text, sizeof text, "width = %d\nheight = %d\nmines count = %d\n", (int)v.width,
                     (int)v.height, (int)v.mines);
    static const char* const keys[12] = {"backcolor", "backcolor2", "rastercolor", "minecolor",
                                         "pmocolor1", "pmocolor2",  "pmocolor3",   "pmocolor4",
                                         "pmocolor5", "pmocolor6",  "pmocolor7",   "pmocolor8"};
    for (int i = 0; i < 12; ++i)
        n += snprintf(text + n, sizeof text - n, "%s = %X\n", keys[i], (unsigned)v.colors[i]);
    SettingsValues again;
    if (!Read(text, (size_t)n, &again) || again.width != v.width || again.height != v.height ||
        again.mines != v.mines || memcmp(again.colors, v.colors, sizeof v.colors) != 0)
        abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0; // fmemopen wants at least one byte; the empty file is a unit test
    // A copy, so that the reader works on memory of exactly this size.
    char* copy = (char*)malloc(size);
    if (!copy)
        return 0;
    memcpy(copy, data, size);
    SettingsValues values;
    if (Read(copy, size, &values)) {
        if (size < 5 || memcmp(copy, "width", 5) != 0)
            abort();
        CheckRoundTrip(values);
    }
    free(copy);
    return 0;
}
