// Reading Kalv.ini.
#include "settings/settings_reader.h"

uint32_t g_colors[12];

bool ReadSettings(FILE* f, SettingsValues* out)
{
    (void)f;
    (void)out;
    return false;  // not written yet
}
