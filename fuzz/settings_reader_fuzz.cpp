// libFuzzer target: ReadSettings on any bytes at all must return without
// touching memory it does not own and without undefined behaviour (ASan and
// UBSan watch).
#include <stdio.h>

#include "settings/settings_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // libFuzzer hands the bytes over in a buffer of exactly their size, where
    // ASan sees a read past the end; fmemopen in mode "r" only reads them.
    FILE* f = fmemopen((void*)data, size, "r");
    if (!f)
        return 0;
    SettingsValues values;
    ReadSettings(f, &values);
    fclose(f);
    return 0;
}
