// libFuzzer target: ReadSettings on any bytes at all must return without
// touching memory it does not own and without undefined behaviour (ASan and
// UBSan watch).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "settings/settings_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly this size, so that a read past its end is caught; the
    // empty file, which fmemopen refuses, is a unit test.
    char* copy = (char*)memcpy(malloc(size + 1), data, size);
    SettingsValues values;
    if (FILE* f = size ? fmemopen(copy, size, "r") : NULL)
        ReadSettings(f, &values), fclose(f);
    free(copy);
    return 0;
}
