// Every message to the user: a message box with the caption "Tonschleuder" and no icon.
#pragma once
#include <windows.h>

// Shown owned by `owner` (the main dialog); yields the button pressed.
int ShowMessage(HWND owner, const char16_t* text, UINT buttons = MB_OK);
