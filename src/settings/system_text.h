// How every text of Kalv reaches the system. Kalv's texts are Windows-1250
// bytes, whatever the system's own code page; they are converted to UTF-16
// here and handed to the W functions, so that they read the same on a system
// of any language. The settings phase, the caption and the game flow all show
// their texts through this file.
#pragma once

#include <windows.h>

// Converts at most size - 1 bytes (one UTF-16 unit each) and always ends
// `wide` with a zero.
void WidenText(const char* text, wchar_t* wide, int size);

// MessageBoxW with the text and title widened; returns the button chosen.
int ShowMessage(HWND owner, const char* text, const char* title, UINT style);
