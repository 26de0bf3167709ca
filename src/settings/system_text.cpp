// Kalv's Windows-1250 texts widened to UTF-16 on their way to the system.
#include "settings/system_text.h"

#include <string.h>

void WidenText(const char* text, wchar_t* wide, int size)
{
    const int length = (int)strnlen(text, (size_t)size - 1);
    wide[MultiByteToWideChar(1250, 0, text, length, wide, size - 1)] = L'\0';
}

int ShowMessage(HWND owner, const char* text, const char* title, UINT style)
{
    wchar_t wideText[256], wideTitle[64];
    WidenText(text, wideText, 256);
    WidenText(title, wideTitle, 64);
    return MessageBoxW(owner, wideText, wideTitle, style);
}
