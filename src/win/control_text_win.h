// The text of a control as the program reads it.
#pragma once
#include <windows.h>

#include "foundation/wide_string.h"

// Reads the control's text trimmed of blanks and tabs; yields the untrimmed length.
uint32_t ReadField(HWND control, WideString& text);
// Whether the check box or radio button is checked.
bool IsChecked(HWND box);
// The window's whole text (a dialog's title), untrimmed.
WideString ReadWindowText(HWND window);
